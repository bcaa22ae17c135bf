// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivemodel.h"
#include "archive/archivescans.h"
#include "archive/sharedlisting.h"
#include "archivefolder.h"

#include <QObject>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace archive;

// The four lists of the selection cascade, built from real folders; every case runs under both
// listing backends.
class ArchiveScansTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { useBackendOfRow(); }

    void cascadeLists_data()
    {
        // files: "minute name"; the deeper scans run for technology, year.month and day.
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("technology");
        QTest::addColumn<QString>("yearMonth");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QStringList>("technologies");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<QStringList>("months");
        QTest::addColumn<QStringList>("days");
        QTest::addColumn<QStringList>("times");

        const QString k1 = QStringLiteral("K1");
        const QString march = QStringLiteral("2019.03");
        const QString d07 = QStringLiteral("07");
        const QStringList none;
        QTest::newRow("single file") << QStringList{"1 steel_K1-2019_03_07-14_05_09.json"} << k1 << march
                                     << d07 << QStringList{k1} << k1 << QStringList{march} << QStringList{d07}
                                     << QStringList{"14:05:09"};
        QTest::newRow("times by modification, not by clock")
            << QStringList{"30 steel_K1-2019_03_07-09_00_00.json", "20 steel_K1-2019_03_07-14_05_09.json",
                           "5 steel_K1-2019_03_21-08_00_00.json", "40 steel_K1-2019_02_28-23_59_59.json",
                           "10 steel_K1-2018_12_01-00_00_00.json"}
            << k1 << march << d07 << QStringList{k1} << k1 << QStringList{march, "2019.02", "2018.12"}
            << QStringList{"21", d07} << QStringList{"09:00:00", "14:05:09"};
        QTest::newRow("equal modification times by name")
            << QStringList{"7 steel_K1-2019_03_07-14_00_00.json", "7 steel_K1-2019_03_07-09_00_00.json",
                           "7 steel_K1-2019_03_07-11_00_00.json"}
            << k1 << march << d07 << QStringList{k1} << k1 << QStringList{march} << QStringList{d07}
            << QStringList{"09:00:00", "11:00:00", "14:00:00"};
        QTest::newRow("newest technology by modification, not by moment")
            << QStringList{"1 steel_K1-2025_01_01-00_00_00.json", "9 steel_B2-2019_03_07-14_05_09.json",
                           "3 steel_A7-2020_03_07-14_05_09.json"}
            << k1 << march << d07 << QStringList{"A7", "B2", k1} << QStringLiteral("B2")
            << QStringList{"2025.01"} << none << none;
        QTest::newRow("equal newest instants: first name by character code")
            << QStringList{"9 steel_b-2019_03_07-14_05_09.json", "9 steel_C-2019_03_07-14_05_09.json",
                           "2 steel_a-2019_03_07-14_05_09.json"}
            << k1 << march << d07 << QStringList{"C", "a", "b"} << QStringLiteral("C") << none << none
            << none;
#ifndef Q_OS_WIN // steel_k2-... and steel_K2-... would be one file on Windows' case-insensitive file systems
        QTest::newRow("technologies by character code")
            << QStringList{"0 steel_k2-2019_03_07-14_05_09.json", "1 steel_K10-2019_03_07-14_05_09.json",
                           "2 steel_K2-2019_03_07-14_05_09.json", "3 steel_K2-2019_03_08-14_05_09.json",
                           "4 steel_Ж-2019_03_07-14_05_09.json",  "5 steel_A-2019_03_07-14_05_09.json"}
            << QStringLiteral("K2") << march << d07 << QStringList{"A", "K10", "K2", "k2", "Ж"}
            << QStringLiteral("A") << QStringList{march} << QStringList{"08", d07}
            << QStringList{"14:05:09", "14:05:09"};
#endif
        QTest::newRow("upper-case name")
            << QStringList{"1 STEEL_K1-2019_03_07-14_05_09.JSON"} << k1 << march << d07 << QStringList{k1}
            << k1 << QStringList{march} << QStringList{d07} << QStringList{"14:05:09"};
        QTest::newRow("K does not borrow the months of K1")
            << QStringList{"1 steel_K-2019_03_07-14_05_09.json", "2 steel_K1-2020_05_07-14_05_09.json"}
            << QStringLiteral("K") << march << d07 << QStringList{"K", k1} << k1 << QStringList{march}
            << QStringList{d07} << QStringList{"14:05:09"};
        QTest::newRow("underscore: technology A without files")
            << QStringList{"1 steel_A_B-2019_03_07-14_05_09.json"} << QStringLiteral("A") << march << d07
            << QStringList{"A"} << QStringLiteral("A") << none << none << none;
        QTest::newRow("dash: A finds the month, not the day")
            << QStringList{"1 steel_A-B-2019_03_07-14_05_09.json"} << QStringLiteral("A") << march << d07
            << QStringList{"A"} << QStringLiteral("A") << QStringList{march} << none << none;
        QTest::newRow("dot cuts the base name")
            << QStringList{"1 steel_A.B-2019_03_07-14_05_09.json"} << QStringLiteral("A") << march << d07
            << QStringList{"A"} << QStringLiteral("A") << none << none << none;
        QTest::newRow("steel_x.json")
            << QStringList{"1 steel_x.json", "2 steel_x-.json"} << QStringLiteral("x") << march << d07
            << QStringList{"x"} << QStringLiteral("x") << QStringList{""} << none << none;
        QTest::newRow("empty technology")
            << QStringList{"1 steel_-2019_03_07-14_05_09.json"} << QString() << march << d07
            << QStringList{""} << QString() << QStringList{march} << QStringList{d07}
            << QStringList{"14:05:09"};
        QTest::newRow("unreadable moments: one empty month and day, last; one empty time each")
            << QStringList{"1 steel_K1-2019_03_30-10_00_00.json", "2 steel_K1-2019_03_32-10_00_00.json",
                           "3 steel_K1-2019_03_07-14_61_09.json", "4 steel_K1-2019_03_07-14_05_09.json",
                           "5 steel_K1-2019_01_26-10_00_00.json", "6 steel_K1-2019_03_07-x.json"}
            << k1 << march << d07 << QStringList{k1} << k1 << QStringList{march, "2019.01", ""}
            << QStringList{"30", d07, ""} << QStringList{"", "14:05:09", ""};
        QTest::newRow("no 30 February")
            << QStringList{"1 steel_K1-2019_02_30-10_00_00.json"} << k1 << QStringLiteral("2019.02")
            << QStringLiteral("30") << QStringList{k1} << k1 << QStringList{""} << QStringList{""}
            << QStringList{""};
        QTest::newRow("twin with a second extension")
            << QStringList{"2 steel_K1-2019_03_07-14_05_09.json", "1 steel_K1-2019_03_07-14_05_09.old.json"}
            << k1 << march << d07 << QStringList{k1} << k1 << QStringList{march} << QStringList{d07}
            << QStringList{"14:05:09", "14:05:09"};
        QTest::newRow("K1 and k1 find each other's files")
            << QStringList{"1 steel_K1-2019_03_07-14_05_09.json", "2 steel_k1-2019_03_07-10_00_00.json"}
            << QStringLiteral("k1") << march << d07 << QStringList{k1, "k1"} << QStringLiteral("k1")
            << QStringList{march} << QStringList{d07} << QStringList{"10:00:00", "14:05:09"};
        QTest::newRow("cyrillic letter case ignored")
            << QStringList{"1 steel_Ковш-2019_03_07-14_05_09.json"} << QStringLiteral("КОВШ") << march << d07
            << QStringList{"Ковш"} << QStringLiteral("Ковш") << QStringList{march} << QStringList{d07}
            << QStringList{"14:05:09"};
#ifdef Q_OS_WIN // "*" and "?" cannot be part of a file name on Windows
        for (const QString &wild : {QStringLiteral("[K]1")}) {
#else
        for (const QString &wild : {QStringLiteral("K*"), QStringLiteral("K?"), QStringLiteral("[K]1")}) {
#endif
            QStringList both{wild, k1};
            both.sort();
            QTest::addRow("%s stands for itself", qPrintable(wild))
                << QStringList{"1 steel_" + wild + "-2019_03_07-14_05_09.json",
                               "2 steel_K1-2019_04_08-15_06_10.json"}
                << wild << march << d07 << both << k1 << QStringList{march} << QStringList{d07}
                << QStringList{"14:05:09"};
        }
    }

    void cascadeLists()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, technology);
        QFETCH(QString, yearMonth);
        QFETCH(QString, day);
        ArchiveFolder folder;
        folder.addFiles(files);
        // Each scan reading the folder itself, then all four reading one listing shared by a refresh.
        for (const bool shared : {false, true}) {
            std::unique_ptr<SharedListing> listing;
            if (shared)
                listing = std::make_unique<SharedListing>(folder.path());
            const TechnologyScan scan = scanTechnologies(folder.path(), listing.get());
            QVERIFY(scan.listedAnyFile);
            QTEST(scan.technologies, "technologies");
            QTEST(scan.newestTechnology, "newest");
            QTEST(scanYearMonths(folder.path(), technology, listing.get()), "months");
            QTEST(scanDays(folder.path(), technology, yearMonth, listing.get()), "days");
            QTEST(scanTimes(folder.path(), technology, yearMonth, day, listing.get()), "times");
        }

        // The viewer's model of the folder holds the same lists; only its time list puts the empty
        // entries of unreadable moments last, as the month and day lists do.
        ArchiveModel model;
        QVERIFY(model.fill(folder.path()));
        QTEST(model.technologies(), "technologies");
        QTEST(model.newestTechnology(), "newest");
        if (technology.isEmpty())
            return; // an empty entry leads no further in the viewer: the model keeps nothing below it
        QTEST(model.months(technology), "months");
        QTEST(model.days(technology, yearMonth), "days");
        QFETCH(QStringList, times);
        std::stable_partition(times.begin(), times.end(),
                              [](const QString &time) { return !time.isEmpty(); });
        QStringList modelTimes;
        for (const TimeEntry &entry : model.times(technology, yearMonth, day))
            modelTimes.append(entry.time);
        QCOMPARE(modelTimes, times);
    }

    void sharedListingServesItsOwnFolderOnly()
    {
        // GIVEN two archives, one of them listed for a refresh
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(5));
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-10_00_00.json"), ArchiveFolder::minutes(6));
        ArchiveFolder other;
        other.addFile(QStringLiteral("steel_Z9-2020_01_01-00_00_00.json"), ArchiveFolder::minutes(1));
        const SharedListing listing(folder.path());

        // WHEN a listed file goes away, and a new one comes, while the listing lives
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("steel_K1-2019_03_07-10_00_00.json"))));
        folder.addFile(QStringLiteral("steel_K2-2019_03_08-10_00_00.json"), ArchiveFolder::minutes(9));

        // THEN the refresh's scans see the folder as it was listed: the new file comes with the next
        // listing; another folder, or the same one spelt otherwise, is read for itself
        QCOMPARE(scanTechnologies(folder.path(), &listing).technologies, QStringList{QStringLiteral("K1")});
        QCOMPARE(scanTechnologies(other.path(), &listing).technologies, QStringList{QStringLiteral("Z9")});
        QCOMPARE(scanTechnologies(folder.path() + QStringLiteral("/."), &listing).technologies,
                 (QStringList{QStringLiteral("K1"), QStringLiteral("K2")}));
    }

    void sharedListingTakesOnlyWhatTheFolderWalkTakes()
    {
        // Hidden names, folders and links to nothing are left out of the shared listing as well.
#ifdef Q_OS_UNIX
        ArchiveFolder folder;
        folder.addSymlink(QStringLiteral("nowhere"), QStringLiteral("steel_B-2019_03_07-14_05_09.json"));
        folder.addFile(QStringLiteral(".steel_H-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(50));
        folder.addDirectory(QStringLiteral("steel_D-2019_03_07-14_05_09.json"));
        folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), ArchiveFolder::minutes(5));
        const SharedListing listing(folder.path());
        QCOMPARE(scanTechnologies(folder.path(), &listing).technologies, QStringList{QStringLiteral("K1")});
        QCOMPARE(scanTimes(folder.path(), QStringLiteral("B"), QStringLiteral("2019.03"),
                           QStringLiteral("07"), &listing),
                 QStringList());
#else
        QSKIP("links need privileges on this system");
#endif
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
        QVERIFY(!scanTechnologies(folder.path()).listedAnyFile);

        // A FIFO named like a measurement of the chosen day must not show up (nor block the scan).
        folder.addFile(QStringLiteral("steel_F-2019_03_07-10_00_00.json"), ArchiveFolder::minutes(1));
        const TechnologyScan scan = scanTechnologies(folder.path());
        QCOMPARE(scan.technologies, QStringList{QStringLiteral("F")});
        QCOMPARE(scanDays(folder.path(), QStringLiteral("F"), QStringLiteral("2019.03")), QStringList{"07"});
        QCOMPARE(
            scanTimes(folder.path(), QStringLiteral("F"), QStringLiteral("2019.03"), QStringLiteral("07")),
            QStringList{"10:00:00"});
    }

    void missingDirectoryGivesEmptyResults()
    {
        ArchiveFolder folder;
        const QString missing = folder.filePath(QStringLiteral("gone"));
        const TechnologyScan scan = scanTechnologies(missing);
        QVERIFY(!scan.listedAnyFile);
        QVERIFY(scan.technologies.isEmpty() && scan.newestTechnology.isEmpty());
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
#else
        QSKIP("names are UTF-16 on this system");
#endif
    }

    void patternsEscapeEveryTextPart()
    {
        QCOMPARE(technologyPattern(), QStringLiteral("steel_*.json"));
        QCOMPARE(yearMonthPattern(QStringLiteral("K*1")), QStringLiteral("steel_K[*]1-*.json"));
        QCOMPARE(dayPattern(QStringLiteral("K?"), QStringLiteral("2019.03")),
                 QStringLiteral("steel_K[?]-2019_03*.json"));
        QCOMPARE(timePattern(QStringLiteral("[K"), QStringLiteral("2019.03"), QStringLiteral("07")),
                 QStringLiteral("steel_[[]K-2019_03_07*.json"));
    }
};

QTEST_GUILESS_MAIN(ArchiveScansTest)
#include "tst_archivescans.moc"
