// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's rules, the same for every command: options given twice, options that ask for
// different formats, names whose suffix chooses the format, "-" as standard output, the help in
// either language within 80 columns.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "language/helplayout.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace support;

namespace {

const QString measurementName = QStringLiteral("steel_K1-2025_01_26-08_00_00.json");

// The program's standard output as bytes (a picture, a spreadsheet), with its exit code.
struct BinaryResult
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

BinaryResult runForBytes(const QStringList &arguments)
{
    QProcess process;
    process.start(steelArchiveProgram(), arguments);
    BinaryResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// A word for a POSIX shell, quoted.
QString shellWord(QString word)
{
    return QLatin1Char('\'') + word.replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

QStringList localeEnvironment(const QString &locale)
{
    return {QStringLiteral("LANG=") + locale, QStringLiteral("LC_ALL="), QStringLiteral("LC_MESSAGES=")};
}

} // namespace

class UsageTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archiveDir;
    QString outputs;

    QStringList withPaths(QStringList arguments) const
    {
        arguments.replaceInStrings(QStringLiteral("DIR"), archiveDir);
        arguments.replaceInStrings(QStringLiteral("FILE"), archiveDir + QLatin1Char('/') + measurementName);
        arguments.replaceInStrings(QStringLiteral("OUT"), outputs);
        return arguments;
    }

    QStringList outputsWritten() const { return QDir(outputs).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        archiveDir = root.filePath(QStringLiteral("archive"));
        outputs = root.filePath(QStringLiteral("outputs"));
        QVERIFY(QDir().mkpath(archiveDir));
        QVERIFY(QDir().mkpath(outputs));
        writeFile(archiveDir, measurementName,
                  measurementDocument(ramp(160, 0.5, 1.25), ramp(160, 400, 7.5),
                                      goodResults().replace("\"Smelt\":\"41521\"", "\"Smelt\":\"00731\"")),
                  QDateTime(QDate(2025, 1, 26), QTime(8, 0), Qt::UTC));
        writeFile(
            archiveDir, QStringLiteral("steel_K2-2025_01_27-10_00_00.json"),
            measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), "\"Smelt\":\"7\",\"Temp\":\"1598,5\""),
            QDateTime(QDate(2025, 1, 27), QTime(10, 0), Qt::UTC));
    }

    void init()
    {
        QDir(outputs).removeRecursively();
        QVERIFY(QDir().mkpath(outputs));
    }

    void usageErrorsNameWhatWasTyped_data()
    {
        QTest::addColumn<QStringList>("arguments"); // DIR the archive, FILE a measurement, OUT a folder
        QTest::addColumn<QString>("message");       // the one line on standard error
        const auto row = [](const char *name, std::initializer_list<const char *> words,
                            const char *message) {
            QStringList arguments;
            for (const char *word : words)
                arguments << QString::fromUtf8(word);
            QTest::newRow(name) << arguments << QString::fromUtf8(message);
        };
        row("--excel asks for CSV, --json for JSON", {"find", "DIR", "--excel", "--json"},
            "steel-archive find: --excel and --json exclude each other");
        row("in the order typed", {"stats", "DIR", "--json", "--csv"},
            "steel-archive stats: --json and --csv exclude each other");
        row("a CSV option and a spreadsheet", {"export", "FILE", "--delimiter", ";", "--xlsx"},
            "steel-archive export: --delimiter and --xlsx exclude each other");
        row("two picture formats", {"render", "FILE", "-o", "OUT/plot.png", "--pdf", "--png"},
            "steel-archive render: --pdf and --png exclude each other");
        row("a switch twice", {"find", "DIR", "--json", "--json"},
            "steel-archive find: --json is given more than once; see steel-archive find --help");
        row("--excel twice", {"export", "FILE", "--excel", "--excel"},
            "steel-archive export: --excel is given more than once; see steel-archive export --help");
        row("--no-index twice", {"check", "DIR", "--no-index", "--no-index"},
            "steel-archive check: --no-index is given more than once; see steel-archive check --help");
        row("a value option twice, both spellings",
            {"stats", "DIR", "-o", "OUT/a.csv", "--output", "OUT/b.csv"},
            "steel-archive stats: -o is given more than once; see steel-archive stats --help");
        row("an option where the command belongs", {"--bogus"},
            "steel-archive: unknown option '--bogus'; see steel-archive --help");
        row("an unknown option", {"find", "DIR", "--bogus"},
            "steel-archive find: unknown option '--bogus'; see steel-archive find --help");
        row("an unknown short option", {"ls", "DIR", "-x"},
            "steel-archive ls: unknown option '-x'; see steel-archive ls --help");
        row("an option without its value", {"find", "DIR", "--melt"},
            "steel-archive find: missing value after '--melt'; see steel-archive find --help");
        row("a report under a text's name", {"report", "DIR", "-o", "OUT/report.txt"},
            "steel-archive report: OUT/report.txt: the name must end in .pdf for PDF output");
        row("a report without a suffix", {"report", "DIR", "-o", "OUT/report"},
            "steel-archive report: OUT/report: the name must end in .pdf for PDF output");
        row("a format the command does not write", {"export", "FILE", "-o", "OUT/curves.json"},
            "steel-archive export: OUT/curves.json: the name ends in .json, but export writes no JSON");
        row("CSV under the name of JSON", {"find", "DIR", "--csv", "-o", "OUT/found.json"},
            "steel-archive find: OUT/found.json: the name ends in .json, but the output is CSV");
        row("a spreadsheet under the name of CSV", {"stats", "DIR", "--xlsx", "-o", "OUT/stats.csv"},
            "steel-archive stats: OUT/stats.csv: the name must end in .xlsx for XLSX output");
    }

    void usageErrorsNameWhatWasTyped()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CommandResult result = runProgram(withPaths(arguments));
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        // A path is shown as the system writes it (backslashes on Windows).
        QCOMPARE(result.err, QDir::toNativeSeparators(withPaths({message}).constFirst()) + QLatin1Char('\n'));
        QCOMPARE(outputsWritten(), QStringList());
    }

    void theSuffixOrAnOptionChoosesTheFormat_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("start"); // of the file written
        const QByteArray zip("PK\x03\x04", 4);
        QTest::newRow("find, .json") << QStringList{"find", "DIR", "-o", "OUT/a.json"}
                                     << QByteArray("[\n    {");
        QTest::newRow("find, .csv") << QStringList{"find", "DIR", "-o", "OUT/a.CSV"}
                                    << QByteArray("melt,moment,");
        QTest::newRow("find, .xlsx") << QStringList{"find", "DIR", "-o", "OUT/a.xlsx"} << zip;
        QTest::newRow("find, another name: the plain lines")
            << QStringList{"find", "DIR", "-o", "OUT/a.txt"} << QByteArray("2025-01-27 10:00:00\tK2\t7");
        QTest::newRow("find, CSV by its option under any name")
            << QStringList{"find", "DIR", "--csv", "-o", "OUT/a.txt"} << QByteArray("melt,moment,");
        QTest::newRow("stats, .xlsx") << QStringList{"stats", "DIR", "-o", "OUT/s.xlsx"} << zip;
        QTest::newRow("stats, a CSV option asks for CSV")
            << QStringList{"stats", "DIR", "--delimiter", ";", "-o", "OUT/s"}
            << QByteArray("technology;measurements;");
        QTest::newRow("stats, --decimal-comma too")
            << QStringList{"stats", "DIR", "--decimal-comma", "--delimiter", "|", "-o", "OUT/s"}
            << QByteArray("technology|measurements|");
        QTest::newRow("export, .xlsx") << QStringList{"export", "FILE", "-o", "OUT/e.xlsx"} << zip;
        QTest::newRow("export, another name: CSV") << QStringList{"export", "FILE", "-o", "OUT/e.txt"}
                                                   << QByteArray("time_s,emf_mV,temperature_C\n");
        QTest::newRow("render, .PDF")
            << QStringList{"render", "FILE", "-o", "OUT/p.PDF"} << QByteArray("%PDF");
    }

    void theSuffixOrAnOptionChoosesTheFormat()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, start);
        arguments = withPaths(arguments);
        const CommandResult result = runProgram(arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QFile written(arguments.at(arguments.indexOf(QStringLiteral("-o")) + 1));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(start.size()), start);
    }

    void standardOutputTakesEveryFormat_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("start");
        const QByteArray zip("PK\x03\x04", 4);
        QTest::newRow("find --xlsx, no -o") << QStringList{"find", "DIR", "--xlsx"} << zip;
        QTest::newRow("find --xlsx -o -") << QStringList{"find", "DIR", "--xlsx", "-o", "-"} << zip;
        QTest::newRow("find -o -") << QStringList{"find", "DIR", "-o", "-"}
                                   << QByteArray("2025-01-27 10:00:00\t");
        QTest::newRow("stats --xlsx -o -") << QStringList{"stats", "DIR", "--xlsx", "-o", "-"} << zip;
        QTest::newRow("export --xlsx -o -") << QStringList{"export", "FILE", "--xlsx", "-o", "-"} << zip;
        QTest::newRow("export -o -") << QStringList{"export", "FILE", "-o", "-"} << QByteArray("time_s,");
        QTest::newRow("report -o -") << QStringList{"report", "DIR", "-o", "-"} << QByteArray("%PDF-");
        QTest::newRow("render -o -") << QStringList{"render", "FILE", "-o", "-"} << QByteArray("\x89PNG\r\n");
        QTest::newRow("render --pdf -o -")
            << QStringList{"render", "FILE", "--pdf", "-o", "-"} << QByteArray("%PDF-");
    }

    void standardOutputTakesEveryFormat()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, start);
        const BinaryResult result = runForBytes(withPaths(arguments));
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY2(result.out.startsWith(start), result.out.left(16).toHex().constData());
        QCOMPARE(outputsWritten(), QStringList());
        if (!start.startsWith("PK"))
            return;
        const QString unzipProgram = QStandardPaths::findExecutable(QStringLiteral("unzip"));
        if (unzipProgram.isEmpty())
            QSKIP("no unzip to read the spreadsheet's sheet back with");
        // The spreadsheet is whole: its first sheet reads back.
        const QString book = outputs + QStringLiteral("/from-standard-output.xlsx");
        QFile file(book);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(result.out), result.out.size());
        file.close();
        QProcess unzip;
        unzip.start(unzipProgram, {QStringLiteral("-p"), book, QStringLiteral("xl/worksheets/sheet1.xml")});
        QVERIFY(unzip.waitForFinished(60000));
        QVERIFY(unzip.readAllStandardOutput().contains("</sheetData>"));
    }

    void aTerminalTakesNoBinaryOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString refusal =
            QStringLiteral("is not written to a terminal: name a file with -o, or send standard "
                           "output to a file or a pipe");
        QTest::newRow("find --xlsx") << QStringList{"find", "DIR", "--xlsx"} << 2 << "XLSX " + refusal;
        QTest::newRow("export --xlsx -o -")
            << QStringList{"export", "FILE", "--xlsx", "-o", "-"} << 2 << "XLSX " + refusal;
        QTest::newRow("report -o -") << QStringList{"report", "DIR", "-o", "-"} << 2 << "PDF " + refusal;
        QTest::newRow("render -o -") << QStringList{"render", "FILE", "-o", "-"} << 2 << "PNG " + refusal;
        QTest::newRow("text goes to a terminal")
            << QStringList{"export", "FILE", "-o", "-"} << 0 << "time_s,";
    }

    void aTerminalTakesNoBinaryOutput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        // util-linux's script runs the program on a terminal of its own.
        const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
        if (script.isEmpty())
            QSKIP("no script program (util-linux) to give the program a terminal");
        // Without a pseudo-terminal (a root without /dev/pts) script runs nothing on a terminal: that is
        // the machine's limit, not the program's fault.
        QProcess probe;
        probe.start(script,
                    {QStringLiteral("-qec"), QStringLiteral("test -t 1"), QStringLiteral("/dev/null")});
        if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0)
            QSKIP("script cannot give the program a terminal here (no pseudo-terminal to be had)");
        QString command = shellWord(steelArchiveProgram());
        for (const QString &argument : withPaths(arguments))
            command += QLatin1Char(' ') + shellWord(argument);
        QProcess process;
        process.start(script, {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
        QVERIFY(process.waitForFinished(120000));
        const QString shown = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY2(shown.contains(message), qPrintable(shown));
    }

    // Every help of both programs, in either language: the tool's own, each command its list names,
    // and the viewer's.
    void helpSpeaksTheLanguageOfTheLocaleWithin80Columns_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("command"); // empty: the program's own help
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("headings"); // the first starts the help; each stands on a line
        const CommandResult tool = runProgram({QStringLiteral("--help")}, localeEnvironment("C.UTF-8"));
        static const QRegularExpression listed(QStringLiteral("^  ([a-z]+) "),
                                               QRegularExpression::MultilineOption);
        QStringList commands;
        const QString list =
            tool.out.section(QStringLiteral("\nCommands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
        for (auto match = listed.globalMatch(list); match.hasNext();)
            commands.append(match.next().captured(1));
        QVERIFY(commands.contains(QStringLiteral("find")));
        const QString archive = steelArchiveProgram();
        const QString viewer = QStringLiteral(STEEL_VIEWER_PROGRAM);
        const auto rows = [](const QString &program, const QString &shown, const QString &command,
                             const QString &arguments) {
            // By the name shown, not the path: a clone's folder may well be called steel-viewer.
            const bool lists = !command.isEmpty() || shown == QLatin1String("steel-viewer");
            const QString usage = shown + (command.isEmpty() ? QString() : QLatin1Char(' ') + command);
            QTest::addRow("%s, Russian", qPrintable(usage))
                << program << command << "ru_RU.UTF-8"
                << (lists ? QStringList{"Использование: " + usage + " [параметры]" + arguments,
                                        "Параметры:", "Аргументы:"}
                          : QStringList{"Использование: " + usage, "Команды:"});
            QTest::addRow("%s, English", qPrintable(usage))
                << program << command << "C.UTF-8"
                << (lists
                        ? QStringList{"Usage: " + usage + " [options]" + arguments, "Options:", "Arguments:"}
                        : QStringList{"Usage: " + usage, "Commands:"});
        };
        rows(archive, QStringLiteral("steel-archive"), QString(), QString());
        for (const QString &command : qAsConst(commands))
            rows(archive, QStringLiteral("steel-archive"), command, QString());
        rows(viewer, QStringLiteral("steel-viewer"), QString(), QStringLiteral(" [FOLDER | FILE]"));
    }

    void helpSpeaksTheLanguageOfTheLocaleWithin80Columns()
    {
        QFETCH(QString, program);
        QFETCH(QString, command);
        QFETCH(QString, locale);
        QFETCH(QStringList, headings);
        QStringList arguments{QStringLiteral("--help")};
        if (!command.isEmpty())
            arguments.prepend(command);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), locale);
        environment.remove(QStringLiteral("LC_ALL"));
        environment.remove(QStringLiteral("LC_MESSAGES"));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 0);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(out.startsWith(headings.constFirst()), qPrintable(out.left(80)));
        const QStringList lines = out.split(QLatin1Char('\n'));
        for (const QString &heading : headings.mid(1))
            QVERIFY2(lines.contains(heading), qPrintable(heading));
        // Every help says its exit codes under the same words.
        const bool russian = locale.startsWith(QLatin1String("ru"));
        QVERIFY(
            out.contains(russian ? QStringLiteral("\nКоды завершения: ") : QStringLiteral("\nExit codes: ")));
        for (const QString &line : lines)
            QVERIFY2(line.size() <= 80,
                     qPrintable(QStringLiteral("%1 characters: %2").arg(line.size()).arg(line)));
        // Each option once: one list, no description that lists them again.
        static const QRegularExpression entry(QStringLiteral("^  (?:-\\w, )?(--[\\w-]+)"),
                                              QRegularExpression::MultilineOption);
        QStringList options;
        for (auto match = entry.globalMatch(out); match.hasNext();) {
            const QString option = match.next().captured(1);
            QVERIFY2(!options.contains(option), qPrintable(option));
            options.append(option);
        }
        // A name the reader types is quoted «so» in Russian, as in every Russian help.
        QVERIFY(!russian || !out.contains(QStringLiteral("\"archive\"")));
        // It describes the system it runs on: the other system's places, numbers and limits are no
        // help here, nor a command the build leaves out.
