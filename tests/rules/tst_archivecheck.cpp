// SPDX-License-Identifier: GPL-3.0-or-later
// check: what the viewer would show wrongly or otherwise than meant, named file by file, and a sound
// archive passed.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "archive/archivename.h"
#include "measurement/measurementfile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace support;

namespace {

// The moment in an archive file's name as local time: the modification time of a file that was
// written when it was measured.
QDateTime namedMoment(const QString &fileName)
{
    const archive::Moment moment = archive::momentOfFile(fileName);
    return QDateTime(moment.date, moment.time, Qt::LocalTime);
}

} // namespace

class ArchiveCheckTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    CommandResult oddArchiveReport;

    struct OddFile
    {
        QString label;
        QString fileName;
        QByteArray content;
        qint64 timeShift; // seconds between the name's moment and the modification time
        QString reason;   // expected in the file's one finding; empty: no finding
        QVariant drawnAs; // the second EMF sample as the viewer reads it; none for the other cases
    };

    static QVector<OddFile> oddFiles()
    {
        QVector<OddFile> files;
        int minute = 0;
        const auto name = [&minute] {
            return QStringLiteral("steel_K1-2019_03_07-10_%1_00.json").arg(minute++, 2, 10, QLatin1Char('0'));
        };
        const QVariant none;
        const auto sample = [&](const char *label, const char *text, const char *reason, double drawnAs) {
            QStringList emf = ramp(160, 1, 1);
            emf[1] = QString::fromUtf8(text);
            files.append({QString::fromUtf8(label), name(),
                          measurementDocument(emf, ramp(160, 500, 5), goodResults()), 0,
                          QString::fromUtf8(reason), drawnAs});
        };
        sample("decimal comma", "12,5", "is written with a decimal comma: the viewer draws such samples as 0",
               0);
        sample("empty sample", "", "is empty: the viewer draws such samples as 0", 0);
        sample("-nan", "-nan", "is not a number: the viewer draws such samples as 0", 0);
        sample("NaN", "NaN", "is a misspelt missing-sample mark: the viewer happens to leave a gap", qQNaN());
        sample("padded number", " 12", "is a number with spaces around it: the viewer ignores the spaces",
               12);
        sample("inf", "inf", "is not a finite number", qInf());
        sample("1e400", "1e400", "is not a finite number", qInf());
        sample("32767 in a curve", "32767", "the viewer draws such samples as the value 32767", 32767);
        const auto result = [&](const char *label, const QByteArray &key, const char *text,
                                const char *reason) {
            QByteArray results = goodResults();
            const int at = results.indexOf("\"" + key + "\":\"");
            const int valueStart = at + key.size() + 4;
            results.replace(valueStart, results.indexOf('"', valueStart) - valueStart, text);
            files.append({QString::fromUtf8(label), name(),
                          measurementDocument(ramp(160, 1, 1), ramp(160, 500, 5), results), 0,
                          QString::fromUtf8(reason), none});
        };
        result("NaN result", "Temp", "NaN", "\"Temp\" is \"NaN\", which looks like a missing value");
        result("32767.0 result", "Eds", "32767.0",
               "\"Eds\" is \"32767.0\", which looks like a missing value");
        result("dash result", "OxActivity", "-", "\"OxActivity\" is \"-\", which looks like a missing value");
        result("empty result", "MassAl", "", "\"MassAl\" is empty or missing");
        result("null result", "Carbon", "null", "\"Carbon\" is \"null\", which looks like a missing value");
        result("the two marks", "Temp", "nan", "");
        const QByteArray good = goodMeasurement();
        files.append(
            {QStringLiteral("modified 23 hours after its moment"), name(), good, 23 * 3600, QString(), none});
        files.append(
            {QStringLiteral("copied two days later"), name(), good, 48 * 3600,
             QStringLiteral("more than a day away from the moment in its name (1 of 16 dated files are so): "
                            "the viewer's newest measurement and its time lists follow the modification "
                            "times, so it may open on the wrong melt (a copy that did not keep the times "
                            "does this); steel-archive check --list-times lists them all"),
             none});
        return files;
    }

