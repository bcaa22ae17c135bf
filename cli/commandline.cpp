// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include "commands.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"
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
    const QCommandLineOption helpOption = parser.addHelpOption();
    if (!parser.parse(arguments)) {
        reportFailure(err, syntax.name,
                      systemReason(parser.errorText()) + QStringLiteral("; see ") + toolName +
                          QLatin1Char(' ') + syntax.name + QStringLiteral(" --help"));
        return exitFailure;
    }
    if (parser.isSet(helpOption)) {
        out << commandHelpText(parser, syntax.name, syntax.exitCodes);
        out.flush();
        return exitSuccess;
    }
    const int count = parser.positionalArguments().size();
    if (count < syntax.minPositional) {
        reportFailure(err, syntax.name,
                      QStringLiteral("missing argument; see ") + toolName + QLatin1Char(' ') + syntax.name +
                          QStringLiteral(" --help"));
        return exitFailure;
    }
    if (count > syntax.maxPositional) {
        reportFailure(err, syntax.name,
                      QStringLiteral("unexpected argument \"%1\"; see %2 %3 --help")
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

QString defaultArchiveDirectory()
{
    return QDir::currentPath() + QStringLiteral("/archive");
}

void addArchiveDirectoryArgument(QCommandLineParser &parser)
{
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("Archive folder."),
                                 QStringLiteral("[DIR]"));
}

QString archiveDirectoryArgument(const QCommandLineParser &parser)
{
    const QStringList positional = parser.positionalArguments();
    return positional.isEmpty() ? defaultArchiveDirectory() : positional.constFirst();
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

QString exactNumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    if (value == 0.0 && std::signbit(value))
        return QStringLiteral("-0"); // QString::number drops the sign of negative zero
    // QString::number always writes the C locale's notation, whatever the machine's locale.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString jsonQuoted(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(QLatin1Char('"'));
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            quoted.append(QStringLiteral("\\\""));
            break;
        case '\\':
            quoted.append(QStringLiteral("\\\\"));
            break;
        case '\b':
            quoted.append(QStringLiteral("\\b"));
            break;
        case '\f':
            quoted.append(QStringLiteral("\\f"));
            break;
        case '\n':
            quoted.append(QStringLiteral("\\n"));
            break;
        case '\r':
            quoted.append(QStringLiteral("\\r"));
            break;
        case '\t':
            quoted.append(QStringLiteral("\\t"));
            break;
        default:
            if (c.unicode() < 0x20)
                quoted.append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')));
            else
                quoted.append(c);
        }
    }
    quoted.append(QLatin1Char('"'));
    return quoted;
}

QString systemReason(const QString &errorString)
{
    QString reason = errorString.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    if (!reason.isEmpty() && !(reason.size() > 1 && reason.at(1).isUpper()))
        reason[0] = reason.at(0).toLower(); // but keep "QPainter" or "EOF" as written
    return reason.isEmpty() ? QStringLiteral("unknown error") : reason;
}

namespace {

// What the system says when it looks the path up, or the empty text when it finds it.
QString lookupFailure(const QString &path)
{
    const QString failure = platform::lookupFailure(path);
    return failure.isEmpty() ? failure : systemReason(failure);
}

} // namespace

QString unreadableReason(const QString &path)
{
    const QString lookup = lookupFailure(path);
    if (!lookup.isEmpty())
        return lookup;
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("is a folder, not a file");
    if (!info.isFile())
        return QStringLiteral("is not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return systemReason(file.errorString());
    return QStringLiteral("cannot be read");
}

QString unlistableFolderReason(const QString &directory)
{
    const QString path = directory.isEmpty() ? QStringLiteral(".") : directory;
    const QString lookup = lookupFailure(path);
    if (!lookup.isEmpty())
        return lookup == QLatin1String("no such file or directory") ? QStringLiteral("no such folder")
                                                                    : lookup;
    const QFileInfo info(path);
    if (!info.isDir())
        return QStringLiteral("is not a folder");
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("permission denied: the folder cannot be read");
    return QString();
}

bool isStandardOutput(const QString &output)
{
    return output == QLatin1String("-");
}

QString outputRefusal(const QString &input, const QString &output)
{
    if (isStandardOutput(output))
        return QString();
    const QFileInfo in(input);
    const QFileInfo out(output);
    const QString inputPath = in.canonicalFilePath();
    // A hard link has a path of its own.
    const bool same =
        (!inputPath.isEmpty() && out.canonicalFilePath() == inputPath) || platform::isSameFile(input, output);
    if (same)
        return QStringLiteral("is the input file %1; refusing to overwrite a measurement").arg(input);
    const QString inputFolder = in.absoluteDir().canonicalPath();
    if (!inputFolder.isEmpty() && out.absoluteDir().canonicalPath() == inputFolder &&
        archive::wildcardMatch(archive::technologyPattern(), out.fileName()))
        return QStringLiteral(
                   "is named like an archive file (%1) in the folder of %2, where the viewer would "
                   "list it; refusing to write it there")
            .arg(archive::technologyPattern(), input);
    return QString();
}

QString unwritableReason(const QString &output)
{
    const QFileInfo info(output);
    if (info.isDir())
        return QStringLiteral("is a folder, not a file");
    const QString folder = info.absolutePath();
    const QString lookup = lookupFailure(folder);
    if (!lookup.isEmpty())
        return QStringLiteral("cannot be written into %1: %2").arg(folder, lookup);
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("cannot be written: %1 is not a folder").arg(folder);
    // Opened without truncating, so that a refusal leaves an existing file as it was.
    const bool existed = info.exists();
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return systemReason(file.errorString());
    file.close();
    if (!existed)
        file.remove();
    return QString();
}

QString momentDisplayText(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return QStringLiteral("?");
    const QLatin1Char zero('0');
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(date.year(), 4, 10, zero)
        .arg(date.month(), 2, 10, zero)
        .arg(date.day(), 2, 10, zero)
        .arg(time.hour(), 2, 10, zero)
        .arg(time.minute(), 2, 10, zero)
        .arg(time.second(), 2, 10, zero);
}

} // namespace cli
