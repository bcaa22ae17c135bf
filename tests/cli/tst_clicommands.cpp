// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "statistics/archivestatistics.h"

#include "archive/archivename.h"
#include "archive/archivescans.h"
#include "measurement/measurementfile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace support;

namespace {

QDateTime utc(int year, int month, int day, int hour = 12)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC);
}

// The moment in an archive file's name as local time: the modification time of a file that was
// written when it was measured.
QDateTime namedMoment(const QString &fileName)
{
    const archive::Moment moment = archive::momentOfFile(fileName);
    return QDateTime(moment.date, moment.time, Qt::LocalTime);
}

QJsonObject jsonObject(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool makeHardLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    return ::CreateHardLinkW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(link).utf16()),
                             reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
                             nullptr);
#else
    return ::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
#endif
}

} // namespace

class CliCommandsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString searchDir;
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

    QString freshFolder(const QString &name)
    {
        const QString path = root.filePath(name);
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        return path;
    }

    // Where outputs go: never the folder of the measurement read, which is an archive.
    QString outputFolder()
    {
        const QString path = root.filePath(QStringLiteral("outputs"));
        QDir().mkpath(path);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        searchDir = freshFolder(QStringLiteral("search"));
        const auto results = [](const char *smelt, const char *temp, const char *eds, const char *status) {
            QByteArray keys =
                QByteArray("\"Smelt\":\"") + smelt + "\",\"Temp\":\"" + temp + "\",\"Eds\":\"" + eds + '"';
            if (status)
                keys += QByteArray(",\"Status\":\"") + status + '"';
            return measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), keys);
        };
        writeFile(searchDir, QStringLiteral("steel_K1-2024_01_10-08_00_00.json"),
                  results("A-100", "1600", "150.5", "8"));
        writeFile(searchDir, QStringLiteral("steel_K1-2024_01_11-09_00_00.json"),
                  results("a-101", "nan", "32767", "10"));
        writeFile(searchDir, QStringLiteral("steel_k1-2024_01_12-10_00_00.json"),
                  results("B-200", "1650.5", "-20", "7"));
        writeFile(searchDir, QStringLiteral("steel_UKP-2024_01_12-23_59_59.json"),
                  results("B-201", "1700x", "200", nullptr));
        writeFile(searchDir, QStringLiteral("steel_UKP-2024_02_01-00_00_00.json"),
                  results("C-300", "1580", "180", "abc"));
        writeFile(searchDir, QStringLiteral("steel_x.json"), results("A-999", "1600", "1", "8"));
    }

    // ---- dispatch and usage

    void helpIsAvailableForEveryCommand_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *command : {"ls", "show", "export", "render", "check", "find", "demo"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }

    void helpIsAvailableForEveryCommand()
    {
        QFETCH(QString, command);
        const CommandResult result = runTool({command, QStringLiteral("--help")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.startsWith(QStringLiteral("Usage: steel-archive ") + command),
                 qPrintable(result.out));
        QVERIFY(result.err.isEmpty());
        QVERIFY2(result.out.contains(QLatin1String("\nExit codes: 0 ")), qPrintable(result.out));
        QVERIFY2(
            runTool({QStringLiteral("--help")}).out.contains(QLatin1Char(' ') + command + QLatin1Char(' ')),
            "listed in the tool's help");
    }

    void unknownOrMissingCommandIsAUsageError()
    {
        const CommandResult unknown = runProgram({QStringLiteral("lsit")});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY(unknown.err.contains(QLatin1String("lsit")));
        QCOMPARE(runProgram({}).exitCode, 2);
    }

    void messagesFollowTheLanguageOfTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("arguments"); // DIR: a folder with one file whose status is no code
        QTest::addColumn<QString>("expected");      // in the output, or for a failure in the error line
        const QStringList repeated{QStringLiteral("export"), QStringLiteral("m.json"),
                                   QStringLiteral("-o"),     QStringLiteral("a.csv"),
                                   QStringLiteral("-o"),     QStringLiteral("b.csv")};
        QTest::newRow("Russian usage error")
            << QStringLiteral("ru_RU.UTF-8") << repeated
            << QStringLiteral(
                   "steel-archive export: -o задан больше одного раза; см. steel-archive export --help\n");
        QTest::newRow("English usage error")
            << QStringLiteral("C.UTF-8") << repeated
            << QStringLiteral(
                   "steel-archive export: -o is given more than once; see steel-archive export --help\n");
        QTest::newRow("Russian help")
            << QStringLiteral("ru_UA.UTF-8") << QStringList{QStringLiteral("--help")}
            << QStringLiteral("Спутник окна просмотра архива");
        QTest::newRow("English help")
            << QStringLiteral("en_GB.UTF-8") << QStringList{QStringLiteral("--help")}
            << QStringLiteral("Companion of the Velmora-Steel archive viewer");
        const QString file = QStringLiteral("DIR/steel_K1-2019_03_07-14_05_09.json");
        QTest::newRow("Russian check finding")
            << QStringLiteral("ru_RU.UTF-8") << QStringList{QStringLiteral("check"), QStringLiteral("DIR")}
            << QStringLiteral(
                   "steel_K1-2019_03_07-14_05_09.json: кода статуса 13 нет в таблице статусов: окно "
                   "просмотра показывает \"ОШИБКА\"\n");
        QTest::newRow("English check finding")
            << QStringLiteral("C.UTF-8") << QStringList{QStringLiteral("check"), QStringLiteral("DIR")}
            << QStringLiteral("steel_K1-2019_03_07-14_05_09.json: status code 13 is not in the status table: "
                              "the viewer shows \"ОШИБКА\"\n");
        QTest::newRow("Russian system reason")
            << QStringLiteral("ru_RU.UTF-8")
            << QStringList{QStringLiteral("export"), file, QStringLiteral("-o"),
                           file + QStringLiteral("/a.csv")}
            << QStringLiteral("steel-archive export: %1/a.csv: не удаётся проверить: это не каталог\n")
                   .arg(file);
    }

    void messagesFollowTheLanguageOfTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const QString dir = freshFolder(QStringLiteral("language"));
        writeFile(dir, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"),
                  measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), goodResults("13")),
                  QDateTime(QDate(2019, 3, 7), QTime(14, 5, 9)));
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DIR")), dir);
        // The path a message names is written with the system's separators.
        const QRegularExpressionMatch named =
            QRegularExpression(QStringLiteral("^steel-archive export: (DIR[^:]*):")).match(expected);
        if (named.hasMatch())
            expected.replace(named.capturedStart(1), named.capturedLength(1),
                             QDir::toNativeSeparators(named.captured(1).replace(QStringLiteral("DIR"), dir)));
        // The file was written before either run: the first may keep it in the index at once.
        const auto run = [&arguments](const QString &locale) {
            return runProgram(arguments + QStringList{QStringLiteral("--settle-ms=0")},
                              {QStringLiteral("LANG=") + locale, QStringLiteral("LC_ALL="),
                               QStringLiteral("LC_MESSAGES=")});
        };
        // First in the other language: what that run keeps (the index) must not speak for this one.
        run(locale.startsWith(QLatin1String("ru_")) ? QStringLiteral("C.UTF-8")
                                                    : QStringLiteral("ru_RU.UTF-8"));
        const CommandResult result = run(locale);
        if (result.exitCode == 2)
            QCOMPARE(result.err, expected);
        else
            QVERIFY2(result.out.contains(expected), qPrintable(result.out));
    }

    void aRepeatedOptionIsAUsageErrorInEveryCommand_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE: a measurement; DIR: its folder
        const auto row = [](const char *label, std::initializer_list<const char *> list) {
            QStringList arguments;
            for (const char *a : list)
                arguments << QString::fromUtf8(a);
            QTest::newRow(label) << arguments;
        };
        row("export -o", {"export", "FILE", "-o", "a.csv", "-o", "b.csv"});
        row("export -o and --output", {"export", "FILE", "-o", "a.csv", "--output", "b.csv"});
        row("export --delimiter", {"export", "FILE", "--delimiter", ";", "--delimiter", ";"});
        row("render --size", {"render", "FILE", "-o", "a.png", "--size", "64x64", "--size", "32x32"});
        row("report -o", {"report", "DIR", "-o", "a.pdf", "-o", "b.pdf"});
        row("stats --by", {"stats", "DIR", "--by", "day", "--by", "month"});
        row("stats --to", {"stats", "DIR", "--to", "2024-01-01", "--to", "2025-01-01"});
        row("find --technology", {"find", "DIR", "--technology", "K1", "--technology", "K2"});
        row("watch --quiet-period", {"watch", "DIR", "--quiet-period", "1", "--quiet-period", "2"});
        row("demo --seed", {"demo", "DIR/demo", "--seed", "1", "--seed", "2"});
        // A switch given twice is the same slip, or two wishes for one output.
        row("find --json", {"find", "DIR", "--json", "--json"});
        row("stats --excel", {"stats", "DIR", "--excel", "--excel"});
        row("export --decimal-comma",
            {"export", "FILE", "--delimiter", ";", "--decimal-comma", "--decimal-comma"});
        row("ls --json", {"ls", "DIR", "--json", "--json"});
        row("render --pdf", {"render", "FILE", "-o", "a.pdf", "--pdf", "--pdf"});
    }

    void aRepeatedOptionIsAUsageErrorInEveryCommand()
    {
        QFETCH(QStringList, arguments);
        const QString dir = freshFolder(QStringLiteral("repeated"));
        const QString file =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), goodMeasurement());
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), file);
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DIR")), dir);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir);
        const CommandResult result = runProgram(arguments);
        QDir::setCurrent(previous);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(QLatin1String("given more than once")), qPrintable(result.err));
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("steel_K1-2019_03_07-14_05_09.json")});
    }

    // ---- ls

    void listShowsTheSelectionListsOfTheViewer()
    {
        const QString dir = freshFolder(QStringLiteral("ls"));
        // The 09:00 file was modified later than the 14:05 one: the time list goes by modification.
        writeFile(dir, QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement(),
                  utc(2019, 3, 8));
        writeFile(dir, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), goodMeasurement(),
                  utc(2019, 3, 7));
        writeFile(dir, QStringLiteral("steel_K1-2019_02_28-08_00_00.json"), goodMeasurement(),
                  utc(2019, 2, 28));
        writeFile(dir, QStringLiteral("steel_UKP-2020_01_02-03_04_05.json"), goodMeasurement(),
                  utc(2020, 1, 2));
        writeFile(dir, QStringLiteral("steel_K1-2019_02_30-14_05_09.json"), goodMeasurement(),
                  utc(2018, 1, 1));

        const CommandResult result = runTool({QStringLiteral("ls"), dir, QStringLiteral("--json")});

        QCOMPARE(result.exitCode, 0);
        const QJsonObject listing = jsonObject(result.out);
        QCOMPARE(listing.value(QStringLiteral("newestTechnology")).toString(), QStringLiteral("UKP"));
        QStringList technologies;
        QJsonObject k1;
        for (const QJsonValue &value : listing.value(QStringLiteral("technologies")).toArray()) {
            const QJsonObject technology = value.toObject();
            technologies.append(technology.value(QStringLiteral("technology")).toString());
            if (technologies.last() == QLatin1String("K1"))
                k1 = technology;
        }
        QCOMPARE(technologies, archive::scanTechnologies(dir).technologies);
        const QJsonArray months = k1.value(QStringLiteral("months")).toArray();
        QCOMPARE(months.size(), 3);
        QCOMPARE(months[0].toObject().value(QStringLiteral("month")).toString(), QStringLiteral("2019.03"));
        QCOMPARE(months[1].toObject().value(QStringLiteral("month")).toString(), QStringLiteral("2019.02"));
        const QJsonObject march7 =
            months[0].toObject().value(QStringLiteral("days")).toArray().at(0).toObject();
        QCOMPARE(march7.value(QStringLiteral("day")).toString(), QStringLiteral("07"));
        QCOMPARE(march7.value(QStringLiteral("times")).toArray(),
                 QJsonArray({QStringLiteral("09:00:00"), QStringLiteral("14:05:09")}));
        // A date that does not exist gives an empty month that leads nowhere (and, since its name
        // begins like February's, an empty day under 2019.02 too).
        QCOMPARE(months[2].toObject().value(QStringLiteral("month")).toString(), QString());
        QVERIFY(months[2].toObject().value(QStringLiteral("days")).toArray().isEmpty());

        const QString text = runTool({QStringLiteral("ls"), dir}).out;
        QVERIFY2(text.contains(QLatin1String("\nUKP (newest)\n")) ||
                     text.startsWith(QLatin1String("UKP (newest)\n")),
                 qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("\n    07: 09:00:00 14:05:09\n")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("\n  2019.02\n    28: 08:00:00\n    (empty)\n  (empty)\n")),
                 qPrintable(text));
    }

    void folderWithoutArchiveFilesPointsToTheSubfoldersWithSome_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("withSubfolder");
        for (const char *command : {"ls", "check", "find"}) {
            QTest::addRow("%s, archive one level down", command) << QString::fromLatin1(command) << true;
            QTest::addRow("%s, nothing anywhere", command) << QString::fromLatin1(command) << false;
        }
    }

    void folderWithoutArchiveFilesPointsToTheSubfoldersWithSome()
    {
        QFETCH(QString, command);
        QFETCH(bool, withSubfolder);
        const QString dir = freshFolder(QStringLiteral("no-archive"));
        writeFile(dir, QStringLiteral("notes.txt"), "not a measurement");
        QDir(dir).mkdir(QStringLiteral("empty"));
        const QString archiveFolder = dir + QStringLiteral("/archive");
        if (withSubfolder) {
            QDir(dir).mkdir(QStringLiteral("archive"));
            writeFile(archiveFolder, QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement());
        }
        const CommandResult result = runTool({command, dir});
        QCOMPARE(result.exitCode, 1);
        const QString said = command == QLatin1String("check") ? result.out : result.err;
        // Folders are named with the system's separators (backslashes on Windows).
        QVERIFY2(said.contains(QStringLiteral("no archive files (steel_*.json) in ") +
                               QDir::toNativeSeparators(dir)),
                 qPrintable(said));
        QCOMPARE(said.contains(QStringLiteral("did you mean ") + QDir::toNativeSeparators(archiveFolder) +
                               QLatin1Char('?')),
                 withSubfolder);
        QVERIFY2(!said.contains(QLatin1String("/empty")), qPrintable(said));
    }

    void listDefaultsToTheArchiveInTheWorkingDirectory()
    {
        const QString work = freshFolder(QStringLiteral("work"));
        QDir().mkpath(work + QStringLiteral("/archive"));
        writeFile(work + QStringLiteral("/archive"), QStringLiteral("steel_K7-2021_05_06-07_08_09.json"),
                  goodMeasurement());
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work));
        const CommandResult result = runTool({QStringLiteral("ls")});
        QDir::setCurrent(previous);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.startsWith(QLatin1String("K7 (newest)\n  2021.05\n    06: 07:08:09\n")),
                 qPrintable(result.out));
    }

    void folderCommandsRejectAMissingFolder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("isFile");
        for (const char *command : {"ls", "check", "find"}) {
            QTest::addRow("%s, missing", command) << QString::fromLatin1(command) << false;
            QTest::addRow("%s, a file", command) << QString::fromLatin1(command) << true;
        }
    }

    void folderCommandsRejectAMissingFolder()
    {
        QFETCH(QString, command);
        QFETCH(bool, isFile);
        const QString path = isFile ? writeFile(root.path(), QStringLiteral("not-a-folder"), "x")
                                    : root.filePath(QStringLiteral("no-such-folder"));
        const CommandResult result = runTool({command, path});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(QDir::toNativeSeparators(path)) &&
                     result.err.contains(isFile ? "not a folder" : "no such folder"),
                 qPrintable(result.err));
    }

    // ---- show

    void showGivesWhatTheValuesPanelShows_data()
    {
        QTest::addColumn<QByteArray>("results");
        QTest::addColumn<QString>("temperature");
        QTest::addColumn<QString>("smelt");
        QTest::addColumn<QString>("status");
        const QString noData = measurement::noDataText();
        QTest::newRow("ordinary, trailing zero kept")
            << QByteArray("\"Smelt\":\"4711\",\"Temp\":\"1563.40\",\"Status\":\"8\"")
            << QStringLiteral("1563.40") << QStringLiteral("4711") << measurement::statusText(8);
        QTest::newRow("no-value marks")
            << QByteArray("\"Smelt\":\"32767\",\"Temp\":\"nan\",\"Eds\":\"32767\",\"Status\":\"7\"") << noData
            << noData << measurement::statusText(7);
        QTest::newRow("look-alikes of the marks")
            << QByteArray("\"Smelt\":\" 32767\",\"Temp\":\"NaN\",\"Eds\":\"32767.0\",\"Status\":\"3\"")
            << QStringLiteral("NaN") << QStringLiteral(" 32767") << measurement::statusText(3);
        QTest::newRow("missing keys") << QByteArray("\"Eds\":\"12\"") << QString() << QString() << QString();
        QTest::newRow("numbers instead of strings") << QByteArray("\"Smelt\":4711,\"Temp\":1600,\"Status\":8")
                                                    << QString() << QString() << measurement::statusText(0);
        QTest::newRow("code outside the table")
            << QByteArray("\"Status\":\"10\"") << QString() << QString() << measurement::statusText(10);
        QTest::newRow("status in letters")
            << QByteArray("\"Status\":\"abc\"") << QString() << QString() << measurement::statusText(0);
    }

    void showGivesWhatTheValuesPanelShows()
    {
        QFETCH(QByteArray, results);
        QFETCH(QString, temperature);
        QFETCH(QString, smelt);
        QFETCH(QString, status);
        const QByteArray bytes = measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), results);
        const QString path = writeFile(freshFolder(QStringLiteral("show")), QStringLiteral("m.json"), bytes);

        const CommandResult result = runTool({QStringLiteral("show"), path, QStringLiteral("--json")});

        QCOMPARE(result.exitCode, 0);
        const QJsonObject shown = jsonObject(result.out);
        QCOMPARE(shown.value(QStringLiteral("temperature")).toString(), temperature);
        QCOMPARE(shown.value(QStringLiteral("smelt")).toString(), smelt);
        QCOMPARE(shown.value(QStringLiteral("status")).toString(), status);
        // Every field as the viewer's reader gives it for the same bytes.
        const measurement::Measurement m = measurement::parseMeasurement(bytes);
        QCOMPARE(shown.value(QStringLiteral("emf")).toString(), measurement::displayText(m.emfText));
        QCOMPARE(shown.value(QStringLiteral("oxidation")).toString(), measurement::displayText(m.oxidation));
        QCOMPARE(shown.value(QStringLiteral("aluminiumMass")).toString(),
                 measurement::displayText(m.aluminiumMass));
        QCOMPARE(shown.value(QStringLiteral("carbon")).toString(), measurement::displayText(m.carbon));

        const QString text = runTool({QStringLiteral("show"), path}).out;
        QVERIFY2(text.contains(QStringLiteral("\ntemperature, °C:    ") + temperature + QLatin1Char('\n')),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("\nstatus:             ") + status + QLatin1Char('\n')),
                 qPrintable(text));
    }

    void showCountsStoredSamplesAndTheirSpan()
    {
        QStringList emf = ramp(100, -3, 1.25);
        emf[5] = QStringLiteral("nan");
        const QByteArray bytes = measurementDocument(emf, {}, goodResults());
        const QString path = writeFile(freshFolder(QStringLiteral("span")), QStringLiteral("m.json"), bytes);

        const CommandResult result = runTool({QStringLiteral("show"), path, QStringLiteral("--json")});

        const QJsonObject curve = jsonObject(result.out).value(QStringLiteral("emfCurve")).toObject();
        QCOMPARE(curve.value(QStringLiteral("samples")).toInt(), 99);
        QCOMPARE(curve.value(QStringLiteral("min")).toDouble(), -3.0);
        QCOMPARE(curve.value(QStringLiteral("max")).toDouble(), -3 + 99 * 1.25);
        const QJsonObject empty = jsonObject(result.out).value(QStringLiteral("temperatureCurve")).toObject();
        QCOMPARE(empty.value(QStringLiteral("samples")).toInt(), 0);
        QVERIFY(empty.value(QStringLiteral("min")).isNull());
        const QString text = runTool({QStringLiteral("show"), path}).out;
        QVERIFY2(text.contains(QLatin1String("EMF curve:          99 samples, -3 .. 120.75 mV\n")),
                 qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("temperature curve:  0 samples\n")), qPrintable(text));
    }

    // ---- bad input for the commands that read one file

    void fileCommandsRejectUnreadableInput_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        const QByteArray indented = "{\n  \"Smelt\": \"1\",\n  \"Temp\": \"1600\"\n}\n";
        for (const char *command : {"show", "export", "render"}) {
            const QString name = QString::fromLatin1(command);
            QTest::addRow("%s, missing file", command)
                << name << QStringLiteral("missing.json") << QByteArray() << QStringLiteral("no such file");
            QTest::addRow("%s, a folder", command)
                << name << QStringLiteral("folder.json") << QByteArray() << QStringLiteral("folder");
            QTest::addRow("%s, not JSON", command)
                << name << QStringLiteral("garbage.json") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)
                << QStringLiteral("not a JSON object");
            QTest::addRow("%s, empty file", command) << name << QStringLiteral("empty.json") << QByteArray("")
                                                     << QStringLiteral("not a JSON object");
            QTest::addRow("%s, several lines", command)
                << name << QStringLiteral("indented.json") << indented << QStringLiteral("several lines");
        }
    }

    void fileCommandsRejectUnreadableInput()
    {
        QFETCH(QString, command);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString dir = freshFolder(QStringLiteral("bad"));
        const QString path = dir + QLatin1Char('/') + fileName;
        if (fileName == QLatin1String("folder.json"))
            QVERIFY(QDir().mkpath(path));
        else if (fileName != QLatin1String("missing.json"))
            writeFile(dir, fileName, content);
        if (fileName == QLatin1String("locked.json")) {
            if (support::readsUnreadableFiles())
                QSKIP("root reads every file");
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        }
        const QString output =
            outputFolder() +
            (command == QLatin1String("export") ? QStringLiteral("/out.csv") : QStringLiteral("/out.png"));
        QStringList arguments{command, path};
        if (command != QLatin1String("show"))
            arguments << QStringLiteral("-o") << output;

        // render runs as the real program: it needs its own QApplication.
        const CommandResult result =
            command == QLatin1String("render") ? runProgram(arguments) : runTool(arguments);

        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(QDir::toNativeSeparators(path)) && result.err.contains(reason),
                 qPrintable(result.err));
        QVERIFY(!QFileInfo::exists(output));
    }

    // ---- export

    void exportWritesEverySampleSoItReadsBackExactly()
    {
        QStringList emf = ramp(100, 0.1, 0.1);
        emf[1] = QStringLiteral("1603.4000000000001");
        emf[2] = QStringLiteral("-0");
        emf[3] = QStringLiteral("1e-300");
        emf[4] = QStringLiteral("nan");
        emf[5] = QStringLiteral("abc"); // not a number: the viewer draws 0
        emf[6] = QStringLiteral("32767");
        emf[7] = QStringLiteral("0.30000000000000004");
        const QByteArray bytes = measurementDocument(emf, ramp(160, 1500.05, 0.7), goodResults());
        const QString path =
            writeFile(freshFolder(QStringLiteral("export")), QStringLiteral("m.json"), bytes);
        const measurement::Measurement m = measurement::parseMeasurement(bytes);

        const CommandResult result = runTool({QStringLiteral("export"), path});

        QCOMPARE(result.exitCode, 0);
        const QStringList lines = result.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 162); // header, 160 rows, and the empty text after the last line break
        QCOMPARE(lines.first(), QStringLiteral("time_s,emf_mV,temperature_C"));
        QCOMPARE(lines.last(), QString());
        for (int i = 0; i < 160; ++i) {
            const QStringList cells = lines[i + 1].split(QLatin1Char(','));
            QCOMPARE(cells.size(), 3);
            QCOMPARE(cells[0], QStringLiteral("%1.%2").arg(i / 10).arg(i % 10));
            const QVector<double> *curves[] = {&m.emf, &m.temperature};
            for (int c = 0; c < 2; ++c) {
                const double expected = curves[c]->at(i);
                if (std::isnan(expected)) {
                    QVERIFY2(cells[c + 1].isEmpty(), qPrintable(lines[i + 1]));
                    continue;
                }
                bool ok = false;
                const double written = cells[c + 1].toDouble(&ok);
                QVERIFY2(ok && sameDouble(written, expected), qPrintable(lines[i + 1]));
            }
        }
    }

    void csvSuitsSpreadsheets_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE: an ordinary measurement; DIR: the search archive
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");
        const QStringList export_{QStringLiteral("export"), QStringLiteral("FILE")};
        const QStringList russian{QStringLiteral("--delimiter"), QStringLiteral(";"),
                                  QStringLiteral("--decimal-comma")};
        const QStringList find{QStringLiteral("find"), QStringLiteral("DIR"), QStringLiteral("--csv"),
                               QStringLiteral("--melt")};
        QTest::newRow("export") << export_ << 2 << QStringLiteral("0.1,1.75,407.5");
        QTest::newRow("export to standard output")
            << export_ + QStringList{QStringLiteral("-o"), QStringLiteral("-")} << 2
            << QStringLiteral("0.1,1.75,407.5");
        QTest::newRow("export for a Russian spreadsheet")
            << export_ + russian << 2 << QStringLiteral("0,1;1,75;407,5");
        QTest::newRow("find, header")
            << find + QStringList{QStringLiteral("101")} << 0
            << QStringLiteral(
                   "melt,moment,technology,temperature_C,emf_mV,oxidation_ppm,aluminium_kg,carbon_pct,"
                   "status_code,status,file");
        QTest::newRow("find, no-value marks empty")
            << find + QStringList{QStringLiteral("101")} << 1
            << QStringLiteral("a-101,2024-01-11 09:00:00,K1,,,,,,10,") + measurement::statusText(10) +
                   QStringLiteral(",steel_K1-2024_01_11-09_00_00.json");
        QTest::newRow("find for a Russian spreadsheet")
            << find + QStringList{QStringLiteral("B-200")} + russian << 1
            << QStringLiteral("B-200;2024-01-12 10:00:00;k1;1650,5;-20;;;;7;") + measurement::statusText(7) +
                   QStringLiteral(";steel_k1-2024_01_12-10_00_00.json");
        // --excel: what a spreadsheet on a Russian desktop opens right by double-click.
        const QStringList excel{QStringLiteral("--excel")};
        QTest::newRow("export --excel: byte-order mark, CRLF")
            << export_ + excel << 0 << QStringLiteral("\uFEFFtime_s;emf_mV;temperature_C\r");
        QTest::newRow("export --excel: numbers")
            << export_ + excel << 2 << QStringLiteral("0,1;1,75;407,5\r");
        const QStringList findOdd{QStringLiteral("find"), QStringLiteral("ODD"), QStringLiteral("--csv"),
                                  QStringLiteral("--melt")};
        const QString ok = measurement::statusText(8);
        const QString oddName = QStringLiteral("steel_K1-2024_03_01-10_00_00.json");
        QTest::newRow("find: texts that look like formulas show as text")
            << findOdd + QStringList{QStringLiteral("=1+2")} << 1
            << QStringLiteral("\"'=1+2\",2024-03-01 10:00:00,K1,-12.5,\"'@x\",,,,8,") + ok +
                   QLatin1Char(',') + oddName;
        QTest::newRow("find --excel: formula-like texts and negative numbers")
            << findOdd + QStringList{QStringLiteral("=1+2"), QStringLiteral("--excel")} << 1
            << QStringLiteral("\"'=1+2\";2024-03-01 10:00:00;K1;-12,5;\"'@x\";;;;8;") + ok +
                   QLatin1Char(';') + oddName + QLatin1Char('\r');
        QTest::newRow("find: a melt that is a number stays one")
            << findOdd + QStringList{QStringLiteral("-7")} << 1
            << QStringLiteral("-7,2024-03-01 11:00:00,K1,1600.5,150,,,,3,") + measurement::statusText(3) +
                   QStringLiteral(",steel_K1-2024_03_01-11_00_00.json");
        const QStringList stats{QStringLiteral("stats"), QStringLiteral("ODD"), QStringLiteral("--csv")};
        QTest::newRow("stats --csv") << stats << 1
                                     << QStringLiteral(
                                            "K1,2,1,0,0,0,0,1,0,0,0,0,0,0.5,-12.5,794,1600.5,150,150,150");
        QTest::newRow("stats --csv for a Russian spreadsheet")
            << stats + russian << 1
            << QStringLiteral("K1;2;1;0;0;0;0;1;0;0;0;0;0;0,5;-12,5;794;1600,5;150;150;150");
        QTest::newRow("find --excel asks for CSV by itself")
            << QStringList{QStringLiteral("find"), QStringLiteral("ODD"), QStringLiteral("--melt"),
                           QStringLiteral("-7"), QStringLiteral("--excel")}
            << 0
            << QStringLiteral("\uFEFFmelt;moment;technology;temperature_C;emf_mV;oxidation_ppm;aluminium_kg;"
                              "carbon_pct;status_code;status;file\r");
        QTest::newRow("stats --excel: byte-order mark, CRLF")
            << QStringList{QStringLiteral("stats"), QStringLiteral("ODD")} + excel << 0
            << QStringLiteral("\uFEFFtechnology;measurements;") +
                   statistics::statusColumns().join(QLatin1Char(';')) +
                   QStringLiteral(";ok_share;temp_min;temp_median;temp_max;emf_min;emf_median;emf_max\r");
    }

    void csvSuitsSpreadsheets()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, line);
        QFETCH(QString, expected);
        const QString file =
            writeFile(freshFolder(QStringLiteral("csv")), QStringLiteral("m.json"), goodMeasurement());
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), file);
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DIR$")), searchDir);
        const QString odd = freshFolder(QStringLiteral("csv-odd"));
        writeFile(
            odd, QStringLiteral("steel_K1-2024_03_01-10_00_00.json"),
            measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5),
                                "\"Smelt\":\"=1+2\",\"Temp\":\"-12.5\",\"Eds\":\"@x\",\"Status\":\"8\""));
        writeFile(
            odd, QStringLiteral("steel_K1-2024_03_01-11_00_00.json"),
            measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5),
                                "\"Smelt\":\"-7\",\"Temp\":\"1600.5\",\"Eds\":\"150\",\"Status\":\"3\""));
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^ODD$")), odd);
        const CommandResult result = runTool(arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out.split(QLatin1Char('\n')).value(line), expected);
    }

    void exportToAFileIsAllOrNothing()
    {
        const QString dir = freshFolder(QStringLiteral("export-file"));
        const QString path = writeFile(dir, QStringLiteral("m.json"), goodMeasurement());
        const QString output = writeFile(outputFolder(), QStringLiteral("curves.csv"), "earlier export\n");
        const auto outputContent = [&output] {
            QFile file(output);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        // A failed read leaves an earlier export alone.
        const QString missing = dir + QStringLiteral("/missing.json");
        QCOMPARE(runTool({QStringLiteral("export"), missing, QStringLiteral("-o"), output}).exitCode, 2);
        QCOMPARE(outputContent(), QStringLiteral("earlier export\n"));
        // A good one replaces it with what standard output would get.
        const CommandResult toFile = runTool({QStringLiteral("export"), path, QStringLiteral("-o"), output});
        QCOMPARE(toFile.exitCode, 0);
        QCOMPARE(toFile.out, QString());
        QCOMPARE(outputContent(), runTool({QStringLiteral("export"), path}).out);
        // An output that cannot be written is named in the error.
        const QString nowhere = dir + QStringLiteral("/no-such-folder/curves.csv");
        const CommandResult unwritable =
            runTool({QStringLiteral("export"), path, QStringLiteral("-o"), nowhere});
        QCOMPARE(unwritable.exitCode, 2);
        QVERIFY2(unwritable.err.contains(QDir::toNativeSeparators(nowhere)), qPrintable(unwritable.err));
    }

    // ---- render

    void renderDrawsBothCurvesIntoAPngOfTheRequestedSize()
    {
        const QString dir = freshFolder(QStringLiteral("render"));
        const QString path =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), goodMeasurement());
        const QString output = outputFolder() + QStringLiteral("/plot.png");
        // No platform given: the program must choose one that needs no screen.
        const CommandResult result =
            runProgram({QStringLiteral("render"), path, QStringLiteral("-o"), output,
                        QStringLiteral("--size"), QStringLiteral("640x360")},
                       {QStringLiteral("QT_QPA_PLATFORM="), QStringLiteral("DISPLAY="),
                        QStringLiteral("WAYLAND_DISPLAY=")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QImage image(output);
        QCOMPARE(image.size(), QSize(640, 360));
        int temperaturePixels = 0, emfPixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                temperaturePixels += pixel == qRgb(232, 76, 61) ? 1 : 0;
                emfPixels += pixel == qRgb(43, 62, 76) ? 1 : 0;
            }
        }
        QVERIFY2(temperaturePixels > 200, qPrintable(QString::number(temperaturePixels)));
        QVERIFY2(emfPixels > 200, qPrintable(QString::number(emfPixels)));
    }

    void renderWritesAOnePagePdf()
    {
        const QString dir = freshFolder(QStringLiteral("render-pdf"));
        const QString path =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), goodMeasurement());
        const QString output = outputFolder() + QStringLiteral("/plot.pdf");
        const CommandResult result =
            runProgram({QStringLiteral("render"), path, QStringLiteral("-o"), output});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(QString::fromLatin1(pdf.constData(), pdf.size())
                     .count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))),
                 1);
    }

    void outputCommandsRejectBadRequests_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("mentioned");
        const QString render = QStringLiteral("render");
        const auto output = [](const char *name) {
            return QStringList{QStringLiteral("-o"), QString::fromUtf8(name)};
        };
        QTest::newRow("no output") << render << QStringList{} << QStringLiteral("-o");
        // Run in the input's folder, where nothing may be written: good outputs go to a folder beside it.
        QTest::newRow("unknown format")
            << render << output("../outputs/plot.jpg") << QStringLiteral("plot.jpg");
        for (const char *size : {"0x100", "640", "640x", "99999x100", "640x360x2", "axb", "-640x360"})
            QTest::addRow("size %s", size)
                << render
                << output("../outputs/plot.png") +
                       QStringList{QStringLiteral("--size"), QString::fromLatin1(size)}
                << QString::fromLatin1(size);
        // Standard output takes a picture now (a pipe is a fine place for one); a name and an option
        // that ask for two formats do not.
        QTest::newRow("render a PNG under a PDF's name")
            << render << output("../outputs/plot.pdf") + QStringList{QStringLiteral("--png")}
            << QStringLiteral("must end in .png");
        // The input itself, however spelled, and any name the viewer would list beside it.
        for (const char *command : {"export", "render"}) {
            const QString name = QString::fromLatin1(command);
            QTest::addRow("%s over the input", command)
                << name << output("steel_K1-2019_03_07-14_05_09.json") << QStringLiteral("being read");
            QTest::addRow("%s over the input, spelled otherwise", command)
                << name << output("./sub/../steel_K1-2019_03_07-14_05_09.json")
                << QStringLiteral("being read");
#ifndef Q_OS_WIN // Windows: QFile::link makes a shell shortcut, not a link the file system follows
            QTest::addRow("%s through a symbolic link", command)
                << name << output("link.png") << QStringLiteral("symbolic link to");
#endif
            QTest::addRow("%s through a hard link", command)
                << name << output("hard.png") << QStringLiteral("being read");
            QTest::addRow("%s to an archive name beside the input", command)
                << name << output("STEEL_K2-2020_01_01-00_00_00.JSON")
                << QStringLiteral("named like an archive file");
            QTest::addRow("%s to an archive name through another spelling of the folder", command)
                << name << output("sub/../steel_K1-2019_03_07-14_05_10.json")
                << QStringLiteral("named like an archive file");
        }
        QTest::newRow("decimal comma with the comma delimiter")
            << QStringLiteral("export") << QStringList{QStringLiteral("--decimal-comma")}
            << QStringLiteral("--delimiter");
        QTest::newRow("--excel with another delimiter")
            << QStringLiteral("export")
            << QStringList{QStringLiteral("--excel"), QStringLiteral("--delimiter"), QStringLiteral("|")}
            << QStringLiteral("--excel");
        QTest::newRow("delimiter that is part of numbers")
            << QStringLiteral("export") << QStringList{QStringLiteral("--delimiter"), QStringLiteral(".")}
            << QStringLiteral("--delimiter \".\"");
    }

    void outputCommandsRejectBadRequests()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, options);
        QFETCH(QString, mentioned);
        const QString dir = freshFolder(QStringLiteral("output-bad"));
        outputFolder();
        const QString input = QStringLiteral("steel_K1-2019_03_07-14_05_09.json");
        const QString path = writeFile(dir, input, goodMeasurement());
        QVERIFY(QDir(dir).mkdir(QStringLiteral("sub")));
