// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

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
                          .arg(systemReason(parser.errorText()), toolName, syntax.name));
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

QString defaultArchiveDirectory()
{
    return QDir::currentPath() + QStringLiteral("/archive");
}

void addArchiveDirectoryArgument(QCommandLineParser &parser)
{
    parser.addPositionalArgument(QStringLiteral("DIR"), QCoreApplication::translate("cli", "Archive folder."),
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

namespace {

// The system's reasons as the C locale writes them, translated for a system without its own
// translation of them (a locale whose messages are not installed). The translations follow the
// system's own wording where it has one, so that a line reads the same on either.
[[maybe_unused]] const char *const systemReasons[] = {
    QT_TRANSLATE_NOOP("system", "No such file or directory"),
    QT_TRANSLATE_NOOP("system", "Permission denied"),
    QT_TRANSLATE_NOOP("system", "No space left on device"),
    QT_TRANSLATE_NOOP("system", "Is a directory"),
    QT_TRANSLATE_NOOP("system", "Not a directory"),
    QT_TRANSLATE_NOOP("system", "Read-only file system"),
    QT_TRANSLATE_NOOP("system", "File too large"),
    QT_TRANSLATE_NOOP("system", "Input/output error"),
    QT_TRANSLATE_NOOP("system", "Disk quota exceeded"),
    QT_TRANSLATE_NOOP("system", "Too many levels of symbolic links"),
    QT_TRANSLATE_NOOP("system", "File name too long"),
    QT_TRANSLATE_NOOP("system", "Operation not permitted"),
    QT_TRANSLATE_NOOP("system", "Device or resource busy"),
    QT_TRANSLATE_NOOP("system", "Text file busy"),
    QT_TRANSLATE_NOOP("system", "Stale file handle"),
    QT_TRANSLATE_NOOP("system", "Too many open files"),
    QT_TRANSLATE_NOOP("system", "No such device or address"),
    QT_TRANSLATE_NOOP("system", "No such device"),
    QT_TRANSLATE_NOOP("system", "Operation not supported"),
    QT_TRANSLATE_NOOP("system", "Invalid argument"),
    QT_TRANSLATE_NOOP("system", "Cannot allocate memory"),
    QT_TRANSLATE_NOOP("system", "File exists"),
    QT_TRANSLATE_NOOP("system", "Invalid cross-device link"),
    QT_TRANSLATE_NOOP("system", "Broken pipe"),
    QT_TRANSLATE_NOOP("system", "Bad file descriptor"),
    QT_TRANSLATE_NOOP("system", "Connection timed out"),
    QT_TRANSLATE_NOOP("system", "Transport endpoint is not connected"),
    QT_TRANSLATE_NOOP("system", "Resource temporarily unavailable"),
    QT_TRANSLATE_NOOP("system", "Interrupted system call"),
    QT_TRANSLATE_NOOP("system", "Host is down"),
    QT_TRANSLATE_NOOP("system", "No medium found"),
    QT_TRANSLATE_NOOP("system", "Remote I/O error"),
    QT_TRANSLATE_NOOP("system", "Unknown error"),
};

} // namespace

QString systemText(const QString &text)
{
    // The system's own localized text (strerror under the user's locale) is no source of ours and
    // stays as it is; the C locale's English text is translated where the reader's language has it.
    const QByteArray source = text.toUtf8();
    return QCoreApplication::translate("system", source.constData());
}

QString systemReason(const QString &errorString)
{
    QString reason = errorString.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    reason = systemText(reason);
    if (!reason.isEmpty() && !(reason.size() > 1 && reason.at(1).isUpper()))
        reason[0] = reason.at(0).toLower(); // but keep "QPainter" or "EOF" as written
    return reason.isEmpty() ? QCoreApplication::translate("cli", "unknown error") : reason;
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
        return QCoreApplication::translate("cli", "is a folder, not a file");
    if (!info.isFile())
        return QCoreApplication::translate("cli", "is not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return systemReason(file.errorString());
    return QCoreApplication::translate("cli", "cannot be read");
}

QString unlistableFolderReason(const QString &directory)
{
    const QString path = directory.isEmpty() ? QStringLiteral(".") : directory;
    const QString lookup = lookupFailure(path);
    if (!lookup.isEmpty())
        return lookup == systemReason(QStringLiteral("No such file or directory"))
                   ? QCoreApplication::translate("cli", "no such folder")
                   : lookup;
    const QFileInfo info(path);
    if (!info.isDir())
        return QCoreApplication::translate("cli", "is not a folder");
    if (!info.isReadable() || !info.isExecutable())
        return QCoreApplication::translate("cli", "permission denied: the folder cannot be read");
    return QString();
}

bool isStandardOutput(const QString &output)
{
    return output == QLatin1String("-");
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