private slots:
    void initTestCase() { QVERIFY(root.isValid()); }

    // ---- check

    void checkReportsWhatTheViewerShowsWrongly_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QByteArray good = goodMeasurement();
        QTest::newRow("upper-case name")
            << QStringLiteral("STEEL_K1-2019_03_07-14_05_09.JSON") << good << QStringLiteral("lower case");
        QTest::newRow(".old.json twin")
            << QStringLiteral("steel_K1-2019_03_07-09_00_00.old.json") << good
            << QStringLiteral("shares its base name with steel_K1-2019_03_07-09_00_00.json");
        QTest::newRow("technology with _") << QStringLiteral("steel_A_B-2019_03_07-14_05_09.json") << good
                                           << QStringLiteral("technology \"A_B\" is read as \"A\"");
        QTest::newRow("technology with -") << QStringLiteral("steel_A-B-2019_03_07-14_05_09.json") << good
                                           << QStringLiteral("technology \"A-B\" is read as \"A\"");
        QTest::newRow("technology with .") << QStringLiteral("steel_A.B-2019_03_07-14_05_09.json") << good
                                           << QStringLiteral("reads only \"steel_A\"");
        QTest::newRow("no such date") << QStringLiteral("steel_K1-2019_02_30-14_05_09.json") << good
                                      << QStringLiteral("\"2019_02_30-14_05_09\" is not a real date");
        QTest::newRow("no moment") << QStringLiteral("steel_x.json") << good
                                   << QStringLiteral("not a real date");
        QTest::newRow("empty technology") << QStringLiteral("steel_-2019_03_07-14_05_09.json") << good
                                          << QStringLiteral("technology is empty");
        QTest::newRow("technologies differing in letter case")
            << QStringLiteral("steel_k1-2019_03_08-10_00_00.json") << good
            << QStringLiteral("lists of technology \"K1\" also lead to this file of technology \"k1\"");
        QTest::newRow("several lines")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json") << QByteArray("{\n\"Temp\": \"1600\"\n}\n")
            << QStringLiteral("several lines");
        QTest::newRow("not JSON") << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
                                  << QByteArray("garbage") << QStringLiteral("not a JSON object");
        QTest::newRow("more than 160 samples")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
            << measurementDocument(ramp(170, 0, 1), ramp(160, 500, 5), goodResults())
            << QStringLiteral("holds 170 samples");
        QTest::newRow("number as sample")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
            << QByteArray("{\"Archives\":[{\"values\":[\"1\",2]},{\"values\":[\"1500\"]}],\"Status\":\"8\"}")
            << QStringLiteral("draws it as 0");
        QTest::newRow("number as result")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
            << measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), "\"Temp\":1600")
            << QStringLiteral("not a JSON string");
        QTest::newRow("status outside the table")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
            << measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), goodResults("10"))
            << QStringLiteral("status code 10 is not in the status table");
        QTest::newRow("status code too large")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
            << measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), goodResults("99999999999999999999"))
            << QStringLiteral("status \"99999999999999999999\" is out of the range");
        QTest::newRow("status code one past the largest")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
            << measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), goodResults("2147483648"))
            << QStringLiteral("status \"2147483648\" is out of the range");
        QTest::newRow("status not a number")
            << QStringLiteral("steel_K1-2019_03_08-10_00_00.json")
            << measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), goodResults("8a"))
            << QStringLiteral("status \"8a\" is not a status code");
    }

    void checkReportsWhatTheViewerShowsWrongly()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString dir = freshFolder(root, QStringLiteral("check"));
        writeFile(dir, QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement());
        writeFile(dir, fileName, content);

        const CommandResult result = runTool({QStringLiteral("check"), dir});

        QCOMPARE(result.exitCode, 1);
        const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(lines.last().startsWith(QLatin1String("checked 2 files: ")), qPrintable(result.out));
        bool reported = false;
        for (const QString &line : lines.mid(0, lines.size() - 1))
            reported = reported || (line.startsWith(fileName + QLatin1String(": ")) && line.contains(reason));
        QVERIFY2(reported, qPrintable(result.out));
    }

    void checkNamesWhatTheViewerShowsOtherwiseThanMeant_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QVariant>("drawnAs"); // what the viewer's reader makes of an odd sample
        for (const OddFile &odd : oddFiles())
            QTest::newRow(qPrintable(odd.label)) << odd.fileName << odd.reason << odd.drawnAs;
    }

    void checkNamesWhatTheViewerShowsOtherwiseThanMeant()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        QFETCH(QVariant, drawnAs);
        // One hand-made archive holds every case; it is checked once.
        if (oddArchiveReport.exitCode < 0) {
            const QString dir = freshFolder(root, QStringLiteral("odd"));
            for (const OddFile &odd : oddFiles())
                writeFile(dir, odd.fileName, odd.content, namedMoment(odd.fileName).addSecs(odd.timeShift));
            oddArchiveReport = runTool({QStringLiteral("check"), dir});
        }
        QCOMPARE(oddArchiveReport.exitCode, 1);
        QStringList said;
        for (const QString &line : oddArchiveReport.out.split(QLatin1Char('\n')))
            if (line.startsWith(fileName + QLatin1String(": ")))
                said.append(line);
        if (reason.isEmpty())
            QVERIFY2(said.isEmpty(), qPrintable(said.join(QLatin1Char('\n'))));
        else
            QVERIFY2(said.size() == 1 && said.constFirst().contains(reason),
                     qPrintable(oddArchiveReport.out));
        if (drawnAs.isValid()) {
            for (const OddFile &odd : oddFiles()) {
                const double read = measurement::parseMeasurement(odd.content).emf.at(1);
                if (odd.fileName == fileName)
                    QVERIFY2(std::isnan(read) ? std::isnan(drawnAs.toDouble()) : read == drawnAs.toDouble(),
                             qPrintable(QString::number(read)));
            }
        }
    }

    void checkPassesAnArchiveTheViewerShowsRightly()
    {
        const QString dir = freshFolder(root, QStringLiteral("clean"));
        const auto write = [&dir](const QString &name, const QByteArray &content) {
            writeFile(dir, name, content, namedMoment(name));
        };
        write(QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement());
        write(QStringLiteral("steel_UKP-2019_03_07-09_00_00.json"), goodMeasurement());
        // Wildcard characters stand for themselves in the viewer's patterns, and K does not see K1.
        write(QStringLiteral("steel_K-2019_03_07-10_00_00.json"), goodMeasurement());
        write(QStringLiteral("steel_K[1]-2019_03_07-11_00_00.json"), goodMeasurement());
        write(QStringLiteral("steel_K1-2019_03_07-12_00_00.json"),
              measurementDocument(ramp(160, 0, 1), ramp(100, 500, 5), goodResults("12")));
        const CommandResult result = runTool({QStringLiteral("check"), dir});
        QCOMPARE(result.out, QStringLiteral("checked 5 files: nothing found\n"));
        QCOMPARE(result.exitCode, 0);
    }

    void checkFindsOnlyTheIntendedOddCodesInTheDemo()
    {
        const QString dir = root.filePath(QStringLiteral("demo"));
        QCOMPARE(runTool({QStringLiteral("demo"), dir}).exitCode, 0);
        const CommandResult result = runTool({QStringLiteral("check"), dir});
        QCOMPARE(result.exitCode, 1);
        const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // The unknown codes, and the thermocouple failures that write 32767 into the temperature curve.
        for (const QString &line : lines.mid(0, lines.size() - 1))
            QVERIFY2(line.contains(QLatin1String(": status code ")) ||
                         line.contains(QLatin1String("the viewer draws such samples as the value 32767")),
                     qPrintable(line));
    }

    void checkListsEveryFileWhoseTimeDisagreesWithItsName()
    {
        const QString dir = freshFolder(root, QStringLiteral("check-times"));
        const auto write = [&dir](const char *name, qint64 shiftSeconds) {
            const QString fileName = QString::fromLatin1(name);
            writeFile(dir, fileName, goodMeasurement(), namedMoment(fileName).addSecs(shiftSeconds));
        };
        write("steel_K1-2019_03_07-10_00_00.json", 0);
        write("steel_K1-2019_03_08-10_00_00.json", 25 * 3600);
        write("steel_K2-2019_03_07-10_00_00.json", -23 * 3600);
        write("steel_K2-2019_03_09-10_00_00.json", -3 * 24 * 3600);
        writeFile(dir, QStringLiteral("steel_undated.json"), goodMeasurement());
        const CommandResult result = runTool({QStringLiteral("check"), dir, QStringLiteral("--list-times")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QStringLiteral("steel_K1-2019_03_08-10_00_00.json: named 2019-03-08 10:00:00, "
                                            "modified 2019-03-09 11:00:00\n"
                                            "steel_K2-2019_03_09-10_00_00.json: named 2019-03-09 10:00:00, "
                                            "modified 2019-03-06 10:00:00\n"
                                            "checked 4 dated files: 2 modified more than a day away from "
                                            "the moment in their names\n"));
    }

    void checkReportsAnUnreadableFile()
    {
        if (support::readsUnreadableFiles())
            QSKIP("root reads every file");
        const QString dir = freshFolder(root, QStringLiteral("check-locked"));
        const QString path =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement());
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        const CommandResult result = runTool({QStringLiteral("check"), dir});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.out.startsWith(QLatin1String("steel_K1-2019_03_07-09_00_00.json: cannot be read")),
                 qPrintable(result.out));
    }
};

QTEST_GUILESS_MAIN(ArchiveCheckTest)
#include "tst_archivecheck.moc"