#ifndef Q_OS_WIN // as above: a shortcut there
        QVERIFY(QFile::link(path, dir + QStringLiteral("/link.png")));
#endif
        QVERIFY(makeHardLink(path, dir + QStringLiteral("/hard.png")));
        const QStringList before = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir);
        // render runs as the real program: it needs its own QApplication.
        const QStringList arguments = QStringList{command, path} + options;
        const CommandResult result =
            command == QLatin1String("render") ? runProgram(arguments) : runTool(arguments);
        QDir::setCurrent(previous);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(mentioned), qPrintable(result.err));
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), goodMeasurement());
    }

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
        const QString dir = freshFolder(QStringLiteral("check"));
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
            const QString dir = freshFolder(QStringLiteral("odd"));
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
        const QString dir = freshFolder(QStringLiteral("clean"));
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
        const QString dir = freshFolder(QStringLiteral("check-times"));
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
        const QString dir = freshFolder(QStringLiteral("check-locked"));
        const QString path =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement());
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        const CommandResult result = runTool({QStringLiteral("check"), dir});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.out.startsWith(QLatin1String("steel_K1-2019_03_07-09_00_00.json: cannot be read")),
                 qPrintable(result.out));
    }

    // ---- find

    void findListsMatchesLatestFirst_data()
    {
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<QStringList>("expected");
        const QString k1a = QStringLiteral("steel_K1-2024_01_10-08_00_00.json");
        const QString k1b = QStringLiteral("steel_K1-2024_01_11-09_00_00.json");
        const QString k1lower = QStringLiteral("steel_k1-2024_01_12-10_00_00.json");
        const QString ukpA = QStringLiteral("steel_UKP-2024_01_12-23_59_59.json");
        const QString ukpB = QStringLiteral("steel_UKP-2024_02_01-00_00_00.json");
        const QString noMoment = QStringLiteral("steel_x.json");
        const auto args = [](std::initializer_list<const char *> list) {
            QStringList out;
            for (const char *a : list)
                out << QString::fromUtf8(a);
            return out;
        };
        QTest::newRow("everything; no moment last")
            << QStringList{} << QStringList{ukpB, ukpA, k1lower, k1b, k1a, noMoment};
        QTest::newRow("melt part, case ignored") << args({"--melt", "a-10"}) << QStringList{k1b, k1a};
        QTest::newRow("technology, case ignored")
            << args({"--technology", "k1"}) << QStringList{k1lower, k1b, k1a};
        QTest::newRow("from, inclusive")
            << args({"--from", "2024-01-12"}) << QStringList{ukpB, ukpA, k1lower};
        QTest::newRow("to, inclusive") << args({"--to", "2024-01-11"}) << QStringList{k1b, k1a};
        QTest::newRow("one day") << args({"--from", "2024-01-12", "--to", "2024-01-12"})
                                 << QStringList{ukpA, k1lower};
        QTest::newRow("dotted date with a one-digit hour")
            << args({"--from", "11.01.2024 9:00", "--to", "12.01.2024 10:00:01"})
            << QStringList{k1lower, k1b};
        QTest::newRow("a time of day as --to leaves that moment out")
            << args({"--to", "2024-01-12 10:00"}) << QStringList{k1b, k1a};
        QTest::newRow("seconds exact") << args({"--from", "2024-01-12 23:59:59"}) << QStringList{ukpB, ukpA};
        QTest::newRow("status code") << args({"--status", "8"}) << QStringList{k1a, noMoment};
        QTest::newRow("verdict without case, spaces, stops")
            << args({"--status", "нет пл"}) << QStringList{k1lower};
        QTest::newRow("status none") << args({"--status", "none"}) << QStringList{ukpA};
        QTest::newRow("status bad") << args({"--status", "bad"}) << QStringList{ukpB, ukpA, k1lower, k1b};
        QTest::newRow("code outside the table") << args({"--status", "10"}) << QStringList{k1b};
        QTest::newRow("verdict text") << args({"--status", "ОШИБКА"}) << QStringList{ukpB, k1b};
        QTest::newRow("verdict with spaces") << args({"--status", "НЕТ ПЛ."}) << QStringList{k1lower};
        QTest::newRow("temperature range, inclusive")
            << args({"--temp", "1600:1650.5"}) << QStringList{k1lower, k1a, noMoment};
        QTest::newRow("temperature, open upper bound") << args({"--temp", "1640:"}) << QStringList{k1lower};
        QTest::newRow("no-value marks and words never match")
            << args({"--temp", ":"}) << QStringList{ukpB, k1lower, k1a, noMoment};
        QTest::newRow("negative EMF") << args({"--emf", "-50:0"}) << QStringList{k1lower};
        QTest::newRow("decimal comma") << args({"--temp", "1650,5:1650,5"}) << QStringList{k1lower};
        QTest::newRow("32767 is no EMF") << args({"--emf", "100:"}) << QStringList{ukpB, ukpA, k1a};
        QTest::newRow("all conditions together")
            << args({"--technology", "UKP", "--emf", "190:", "--from", "2024-01-01"}) << QStringList{ukpA};
        QTest::newRow("nothing matches") << args({"--melt", "Z"}) << QStringList{};
    }

    void findListsMatchesLatestFirst()
    {
        QFETCH(QStringList, conditions);
        QFETCH(QStringList, expected);
        const CommandResult result =
            runTool(QStringList{QStringLiteral("find"), searchDir, QStringLiteral("--json")} + conditions);
        QCOMPARE(result.exitCode, 0);
        QStringList found;
        for (const QJsonValue &value : QJsonDocument::fromJson(result.out.toUtf8()).array())
            found.append(value.toObject().value(QStringLiteral("file")).toString());
        QCOMPARE(found, expected);
    }

    void consecutiveShiftsCountEveryMeasurementOnce_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("period");
        QTest::addColumn<int>("count");
        const auto period = [](const char *from, const char *to) {
            QStringList arguments;
            if (from)
                arguments << QStringLiteral("--from") << QString::fromUtf8(from);
            if (to)
                arguments << QStringLiteral("--to") << QString::fromUtf8(to);
            return arguments;
        };
        for (const char *command : {"find", "stats"}) {
            const QString name = QString::fromLatin1(command);
            QTest::addRow("%s: day shift", command)
                << name << period("26.01.2025 8:00", "26.01.2025 20:00") << 2;
            QTest::addRow("%s: night shift", command)
                << name << period("26.01.2025 20:00", "27.01.2025 08:00") << 4;
            QTest::addRow("%s: a date alone as --to covers its day", command)
                << name << period(nullptr, "2025-01-26") << 6;
            QTest::addRow("%s: seconds as --to", command)
                << name << period(nullptr, "2025-01-26 20:00:01") << 4;
            QTest::addRow("%s: from the moment of a melt on", command)
                << name << period("2025-01-27 07:59:59", nullptr) << 2;
        }
    }

    void consecutiveShiftsCountEveryMeasurementOnce()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, period);
        QFETCH(int, count);
        const QString dir = freshFolder(QStringLiteral("shifts"));
        for (const char *moment :
             {"2025_01_26-07_59_59", "2025_01_26-08_00_00", "2025_01_26-19_59_59", "2025_01_26-20_00_00",
              "2025_01_26-20_00_01", "2025_01_26-23_59_59", "2025_01_27-07_59_59", "2025_01_27-08_00_00"})
            writeFile(dir, QStringLiteral("steel_K1-%1.json").arg(QLatin1String(moment)), goodMeasurement());
        const CommandResult result = runTool(
            QStringList{command, dir, QStringLiteral("--json"), QStringLiteral("--no-index")} + period);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QJsonDocument json = QJsonDocument::fromJson(result.out.toUtf8());
        QCOMPARE(command == QLatin1String("find") ? json.array().size()
                                                  : json.object()
                                                        .value(QStringLiteral("total"))
                                                        .toObject()
                                                        .value(QStringLiteral("measurements"))
                                                        .toInt(),
                 count);
    }

    void findWritesOneLinePerMeasurement()
    {
        const CommandResult result =
            runTool({QStringLiteral("find"), searchDir, QStringLiteral("--melt"), QStringLiteral("101")});
        QCOMPARE(result.out, QStringLiteral("2024-01-11 09:00:00\tK1\ta-101\t") + measurement::noDataText() +
                                 QLatin1Char('\t') + measurement::statusText(10) +
                                 QStringLiteral("\tsteel_K1-2024_01_11-09_00_00.json\n"));
    }

    // A name may hold any byte but "/": plain text shows it on one line that cannot steer a terminal,
    // the machine formats keep it exactly.
    void findEscapesControlCharactersOnlyInPlainText_data()
    {
        QTest::addColumn<QString>("technology");
        QTest::addColumn<QString>("shown");
#ifndef Q_OS_WIN // control characters and "\\" cannot be part of a file name on Windows
        QTest::newRow("line break") << QStringLiteral("K\n1") << QStringLiteral("K\\n1");
        QTest::newRow("tab") << QStringLiteral("K\t1") << QStringLiteral("K\\t1");
        QTest::newRow("terminal escape") << QStringLiteral("K\x1b[2J1") << QStringLiteral("K\\x1b[2J1");
        QTest::newRow("backslash") << QStringLiteral("K\\1") << QStringLiteral("K\\\\1");
#endif
        QTest::newRow("Cyrillic stays") << QStringLiteral("УКП") << QStringLiteral("УКП");
    }
    void findEscapesControlCharactersOnlyInPlainText()
    {
        QFETCH(QString, technology);
        QFETCH(QString, shown);
        const QString dir = freshFolder(QStringLiteral("find-names"));
        const QString fileName = QStringLiteral("steel_%1-2019_03_07-09_00_00.json").arg(technology);
        writeFile(dir, fileName, goodMeasurement());

        const CommandResult plain = runTool({QStringLiteral("find"), dir});
        QCOMPARE(plain.exitCode, 0);
        QCOMPARE(plain.out.count(QLatin1Char('\n')), 1);
        QCOMPARE(plain.out.count(QLatin1Char('\t')), 5);
        QVERIFY(!plain.out.contains(QChar(0x1b)));
        QCOMPARE(plain.out.section(QLatin1Char('\t'), 1, 1), shown);
        QVERIFY2(plain.out.endsWith(QStringLiteral("steel_%1-2019_03_07-09_00_00.json\n").arg(shown)),
                 qPrintable(plain.out));

        const CommandResult json = runTool({QStringLiteral("find"), dir, QStringLiteral("--json")});
        QCOMPARE(
            QJsonDocument::fromJson(json.out.toUtf8()).array().at(0).toObject().value(QStringLiteral("file")),
            QJsonValue(fileName));
        const CommandResult csv = runTool({QStringLiteral("find"), dir, QStringLiteral("--csv")});
        QVERIFY2(csv.out.contains(fileName), qPrintable(csv.out));
    }

    void findRejectsBadConditions_data()
    {
        QTest::addColumn<QStringList>("conditions");
        QTest::newRow("month 13") << QStringList{QStringLiteral("--from"), QStringLiteral("2024-13-01")};
        QTest::newRow("short date") << QStringList{QStringLiteral("--to"), QStringLiteral("2024-1-5")};
        QTest::newRow("day that does not exist")
            << QStringList{QStringLiteral("--to"), QStringLiteral("30.02.2024")};
        QTest::newRow("hour 24") << QStringList{QStringLiteral("--from"), QStringLiteral("2024-01-05 24:00")};
        QTest::newRow("from after to") << QStringList{QStringLiteral("--from"), QStringLiteral("2024-01-06"),
                                                      QStringLiteral("--to"), QStringLiteral("2024-01-05")};
        QTest::newRow("empty period")
            << QStringList{QStringLiteral("--from"), QStringLiteral("2024-01-05 8:00"),
                           QStringLiteral("--to"), QStringLiteral("05.01.2024 08:00")};
        QTest::newRow("hour without minutes")
            << QStringList{QStringLiteral("--to"), QStringLiteral("2024-01-05 8")};
        QTest::newRow("repeated option") << QStringList{QStringLiteral("--melt"), QStringLiteral("1"),
                                                        QStringLiteral("--melt"), QStringLiteral("2")};
        QTest::newRow("unknown verdict") << QStringList{QStringLiteral("--status"), QStringLiteral("fine")};
        QTest::newRow("one number") << QStringList{QStringLiteral("--temp"), QStringLiteral("1600")};
        QTest::newRow("reversed range") << QStringList{QStringLiteral("--temp"), QStringLiteral("1700:1600")};
        QTest::newRow("words") << QStringList{QStringLiteral("--emf"), QStringLiteral("low:high")};
        QTest::newRow("three bounds") << QStringList{QStringLiteral("--emf"), QStringLiteral("1:2:3")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--smelt"), QStringLiteral("1")};
    }

    void findRejectsBadConditions()
    {
        QFETCH(QStringList, conditions);
        const CommandResult result = runTool(QStringList{QStringLiteral("find"), searchDir} + conditions);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    }

    void findSkipsAnUnreadableFile()
    {
        if (support::readsUnreadableFiles())
            QSKIP("root reads every file");
        const QString dir = freshFolder(QStringLiteral("find-locked"));
        writeFile(dir, QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement());
        const QString locked =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-10_00_00.json"), goodMeasurement());
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        const CommandResult result = runTool({QStringLiteral("find"), dir});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.endsWith(QLatin1String("\tsteel_K1-2019_03_07-09_00_00.json\n")));
        QCOMPARE(result.out.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(locked), qPrintable(result.err));
    }
};

QTEST_GUILESS_MAIN(CliCommandsTest)
#include "tst_clicommands.moc"
