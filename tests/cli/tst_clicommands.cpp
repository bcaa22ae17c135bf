// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "archive/archivename.h"
#include "archive/archivescans.h"
#include "measurement/measurementfile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace support;

namespace {

QDateTime utc(int year, int month, int day, int hour = 12)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC);
}

QJsonObject jsonObject(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

} // namespace

class CliCommandsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;

    // Where outputs go: never the folder of the measurement read, which is an archive.
    QString outputFolder()
    {
        const QString path = root.filePath(QStringLiteral("outputs"));
        QDir().mkpath(path);
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(root.isValid()); }

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
        const QString dir = freshFolder(root, QStringLiteral("language"));
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
        const QString dir = freshFolder(root, QStringLiteral("repeated"));
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
        const QString dir = freshFolder(root, QStringLiteral("ls"));
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
        const QString dir = freshFolder(root, QStringLiteral("no-archive"));
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
        const QString work = freshFolder(root, QStringLiteral("work"));
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
        const QString path =
            writeFile(freshFolder(root, QStringLiteral("show")), QStringLiteral("m.json"), bytes);

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
        const QString path =
            writeFile(freshFolder(root, QStringLiteral("span")), QStringLiteral("m.json"), bytes);

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
        const QString dir = freshFolder(root, QStringLiteral("bad"));
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
};

QTEST_GUILESS_MAIN(CliCommandsTest)
#include "tst_clicommands.moc"
