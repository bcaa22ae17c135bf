// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivescans.h"
#include "archivefolder.h"

#include <QObject>
#include <QTest>

using namespace archive;

// The four lists of the selection cascade, built from real folders; every case runs under both
// listing backends.
class ArchiveScansTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { useBackendOfRow(); }

    void singleFileGivesOneEntryPerList()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(1));

        const TechnologyScan scan = scanTechnologies(folder.path());
        QCOMPARE(scan.technologies, QStringList{QStringLiteral("K1")});
        QCOMPARE(scan.newestTechnology, QStringLiteral("K1"));
        QVERIFY(scan.listedAnyFile);
        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("K1")), QStringList{QStringLiteral("2019.03")});
        QCOMPARE(scanDays(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03")),
                 QStringList{QStringLiteral("07")});
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07")),
            QStringList{QStringLiteral("14:05:09")});
    }

    void monthsAndDaysNewestFirstTimesByModification()
    {
        ArchiveFolder folder;
        // The earlier clock time is the more recently modified file: the time list follows the files.
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), ArchiveFolder::minutes(30));
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(20));
        folder.addFile(QStringLiteral("steel_K1-2019_03_21-08_00_00.json"), ArchiveFolder::minutes(5));
        folder.addFile(QStringLiteral("steel_K1-2019_02_28-23_59_59.json"), ArchiveFolder::minutes(40));
        folder.addFile(QStringLiteral("steel_K1-2018_12_01-00_00_00.json"), ArchiveFolder::minutes(10));

        QCOMPARE(
            scanYearMonths(folder.path(), QStringLiteral("K1")),
            (QStringList{QStringLiteral("2019.03"), QStringLiteral("2019.02"), QStringLiteral("2018.12")}));
        QCOMPARE(scanDays(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03")),
                 (QStringList{QStringLiteral("21"), QStringLiteral("07")}));
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07")),
            (QStringList{QStringLiteral("09:00:00"), QStringLiteral("14:05:09")}));
    }

    void equalModificationTimesOrderTimesByName()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_00_00.json"), ArchiveFolder::minutes(7));
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), ArchiveFolder::minutes(7));
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-11_00_00.json"), ArchiveFolder::minutes(7));
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07")),
            (QStringList{QStringLiteral("09:00:00"), QStringLiteral("11:00:00"),
                         QStringLiteral("14:00:00")}));
    }

    void newestTechnologyIsOfLatestModifiedFileNotLatestMoment()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K1-2025_01_01-00_00_00.json"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("steel_B2-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(9));
        folder.addFile(QStringLiteral("steel_A7-2020_03_07-14_05_09.json"), ArchiveFolder::minutes(3));
        QCOMPARE(scanTechnologies(folder.path()).newestTechnology, QStringLiteral("B2"));
    }

    void equalNewestInstantsPickFirstNameInCodeOrder()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_b-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(9));
        folder.addFile(QStringLiteral("steel_C-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(9));
        folder.addFile(QStringLiteral("steel_a-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(2));
        // "C" sorts before "b" by character code.
        QCOMPARE(scanTechnologies(folder.path()).newestTechnology, QStringLiteral("C"));
    }

    void technologiesSortedByCharacterCode()
    {
        ArchiveFolder folder;
        const QStringList names{QStringLiteral("steel_k2-2019_03_07-14_05_09.json"),
                                QStringLiteral("steel_K10-2019_03_07-14_05_09.json"),
                                QStringLiteral("steel_K2-2019_03_07-14_05_09.json"),
                                QStringLiteral("steel_K2-2019_03_08-14_05_09.json"),
                                QStringLiteral("steel_A-2019_03_07-14_05_09.json"),
                                QStringLiteral("steel_Ж-2019_03_07-14_05_09.json")};
        for (int i = 0; i < names.size(); ++i)
            folder.addFile(names.at(i), ArchiveFolder::minutes(i));
        QCOMPARE(scanTechnologies(folder.path()).technologies,
                 (QStringList{QStringLiteral("A"), QStringLiteral("K10"), QStringLiteral("K2"),
                              QStringLiteral("k2"), QStringLiteral("Ж")}));
    }

    void upperCaseNameMatchesAndKeepsItsTechnology()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("STEEL_K1-2019_03_07-14_05_09.JSON"), ArchiveFolder::minutes(1));
        const TechnologyScan scan = scanTechnologies(folder.path());
        QCOMPARE(scan.technologies, QStringList{QStringLiteral("K1")});
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07")),
            QStringList{QStringLiteral("14:05:09")});
    }

    void technologyPrefixDoesNotBorrowMonthsOfLongerTechnology()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("steel_K1-2020_05_07-14_05_09.json"), ArchiveFolder::minutes(2));
        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("K")), QStringList{QStringLiteral("2019.03")});
        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("K1")), QStringList{QStringLiteral("2020.05")});
    }

    void separatorsInsideTechnologyNames_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("technology");
        QTest::addColumn<QStringList>("yearMonths");
        QTest::addColumn<QStringList>("days");

        const QStringList none;
        QTest::newRow("underscore reads as A, which has no months")
            << QStringLiteral("steel_A_B-2019_03_07-14_05_09.json") << QStringLiteral("A") << none << none;
        QTest::newRow("dash reads as A; days need a moment right after A-")
            << QStringLiteral("steel_A-B-2019_03_07-14_05_09.json") << QStringLiteral("A")
            << QStringList{QStringLiteral("2019.03")} << none;
        QTest::newRow("dot cuts the base name short")
            << QStringLiteral("steel_A.B-2019_03_07-14_05_09.json") << QStringLiteral("A") << none << none;
        QTest::newRow("no dash: the whole base name is the technology")
            << QStringLiteral("steel_x.json") << QStringLiteral("x") << none << none;
        QTest::newRow("empty technology")
            << QStringLiteral("steel_-2019_03_07-14_05_09.json") << QString()
            << QStringList{QStringLiteral("2019.03")} << QStringList{QStringLiteral("07")};
    }

    void separatorsInsideTechnologyNames()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, technology);
        QFETCH(QStringList, yearMonths);
        QFETCH(QStringList, days);

        ArchiveFolder folder;
        folder.addFile(fileName, ArchiveFolder::minutes(1));
        const TechnologyScan scan = scanTechnologies(folder.path());
        QCOMPARE(scan.technologies, QStringList{technology});
        QCOMPARE(scan.newestTechnology, technology);
        QCOMPARE(scanYearMonths(folder.path(), technology), yearMonths);
        QCOMPARE(scanDays(folder.path(), technology, QStringLiteral("2019.03")), days);
    }

    void unreadableMomentsGiveOneEmptyEntryLast()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K1-2019_02_30-10_00_00.json"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("steel_K1-2019_02_31-10_00_00.json"), ArchiveFolder::minutes(2));
        folder.addFile(QStringLiteral("steel_K1-2019_02_27-25_00_00.json"), ArchiveFolder::minutes(3));
        folder.addFile(QStringLiteral("steel_K1-2019_02_26-10_00_00.json"), ArchiveFolder::minutes(4));
        folder.addFile(QStringLiteral("steel_K1-2019_01_26-10_00_00.json"), ArchiveFolder::minutes(5));

        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("K1")),
                 (QStringList{QStringLiteral("2019.02"), QStringLiteral("2019.01"), QString()}));
        QCOMPARE(scanDays(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.02")),
                 (QStringList{QStringLiteral("26"), QString()}));
        // One empty entry per unreadable file in the time list, in modification order.
        ArchiveFolder day;
        day.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(2));
        day.addFile(QStringLiteral("steel_K1-2019_03_07-14_61_09.json"), ArchiveFolder::minutes(3));
        day.addFile(QStringLiteral("steel_K1-2019_03_07-x.json"), ArchiveFolder::minutes(1));
        QCOMPARE(scanTimes(day.path(), QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07")),
                 (QStringList{QString(), QStringLiteral("14:05:09"), QString()}));
    }

    void nameWithoutMomentGivesEmptyMonth()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_x.json"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("steel_x-.json"), ArchiveFolder::minutes(2));
        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("x")), QStringList{QString()});
    }

    void twinWithSecondExtensionShowsTimeTwice()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(2));
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.old.json"), ArchiveFolder::minutes(1));
        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("K1")), QStringList{QStringLiteral("2019.03")});
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07")),
            (QStringList{QStringLiteral("14:05:09"), QStringLiteral("14:05:09")}));
    }

    void wildcardCharactersInTechnologyStandForThemselves_data()
    {
        QTest::addColumn<QString>("technology");
        QTest::addColumn<QString>("lookalike");

        QTest::newRow("star") << QStringLiteral("K*") << QStringLiteral("K1");
        QTest::newRow("question mark") << QStringLiteral("K?") << QStringLiteral("K1");
        QTest::newRow("open bracket") << QStringLiteral("K[1]") << QStringLiteral("K1");
        QTest::newRow("set-looking") << QStringLiteral("[K]") << QStringLiteral("K");
        QTest::newRow("negated set") << QStringLiteral("[!x]") << QStringLiteral("a");
    }

    void wildcardCharactersInTechnologyStandForThemselves()
    {
        QFETCH(QString, technology);
        QFETCH(QString, lookalike);

        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_%1-2019_03_07-14_05_09.json").arg(technology),
                       ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("steel_%1-2020_04_08-15_06_10.json").arg(lookalike),
                       ArchiveFolder::minutes(2));

        QCOMPARE(scanTechnologies(folder.path()).technologies.size(), 2);
        QCOMPARE(scanYearMonths(folder.path(), technology), QStringList{QStringLiteral("2019.03")});
        QCOMPARE(scanDays(folder.path(), technology, QStringLiteral("2019.03")),
                 QStringList{QStringLiteral("07")});
        QCOMPARE(scanTimes(folder.path(), technology, QStringLiteral("2019.03"), QStringLiteral("07")),
                 QStringList{QStringLiteral("14:05:09")});
        QCOMPARE(scanYearMonths(folder.path(), lookalike), QStringList{QStringLiteral("2020.04")});
    }

    void technologiesDifferingInCaseFindEachOthersFiles()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("steel_k1-2019_04_07-10_00_00.json"), ArchiveFolder::minutes(2));
        QCOMPARE(scanTechnologies(folder.path()).technologies,
                 (QStringList{QStringLiteral("K1"), QStringLiteral("k1")}));
        const QStringList both{QStringLiteral("2019.04"), QStringLiteral("2019.03")};
        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("K1")), both);
        QCOMPARE(scanYearMonths(folder.path(), QStringLiteral("k1")), both);
    }

    void cyrillicTechnologyIgnoresLetterCase()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_Ковш-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(1));
        QCOMPARE(scanTechnologies(folder.path()).technologies, QStringList{QStringLiteral("Ковш")});
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("КОВШ"), QStringLiteral("2019.03"), QStringLiteral("07")),
            QStringList{QStringLiteral("14:05:09")});
    }

    void onlyVisibleRegularFilesCount()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral(".steel_H-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(50));
        folder.addDirectory(QStringLiteral("steel_D-2019_03_07-14_05_09.json"));
#ifdef Q_OS_UNIX
        folder.addFifo(QStringLiteral("steel_F-2019_03_07-14_05_09.json"));
        folder.addSymlink(QStringLiteral("nowhere"), QStringLiteral("steel_B-2019_03_07-14_05_09.json"));
#endif
        QCOMPARE(scanTechnologies(folder.path()).listedAnyFile, false);
        QCOMPARE(scanTechnologies(folder.path()).technologies, QStringList());

        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(1));
        const TechnologyScan scan = scanTechnologies(folder.path());
        QCOMPARE(scan.technologies, QStringList{QStringLiteral("K1")});
        QCOMPARE(scan.newestTechnology, QStringLiteral("K1"));
    }

    void fifoNamedLikeArchiveFileDoesNotBlockOrCount()
    {
#ifdef Q_OS_UNIX
        ArchiveFolder folder;
        folder.addFifo(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"));
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-10_00_00.json"), ArchiveFolder::minutes(1));
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07")),
            QStringList{QStringLiteral("10:00:00")});
        QCOMPARE(scanDays(folder.path(), QStringLiteral("K1"), QStringLiteral("2019.03")),
                 QStringList{QStringLiteral("07")});
#else
        QSKIP("FIFOs are a Unix matter");
#endif
    }

    void missingDirectoryGivesEmptyResults()
    {
        ArchiveFolder folder;
        const QString missing = folder.filePath(QStringLiteral("gone"));
        const TechnologyScan scan = scanTechnologies(missing);
        QVERIFY(!scan.listedAnyFile);
        QVERIFY(scan.technologies.isEmpty());
        QVERIFY(scan.newestTechnology.isEmpty());
        QVERIFY(scanYearMonths(missing, QStringLiteral("K1")).isEmpty());
        QVERIFY(scanDays(missing, QStringLiteral("K1"), QStringLiteral("2019.03")).isEmpty());
        QVERIFY(scanTimes(missing, QStringLiteral("K1"), QStringLiteral("2019.03"), QStringLiteral("07"))
                    .isEmpty());
    }

    void undecodableNamesDoNotReachTheLists()
    {
#ifdef Q_OS_UNIX
        ArchiveFolder folder;
        folder.addRawFile(QByteArray("steel_K\xff\xfe-2019_03_07-14_05_09.json"), 1551916800 + 600);
        folder.addRawFile(QByteArray("steel_K\xc3-2019_03_07-14_05_09.json"), 1551916800 + 900);
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(0));
        const TechnologyScan scan = scanTechnologies(folder.path());
        QCOMPARE(scan.technologies, QStringList{QStringLiteral("K1")});
        QCOMPARE(scan.newestTechnology, QStringLiteral("K1"));
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("K?"), QStringLiteral("2019.03"), QStringLiteral("07")),
            QStringList());
#else
        QSKIP("names are UTF-16 on this system");
#endif
    }

    void patternsEscapeEveryTextPart_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("technologies") << technologyPattern() << QStringLiteral("steel_*.json");
        QTest::newRow("months") << yearMonthPattern(QStringLiteral("K*1"))
                                << QStringLiteral("steel_K[*]1-*.json");
        QTest::newRow("days") << dayPattern(QStringLiteral("K?"), QStringLiteral("2019.03"))
                              << QStringLiteral("steel_K[?]-2019_03*.json");
        QTest::newRow("times") << timePattern(QStringLiteral("[K"), QStringLiteral("2019.03"),
                                              QStringLiteral("07"))
                               << QStringLiteral("steel_[[]K-2019_03_07*.json");
    }

    void patternsEscapeEveryTextPart()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(pattern, expected);
    }
};

QTEST_GUILESS_MAIN(ArchiveScansTest)
#include "tst_archivescans.moc"