#ifdef Q_OS_WIN
        const QStringList otherSystem{"XDG_CACHE_HOME", "~/.cache",    "inode",    "bind mount",
                                      "bind-монт",      "set-user-ID", "Linux",    "as root",
                                      "у root",         "SIGINT",      "\n  sync "};
#else
        const QStringList otherSystem{"%LOCALAPPDATA%", "serial number", "серийн"};
#endif
        for (const QString &word : otherSystem)
            QVERIFY2(!out.contains(word), qPrintable(word));
    }

    void aQuotedFolderMayEndInABackslash()
    {
#ifdef Q_OS_WIN
        // As cmd hands it on: the backslash before the closing quote makes the quote a character.
        QProcess process;
        process.setProgram(steelArchiveProgram());
        process.setNativeArguments(QStringLiteral("ls \"%1\\\"").arg(QDir::toNativeSeparators(archiveDir)));
        process.start();
        QVERIFY(process.waitForFinished(120000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(process.exitCode() == 0, qPrintable(err));
        QVERIFY(QString::fromUtf8(process.readAllStandardOutput()).contains(QStringLiteral("K2")));
#else
        QSKIP("the rule that a backslash makes a quote a character is Windows' own");
#endif
    }

    void russianDesksTypeAndReadNumbersTheirWay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected"); // in the output
        QTest::newRow("a range with decimal commas")
            << QStringList{"find", "DIR", "--temp", "1598,4:1598,6"} << "ru_RU.UTF-8"
            << "\tK2\t7\t1598,5\t";
        QTest::newRow("stats: no status, in Russian")
            << QStringList{"stats", "DIR", "--by", "status"} << "ru_RU.UTF-8"
            << "\nбез статуса ";
        QTest::newRow("stats: no status, in English")
            << QStringList{"stats", "DIR", "--by", "status"} << "C.UTF-8"
            << "\nnone ";
        QTest::newRow("show: the file's texts as written") << QStringList{"show", "FILE"} << "ru_RU.UTF-8"
                                                           << "150.9\n";
        QTest::newRow("show: its own numbers the Russian way") << QStringList{"show", "FILE"} << "ru_RU.UTF-8"
                                                               << "точек: 160, 0,5 .. 199,25 мВ\n";
        QTest::newRow("show: its own numbers the English way") << QStringList{"show", "FILE"} << "C.UTF-8"
                                                               << "160 samples, 0.5 .. 199.25 mV\n";
    }

    void russianDesksTypeAndReadNumbersTheirWay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        const CommandResult result = runProgram(withPaths(arguments), localeEnvironment(locale));
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY2(result.out.contains(expected), qPrintable(result.out));
    }

    void helpIsLaidOutWithinTheColumns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("laidOut"); // within 20 columns
        QTest::newRow("short lines stay") << "Usage: x\nTwo short\nlines.\n"
                                          << "Usage: x\nTwo short\nlines.\n";
        QTest::newRow("a paragraph is filled anew")
            << "Usage: x\nA paragraph whose line is too long\nfor the width.\n"
            << "Usage: x\nA paragraph whose\nline is too long for\nthe width.\n";
        QTest::newRow("to the end of its sentence")
            << "Usage: x\nOne sentence that runs long.\nAnother one.\n"
            << "Usage: x\nOne sentence that\nruns long.\nAnother one.\n";
        QTest::newRow("an entry under its description's column")
            << "Usage: x\n  --a   one two three four five\n        six\n"
            << "Usage: x\n  --a   one two\n        three four\n        five six\n";
        QTest::newRow("an entry of one line")
            << "Usage: x\n  ls   list an archive as it is\n"
            << "Usage: x\n  ls   list an\n       archive as it\n       is\n";
        QTest::newRow("a heading over a list stays") << "Usage: x\nConditions that hold:\n  --a   b\n"
                                                     << "Usage: x\nConditions that hold:\n  --a   b\n";
        QTest::newRow("a word longer than a line stands alone")
            << "Usage: x\nsee $XDG_CACHE_HOME/steel-archive now\n"
            << "Usage: x\nsee\n$XDG_CACHE_HOME/steel-archive\nnow\n";
    }

    void helpIsLaidOutWithinTheColumns()
    {
        QFETCH(QString, text);
        QFETCH(QString, laidOut);
        QCOMPARE(language::fitToColumns(text, 20), laidOut);
    }
};

QTEST_GUILESS_MAIN(UsageTest)
#include "tst_usage.moc"
