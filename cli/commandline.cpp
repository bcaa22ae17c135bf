// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"
#include "archive/archivefolder.h"
#include "language/systemtext.h"

#include "commands.h"
#include "language/helplayout.h"
#include "output/codepageoutput.h"

#include "platform/arguments.h"
#include "platform/console.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>

#include <cmath>

namespace cli {

namespace {

const QString toolName = QStringLiteral("steel-archive");

// The texts of Qt's own command-line parser, named here so that our translation carries them too:
// its errors.
[[maybe_unused]] const char *const parserTexts[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
    // And the headings of its help, which the completion and the man page read in English.
    QT_TRANSLATE_NOOP("QCommandLineParser", "[options]"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Options:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Arguments:"),
};

// QCommandLineParser names the running executable in its usage line; ours names the command too.
QString commandHelpText(const QCommandLineParser &parser, const QString &command, const QString &exitCodes)
{
    QString text = parser.helpText();
    if (!exitCodes.isEmpty()) {
        if (!text.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
        text += QLatin1Char('\n') + exitCodes;
    }
    const QStringList programArguments = QCoreApplication::arguments();
    const QString executable = programArguments.isEmpty() ? QString() : programArguments.constFirst();
    const auto usage = [](const QString &name) {
        return QCoreApplication::translate("QCommandLineParser", "Usage: %1").arg(name);
    };
    const QString usagePrefix = usage(executable);
    if (!executable.isEmpty() && text.startsWith(usagePrefix))
        text.replace(0, usagePrefix.size(), usage(toolName + QLatin1Char(' ') + command));
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    return text;
}

// An option as the user typed it: "--name" or "-n"; a letter of a cluster of short options ("-xy")
// as the whole word.
QString typedOption(const QString &name, const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--") + name ||
            argument.startsWith(QLatin1String("--") + name + QLatin1Char('=')))
            return QLatin1String("--") + name;
        if (name.size() == 1 && argument.startsWith(QLatin1Char('-')) &&
            !argument.startsWith(QLatin1String("--")) && argument.contains(name))
            return argument;
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// Why the command line does not parse, naming the options as typed.
QString parseError(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QCoreApplication::translate("cli", "unknown option '%1'")
            .arg(typedOption(unknown.constFirst(), arguments));
    static const QRegularExpression missingValue(QStringLiteral("^Missing value after '(.*)'\\.$"));
    // In the form of our own lines, without Qt's capital and full stop; matched before translation.
    const QRegularExpressionMatch missing = missingValue.match(parser.errorText());
    if (missing.hasMatch())
        return QCoreApplication::translate("cli", "missing value after '%1'").arg(missing.captured(1));
    return language::systemReason(parser.errorText());
}

// The first option given twice, as typed, or the empty text. Each option of ours is given once at
// most: taking the last of two values would hide a typing error, and a switch given twice is the same
// slip, or two intentions that cannot both be met.
QString repeatedOption(const QCommandLineParser &parser, const QStringList &arguments)
{
    QStringList seen;
    for (const QString &name : parser.optionNames()) {
        if (seen.contains(name) || parser.values(name).size() > 1)
            return typedOption(name, arguments);
        seen.append(name);
    }
    return QString();
}

} // namespace

std::optional<int> parseCommandLine(QCommandLineParser &parser, const CommandSyntax &syntax,
                                    const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    parser.setApplicationDescription(syntax.description);
    // Not addHelpOption(): its --help-all would list Qt's own options, which no command takes.
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QCoreApplication::translate("cli", "Show this help."));
    parser.addOption(helpOption);
    if (!parser.parse(arguments)) {
        reportFailure(err, syntax.name,
                      QCoreApplication::translate("cli", "%1; see %2 %3 --help")
                          .arg(parseError(parser, arguments), toolName, syntax.name));
        return exitFailure;
    }
    if (parser.isSet(helpOption)) {
        out << language::fitToColumns(commandHelpText(parser, syntax.name, syntax.exitCodes));
        out.flush();
        return exitSuccess;
    }
    const QString repeated = repeatedOption(parser, arguments);
    if (!repeated.isEmpty()) {
        reportFailure(err, syntax.name,
                      QCoreApplication::translate("cli", "%1 is given more than once; see %2 %3 --help")
                          .arg(repeated, toolName, syntax.name));
        return exitFailure;
    }
    const int count = parser.positionalArguments().size();
    if (count < syntax.minPositional) {
        reportFailure(err, syntax.name,
                      QCoreApplication::translate("cli", "missing argument; see %1 %2 --help")
                          .arg(toolName, syntax.name));
        return exitFailure;
    }
    if (count > syntax.maxPositional) {
        reportFailure(err, syntax.name,
                      QCoreApplication::translate("cli", "unexpected argument \"%1\"; see %2 %3 --help")
                          .arg(parser.positionalArguments().at(syntax.maxPositional), toolName, syntax.name));
        return exitFailure;
    }
    return std::nullopt;
}

std::optional<platform::CodePage> takeEncodingOption(QStringList &arguments, QString *error)
{
    const QString option = QStringLiteral("--encoding");
    QStringList values;
    for (int i = 0; i < arguments.size();) {
        if (arguments.at(i).startsWith(option + QLatin1Char('='))) {
            values.append(arguments.takeAt(i).mid(option.size() + 1));
        } else if (arguments.at(i) == option) {
            arguments.removeAt(i);
            if (i == arguments.size()) {
                *error = QCoreApplication::translate("cli", "--encoding needs a value: oem, ansi or utf-8");
                return std::nullopt;
            }
            values.append(arguments.takeAt(i));
        } else {
            ++i;
        }
    }
    if (values.size() > 1) {
        *error = QCoreApplication::translate("cli", "--encoding is given more than once");
        return std::nullopt;
    }
    return values.isEmpty() ? std::nullopt : output::codePageOption(values.constFirst(), error);
}

int reportFailure(QTextStream &err, const QString &command, const QString &message)
{
    err << toolName << ' ' << command << ": " << message << '\n';
    err.flush();
    return exitFailure;
}

void addArchiveDirectoryArgument(QCommandLineParser &parser)
{
    parser.addPositionalArgument(QStringLiteral("DIR"), QCoreApplication::translate("cli", "Archive folder."),
                                 QStringLiteral("[DIR]"));
}

QString archiveDirectoryArgument(const QCommandLineParser &parser)
{
    const QStringList positional = parser.positionalArguments();
    return positional.isEmpty() ? archive::defaultArchiveDirectory()
                                : platform::folderArgument(positional.constFirst());
}

std::function<void(qint64, qint64)> terminalProgress(QTextStream &err, const QString &verb)
{
    if (err.string() || !platform::isTerminal(platform::StandardStream::error))
        return nullptr;
    // Without escape sequences the finished line is erased with spaces.
    const bool escapes = platform::terminalTakesEscapes(platform::StandardStream::error);
    return [&err, verb, escapes](qint64 done, qint64 total) {
        const QString line = QStringLiteral("%1 %2/%3").arg(verb).arg(done).arg(total);
        err << '\r' << line;
        if (done == total)
            err << (escapes ? QStringLiteral("\r\x1b[K")
                            : QLatin1Char('\r') + QString(line.size(), QLatin1Char(' ')) + QLatin1Char('\r'));
        err.flush();
    };
}

namespace {} // namespace

namespace {} // namespace

bool isStandardOutput(const QString &output)
{
    return output == QLatin1String("-");
}

} // namespace cli
