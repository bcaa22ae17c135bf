// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"
#include "archive/archivefolder.h"
#include "language/systemtext.h"

#include "commands.h"

#include "platform/console.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

#include <cmath>

namespace cli {

namespace {

const QString toolName = QStringLiteral("steel-archive");

// The errors of Qt's own command-line parser, named here so that our translation carries them too.
[[maybe_unused]] const char *const parserErrors[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
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
    const QString usagePrefix = QStringLiteral("Usage: ") + executable;
    if (!executable.isEmpty() && text.startsWith(usagePrefix))
        text.replace(0, usagePrefix.size(),
                     QStringLiteral("Usage: ") + toolName + QLatin1Char(' ') + command);
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    return text;
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
                          .arg(language::systemReason(parser.errorText()), toolName, syntax.name));
        return exitFailure;
    }
    if (parser.isSet(helpOption)) {
        out << commandHelpText(parser, syntax.name, syntax.exitCodes);
        out.flush();
        return exitSuccess;
    }
    // Every option of ours takes one value at most; taking the last of two would hide a typing error.
    QStringList seen;
    for (const QString &name : parser.optionNames()) {
        if (seen.contains(name))
            continue;
        seen.append(name);
        if (parser.values(name).size() > 1) {
            reportFailure(err, syntax.name,
                          QCoreApplication::translate("cli", "%1%2 is given more than once; see %3 %4 --help")
                              .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name,
                                   toolName, syntax.name));
            return exitFailure;
        }
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
    return positional.isEmpty() ? archive::defaultArchiveDirectory() : positional.constFirst();
}

std::function<void(qint64, qint64)> terminalProgress(QTextStream &err, const QString &verb)
{
    if (err.string() || !platform::isTerminal(platform::StandardStream::error))
        return nullptr;
    return [&err, verb](qint64 done, qint64 total) {
        err << '\r' << verb << ' ' << done << '/' << total << (done == total ? "\r\x1b[K" : "");
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
