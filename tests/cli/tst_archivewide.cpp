// SPDX-License-Identifier: GPL-3.0-or-later
// The archive-wide commands at scale: ls built from one listing must say exactly what the scan-by-scan
// route says, and find and check must answer the same with their index as without it.
#include "clitestsupport.h"

#include "archive/archivelisting.h"
#include "archive/archivereader.h"
#include "archive/archivescans.h"
#include "archive/measurementindex.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// The listing as the viewer's cascade produces it, one scan per technology, month and day: slow on a
// big archive, but it is the definition that the one-listing route must match byte for byte.
QString listByScans(const QString &directory, bool json)
{
    const auto entry = [](const QString &text) { return text.isEmpty() ? QStringLiteral("(empty)") : text; };
    const archive::TechnologyScan scan = archive::scanTechnologies(directory);
    QString text;
    QTextStream lines(&text);
    QJsonArray technologiesJson;
    for (const QString &technology : scan.technologies) {
        const bool newest = technology == scan.newestTechnology;
        lines << entry(technology) << (newest ? " (newest)" : "") << '\n';
        QJsonArray monthsJson;
        const QStringList months =
            technology.isEmpty() ? QStringList() : archive::scanYearMonths(directory, technology);
        for (const QString &month : months) {
            lines << "  " << entry(month) << '\n';
            QJsonArray daysJson;
            const QStringList days =
                month.isEmpty() ? QStringList() : archive::scanDays(directory, technology, month);
            for (const QString &day : days) {
                const QStringList times =
                    day.isEmpty() ? QStringList() : archive::scanTimes(directory, technology, month, day);
                QStringList shown;
                for (const QString &time : times)
                    shown.append(entry(time));
                lines << "    " << entry(day) << (times.isEmpty() ? "" : ": ") << shown.join(QLatin1Char(' '))
                      << '\n';
                daysJson.append(QJsonObject{{QStringLiteral("day"), day},
                                            {QStringLiteral("times"), QJsonArray::fromStringList(times)}});
            }
            monthsJson.append(
                QJsonObject{{QStringLiteral("month"), month}, {QStringLiteral("days"), daysJson}});
        }
        technologiesJson.append(QJsonObject{{QStringLiteral("technology"), technology},
                                            {QStringLiteral("newest"), newest},
                                            {QStringLiteral("months"), monthsJson}});
    }
    if (json)
        return QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("directory"), directory},
                                      {QStringLiteral("newestTechnology"), scan.newestTechnology},
                                      {QStringLiteral("technologies"), technologiesJson}})
                .toJson(QJsonDocument::Indented));
    lines.flush();
    return text;
}

// A few real measurements; the melt numbers tell the files apart.
QByteArray measurementWithMelt(const QByteArray &melt, const QByteArray &status = "8")
{
    return measurementDocument(ramp(160, 10, 1), ramp(160, 1500, 1),
                               "\"Smelt\":\"" + melt + "\",\"Temp\":\"1600\",\"Status\":\"" + status + '"');
}

QString indexFileOf(const QString &directory)
{
    return archive::MeasurementIndex::indexPath(directory);
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

QDateTime minutesAfter(int minutes)
{
    return QDateTime(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC).addSecs(qint64(minutes) * 60);
}

} // namespace

class ArchiveWideTest : public QObject
{
    Q_OBJECT

    // Find and check in every form, without the index: what the index must never change.
    static QStringList answers(const QString &dir, bool useIndex)
    {
        QStringList out;
        for (const QStringList &command : {QStringList{"check", dir}, QStringList{"find", dir, "--json"},
                                           QStringList{"find", dir, "--melt", "b"}}) {
            const CommandResult result = runTool(useIndex ? command : command + QStringList{"--no-index"});
            out << QString::number(result.exitCode) + result.out + result.err;
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        // Files written a moment ago go into the index too, so that these tests see it at work.
        qputenv("STEEL_ARCHIVE_INDEX_SETTLE_MS", "100");
    }

    void indexedAnswersEqualFreshOnes_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("unchanged") << 0;
        QTest::newRow("rewritten in place, same size, old time restored") << 1;
        QTest::newRow("deleted") << 2;
        QTest::newRow("renamed") << 3;
        QTest::newRow("added") << 4;
        QTest::newRow("made unreadable") << 5;
        QTest::newRow("replaced by another file of the same size") << 6;
    }

