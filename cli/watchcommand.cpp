// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"
#include "output/resultcolumns.h"
#include "query/searchcriteria.h"

#include "archive/archivefolder.h"
#include "archive/archivewatcher.h"
#include "language/language.h"
#include "platform/console.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTextStream>

namespace cli {

namespace {

constexpr double defaultQuietSeconds = archive::ArchiveWatcher::defaultQuietPeriod / 1000.0;
constexpr double longestQuietSeconds = 3600.0;

// Prints what the watcher tells: a find line (or a JSON line) for each measurement, the rest as
// lines on standard error; ends its event loop with the exit code when the watch is over.
class WatchPrinter
{
public:
    WatchPrinter(archive::ArchiveWatcher &watcher, bool json, QTextStream &out, QTextStream &err)
        : watcher(watcher), directory(archive::displayPath(watcher.directory())), json(json), out(out),
          err(err)
    {
        QObject::connect(&watcher, &archive::ArchiveWatcher::measurementArrived, &context,
                         [this](const archive::ArrivedMeasurement &m) { print(m); });
        QObject::connect(&watcher, &archive::ArchiveWatcher::stillIncomplete, &context,
                         [this](const archive::IncompleteFile &file) { incomplete(file); });
        QObject::connect(&watcher, &archive::ArchiveWatcher::folderLost, &context,
                         [this](archive::ArchiveWatcher::Loss loss) { lost(loss); });
        QObject::connect(
            &watcher, &archive::ArchiveWatcher::folderUnlistable, &context, [this](const QString &reason) {
                say(QCoreApplication::translate("cli", "%1: %2; still watching").arg(directory, reason));
            });
        QObject::connect(&watcher, &archive::ArchiveWatcher::folderListable, &context, [this] {
            say(QCoreApplication::translate("cli", "%1: can be read again").arg(directory));
        });
        QObject::connect(&watcher, &archive::ArchiveWatcher::reattached, &context, [this] {
            say(QCoreApplication::translate("cli", "%1: watching the folder now there").arg(directory));
        });
    }

    int run()
    {
        // Interrupted (Ctrl+C, SIGTERM, the console window closed), the watch ends cleanly, with success.
        const platform::TerminationRequests terminationRequests([this] { loop.exit(exitSuccess); });
        err << "steel-archive watch: "
            << QCoreApplication::translate("cli", "watching %1 for new measurements until interrupted")
                   .arg(directory)
            << '\n';
        err.flush();
        if (!watcher.isWatching())
            say(QCoreApplication::translate("cli", "%1: %2; waiting until it can be watched")
                    .arg(directory, watcher.failureReason()));
        return loop.exec();
    }

private:
    archive::ArchiveWatcher &watcher;
    const QString directory; // as messages show it
    const bool json;
    QTextStream &out;
    QTextStream &err;
    QObject context; // owns the connections
    QEventLoop loop;

    void say(const QString &message) { reportFailure(err, QStringLiteral("watch"), message); }

    void print(const archive::ArrivedMeasurement &m)
    {
        // The fields find prints, from the same record: a name the file-name encoding cannot decode
        // is shown as find shows it.
        const query::FoundMeasurement found{m.fileName, m.technology, m.moment, m.digest,
                                            m.undecodableName ? m.encodedName : QByteArray()};
        out << (json ? output::resultJsonLine(found) : output::resultLine(found)) << '\n';
        out.flush();
        // Lines that cannot be written are no feed: the watch ends, and the write error is told.
        if (out.status() != QTextStream::Ok)
            loop.exit(exitFailure);
    }

    void incomplete(const archive::IncompleteFile &file)
    {
        const QString reason = file.findings ? unparsedReason(*file.findings) : file.unreadableReason;
        say(QCoreApplication::translate("cli", "%1: incomplete: not a measurement after %2 s "
                                               "without a change: %3; still watched")
                .arg(directory + QDir::separator() + file.shownName(),
                     language::localNumbers(QString::number(watcher.quietPeriod() / 1000.0)), reason));
    }

    void lost(archive::ArchiveWatcher::Loss loss)
    {
        const bool gone = loss == archive::ArchiveWatcher::Loss::gone;
        if (watcher.followsName()) {
            say(gone
                    ? QCoreApplication::translate("cli",
                                                  "%1: the folder is gone; waiting for it to come back")
                          .arg(directory)
                    : QCoreApplication::translate("cli", "%1: the folder was replaced; following the new one")
                          .arg(directory));
            return;
        }
        say(gone ? QCoreApplication::translate("cli", "%1: the folder is gone; stopped watching")
                       .arg(directory)
                 : QCoreApplication::translate("cli", "%1: the folder was replaced; stopped watching")
                       .arg(directory));
        loop.exit(exitFindings);
    }
};

CommandSyntax watchSyntax()
{
    return CommandSyntax{
        QStringLiteral("watch"),
        QCoreApplication::translate(
            "cli", "Watches DIR and prints one line for each measurement file that appears in it, as\n"
                   "find lists it (tab-separated: moment, technology, melt number, temperature, status,\n"
                   "file name), as soon as its first line is a complete measurement. Files already there\n"
                   "at the start are not printed; a file renamed into DIR counts as new; deleted files\n"
                   "are ignored. A new file that does not parse yet is waited for; once it has stayed\n"
                   "unchanged for the quiet period without parsing it is named on standard error as\n"
                   "incomplete, and still watched: it is printed when it parses, however late. One\n"
                   "deleted before is forgotten. Uses the system's file change notification; runs until\n"
                   "interrupted.\n"
                   "DIR defaults to the folder \"archive\" in the working directory.") +
            QLatin1Char('\n') +
            QCoreApplication::translate(
                "cli",
                "DIR is also looked at every %1 s, so that nothing the notification misses (a share\n"
                "written by another machine) goes unprinted; a folder that cannot be read is named on\n"
                "standard error and still watched, without printing its files again. DIR is known by\n"
                "its identity, not its name: when another folder takes its place (it or a folder above\n"
                "it moved away and made anew, another file system mounted over it, a link in the path\n"
                "pointed elsewhere) the watch ends with exit code 1, unless --follow-name is given.\n")
                .arg(archive::ArchiveWatcher::checkInterval / 1000),
        0, 1,
        platform::endsOnConsoleEvents()
            ? QCoreApplication::translate(
                  "cli",
                  "Exit codes: 0 interrupted (Ctrl+C, Ctrl+Break or the console window closed), 1 the\n"
                  "folder disappeared, 2 bad usage, a folder that cannot be read or lines that cannot\n"
                  "be written.\n")
            : QCoreApplication::translate(
                  "cli", "Exit codes: 0 interrupted (SIGINT or SIGTERM), 1 the folder disappeared, 2 bad\n"
                         "usage, a folder that cannot be read or lines that cannot be written.\n")};
}

} // namespace

int runWatch(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = watchSyntax();
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        QCoreApplication::translate("cli", "One JSON object per line, with find's fields."));
    const QCommandLineOption quietOption(
        QStringLiteral("quiet-period"),
        QCoreApplication::translate("cli",
                                    "How long an unparsed new file may stay unchanged before it is named as "
                                    "incomplete, in seconds (default %1; \"2.5\" or \"2,5\").")
            .arg(defaultQuietSeconds),
        QStringLiteral("SEC"));
    const QCommandLineOption followOption(
        QStringLiteral("follow-name"),
        QCoreApplication::translate(
            "cli", "Follow DIR by its name, as tail -F follows a file: a folder not there yet, gone or "
                   "replaced is waited for, and once one is there its files are printed, but for those "
                   "printed before or there at the start. A share mounted on DIR after the start thus has "
                   "its files printed once; without --follow-name that mount ends the watch."));
    parser.addOptions({jsonOption, quietOption, followOption});
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    double quietSeconds = defaultQuietSeconds;
    if (parser.isSet(quietOption)) {
        const std::optional<double> typed = query::parseTypedNumber(parser.value(quietOption));
        quietSeconds = typed.value_or(0);
        if (!typed || !(quietSeconds >= 0.1 && quietSeconds <= longestQuietSeconds))
            return reportFailure(err, syntax.name,
                                 QCoreApplication::translate(
                                     "cli", "--quiet-period \"%1\" is not a number of seconds from 0.1 to %2")
                                     .arg(parser.value(quietOption))
                                     .arg(longestQuietSeconds));
    }
    const QString directory = archiveDirectoryArgument(parser);
    const bool followName = parser.isSet(followOption);
    // Following the name, a folder that is not there (or cannot be read) yet is waited for.
    const QString reason = followName ? QString() : archive::unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name,
                             archive::displayPath(directory) + QStringLiteral(": ") + reason);

    archive::ArchiveWatcher watcher(directory);
    watcher.setQuietPeriod(qRound(quietSeconds * 1000.0));
    watcher.setFollowName(followName);
    WatchPrinter printer(watcher, parser.isSet(jsonOption), out, err);
    if (!watcher.start())
        return reportFailure(
            err, syntax.name,
            QCoreApplication::translate("cli", "%1: cannot be watched").arg(archive::displayPath(directory)));
    return printer.run();
}

} // namespace cli