    void indexedAnswersEqualFreshOnes()
    {
        QFETCH(int, change);
        QTemporaryDir dir;
        const QString a = writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json",
                                    measurementWithMelt("A-1"), minutesAfter(1));
        const QString b = writeFile(dir.path(), "steel_K1-2024_01_10-09_00_00.json",
                                    measurementWithMelt("B-1"), minutesAfter(2));
        writeFile(dir.path(), "steel_K1-2024_01_10-09_00_00.old.json", measurementWithMelt("B-0", "10"),
                  minutesAfter(3));
        QTest::qWait(150); // past the settle time: the first run files everything
        const QStringList before = answers(dir.path(), true);
        QCOMPARE(before, answers(dir.path(), false));
        QVERIFY(QFile::exists(indexFileOf(dir.path())));

        switch (change) {
        case 1: {
            QFile file(b);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(measurementWithMelt("Z-1")); // same length as "B-1"
            file.close();
            setModified(b, minutesAfter(2));
            break;
        }
        case 2:
            QVERIFY(QFile::remove(a));
            break;
        case 3:
            QVERIFY(QFile::rename(a, dir.filePath("steel_K2-2024_01_10-08_00_00.json")));
            break;
        case 4:
            writeFile(dir.path(), "steel_K1-2024_01_11-09_00_00.json", measurementWithMelt("B-2"),
                      minutesAfter(5));
            break;
        case 5:
#ifdef Q_OS_WIN
            QSKIP("Windows: Qt cannot take the right to read a file away");
#else
            if (::geteuid() == 0)
                QSKIP("root reads every file");
#endif
            QVERIFY(QFile::setPermissions(a, QFileDevice::Permissions()));
            break;
        case 6: {
            const QString other =
                writeFile(dir.path(), "other.tmp", measurementWithMelt("B-9", "7"), minutesAfter(1));
            QVERIFY(QFile::remove(a));
            QVERIFY(QFile::rename(other, a));
            setModified(a, minutesAfter(1));
            break;
        }
        default:
            break;
        }
        const QStringList fresh = answers(dir.path(), false);
        if (change != 0)
            QVERIFY(fresh != before);
        QCOMPARE(answers(dir.path(), true), fresh);
        QCOMPARE(answers(dir.path(), true), fresh); // and once more from what the run before filed
    }

    void damagedOrForeignIndexIsMadeAnew_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray(4096, 'x');
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << QByteArray("truncate");
        QTest::newRow("another program's database") << QByteArray("foreign");
    }

    void damagedOrForeignIndexIsMadeAnew()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json", measurementWithMelt("A-1"),
                  minutesAfter(1));
        writeFile(dir.path(), "steel_K1-2024_01_10-09_00_00.json", "{\"Smelt\":1}\n", minutesAfter(2));
        QTest::qWait(150);
        const QStringList fresh = answers(dir.path(), false);
        const QString index = indexFileOf(dir.path());
        QCOMPARE(answers(dir.path(), true), fresh);
        if (content == "truncate") {
            QFile file(index);
            QVERIFY(file.resize(file.size() / 2));
        } else if (content == "foreign") {
            QFile::remove(index);
            QProcess sqlite;
            sqlite.start(
                "sqlite3",
                {index, "CREATE TABLE files(name TEXT, size INT); INSERT INTO files VALUES('x', 1);"});
            if (!sqlite.waitForFinished() || sqlite.exitCode() != 0)
                QSKIP("the sqlite3 program is not installed");
        } else {
            QFile file(index);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        QCOMPARE(answers(dir.path(), true), fresh);
        QCOMPARE(answers(dir.path(), true), fresh);
    }

    void rowsOfOtherRulesAreNeverRead()
    {
        QTemporaryDir dir;
        writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json", measurementWithMelt("A-1"),
                  minutesAfter(1));
        QTest::qWait(150);
        const auto findingsUnder = [&](const QString &rules, const QString &finding) {
            archive::ArchiveReadOptions options;
            options.rulesVersion = rules;
            options.findings = [finding](const measurement::Measurement &) { return QStringList{finding}; };
            QStringList seen;
            archive::readArchive(dir.path(), options, [&seen](const archive::ArchiveFile &file) {
                seen += file.digest ? file.digest->findings : QStringList{"unreadable"};
            });
            return seen;
        };
        QCOMPARE(findingsUnder("old", "old finding"), QStringList{"old finding"});
        QCOMPARE(findingsUnder("old", "not asked: from the index"), QStringList{"old finding"});
        QCOMPARE(findingsUnder("new", "new finding"), QStringList{"new finding"});
    }

    void twoRunsAtOnceBothAnswerRight()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 300; ++i)
            writeFile(dir.path(),
                      QStringLiteral("steel_K1-2024_01_10-%1_%2_00.json")
                          .arg(i / 60, 2, 10, QLatin1Char('0'))
                          .arg(i % 60, 2, 10, QLatin1Char('0')),
                      measurementWithMelt(QByteArray::number(1000 + i)), minutesAfter(i));
        QTest::qWait(150);
        const CommandResult expected = runTool({"check", dir.path(), "--no-index"});
        QList<QProcess *> runs;
        for (int i = 0; i < 3; ++i) {
            auto *run = new QProcess(this);
            run->start(QStringLiteral(STEEL_ARCHIVE_PROGRAM), {"check", dir.path()});
            runs.append(run);
        }
        for (QProcess *run : runs) {
            QVERIFY(run->waitForFinished(60000));
            QCOMPARE(run->exitCode(), expected.exitCode);
            QCOMPARE(QString::fromUtf8(run->readAllStandardOutput()), expected.out);
        }
        QCOMPARE(runTool({"check", dir.path()}).out, expected.out);
    }

    void listingMatchesTheScanByScanRoute_data()
    {
        QTest::addColumn<QStringList>("names"); // modified one minute apart, in this order
        QTest::newRow("K and K1") << QStringList{
            "steel_K-2019_03_07-14_05_09.json", "steel_K1-2019_02_28-09_00_00.json",
            "steel_K1-2019_03_07-09_00_00.json", "steel_K-2019_03_08-00_00_00.json"};
        QTest::newRow("k1 and K1 twins")
            << QStringList{"steel_K1-2019_03_07-09_00_00.json", "steel_k1-2019_03_07-10_00_00.json",
                           "STEEL_K1-2019_03_07-11_00_00.JSON", "steel_k1-2019_04_01-00_00_00.json"};
        QTest::newRow("wildcard technologies")
            << QStringList{"steel_K*-2019_03_07-09_00_00.json",   "steel_K?-2019_03_07-10_00_00.json",
                           "steel_K[1]-2019_03_07-11_00_00.json", "steel_K1-2019_03_07-12_00_00.json",
                           "steel_[!a]-2019_03_07-13_00_00.json", "steel_a-2019_03_07-14_00_00.json"};
        QTest::newRow("invalid moments and odd technologies")
            << QStringList{"steel_x.json",
                           "steel_-2019_03_07-14_05_09.json",
                           "steel_K1-2019_02_30-10_00_00.json",
                           "steel_A_B-2019_03_07-14_05_09.json",
                           "steel_A-B-2019_03_07-14_05_09.json",
                           "steel_K.1-2019_03_07-14_05_09.json",
                           "steel_K1-2019_03xx-2020_01_01-00_00_00.json",
                           "steel_K1-2019_03_07-25_00_00.json",
                           "steel_Ünï-2019_03_07-14_05_09.json",
                           "steel_ünï-2019_03_07-15_05_09.json",
                           "steel_q\"\\\t-2019_03_07-14_05_09.json"};
        QTest::newRow("x.json and x.old.json, equal times")
            << QStringList{"steel_K1-2019_03_07-14_05_09.json", "steel_K1-2019_03_07-14_05_09.old.json",
                           "steel_K1-2019_03_07-14_05_09.json.bak", "steel_K1-2019_03_07-08_00_00.json"};
        QTest::newRow("empty folder") << QStringList{};
    }

    void listingMatchesTheScanByScanRoute()
    {
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        for (int i = 0; i < names.size(); ++i) {
            // The last row's first two files share their instant: equal times fall back to the names.
            const bool equalTimes =
                QTest::currentDataTag() == QLatin1String("x.json and x.old.json, equal times");
            writeFile(dir.path(), names[i], "{}\n", minutesAfter(equalTimes && i < 2 ? 0 : i));
        }
        for (const archive::ListingBackend backend :
             {archive::ListingBackend::Native, archive::ListingBackend::Portable}) {
            archive::setListingBackend(backend);
            for (const bool json : {false, true}) {
                const CommandResult result =
                    runTool(json ? QStringList{"ls", dir.path(), "--json"} : QStringList{"ls", dir.path()});
                QCOMPARE(result.out, listByScans(dir.path(), json));
            }
        }
        archive::setListingBackend(archive::ListingBackend::Native);
    }
};

QTEST_GUILESS_MAIN(ArchiveWideTest)
#include "tst_archivewide.moc"
