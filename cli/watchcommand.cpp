// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivefolder.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "language/language.h"
#include "language/systemtext.h"
#include "measurementcommands.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "platform/console.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QJsonDocument>
#include <QSet>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace cli {

namespace {

constexpr double defaultQuietSeconds = 10.0;
constexpr double longestQuietSeconds = 3600.0;
// How often the folder is looked at without a notification (see checkNow).
constexpr int checkIntervalMsecs = 2000;

QSet<QString> archiveFileNames(const QString &directory)
{
    QSet<QString> names;
    archive::forEachMatchingFile(directory, archive::technologyPattern(), false,
                                 [&names](QStringView name, qint64) { names.insert(name.toString()); });
    return names;
}

// Reports each archive file that appears in the folder once its first line is a measurement. The
// folder is watched through the system's change notification; a file that is still being written is
// watched itself until it parses or has stayed unchanged for the quiet period.
class ArchiveWatch
{
public:
    ArchiveWatch(const QString &directory, bool json, int quietMsecs, QTextStream &out, QTextStream &err)
        : directory(directory), json(json), quietMsecs(quietMsecs), out(out), err(err)
    {}

    int run()
    {
        if (!watcher.addPath(directory))
            return reportFailure(err, command,
                                 QCoreApplication::translate("cli", "%1: cannot be watched").arg(directory));
        // The system reports no move of a watched folder to the folder's own watch, only to its parent's.
        watcher.addPath(parent);
        // Listed after the watch has begun, so that no file can slip in between unseen.
        known = archiveFileNames(directory);
        QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &context,
                         [this](const QString &path) {
                             if (path == directory)
                                 folderChanged();
                             else
                                 checkFolderIsThere();
                         });
        QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &context,
                         [this](const QString &path) { fileChanged(path); });
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &context, [this] { checkNow(); });
        check.start(checkIntervalMsecs);
        // Interrupted (Ctrl+C, SIGTERM, the console window closed), the watch ends cleanly, with success.
        const platform::TerminationRequests terminationRequests([this] { loop.exit(exitSuccess); });
        err << "steel-archive watch: "
            << QCoreApplication::translate("cli", "watching %1 for new measurements until interrupted")
                   .arg(directory)
            << '\n';
        err.flush();
        return loop.exec();
    }

private:
    const QString command = QStringLiteral("watch");
    const QString directory;
    const QString parent = QFileInfo(QDir(directory).absolutePath()).path();
    const bool json;
    const int quietMsecs;
    QTextStream &out;
    QTextStream &err;

    QObject context; // owns the connections and the quiet timers
    QEventLoop loop;
    QFileSystemWatcher watcher;
    QSet<QString> known;              // names present: there at the start, reported, or waited for
    QHash<QString, QTimer *> waiting; // files that do not parse yet, with their quiet timers
    QSet<QString> namedIncomplete;    // waited for, and already named as incomplete
    bool folderGone = false;

    QString pathOf(const QString &fileName) const { return directory + QLatin1Char('/') + fileName; }

    // A folder removed or moved away is dropped from the watch; a new one of the same name is another
    // folder, whose changes would never arrive.
    bool checkFolderIsThere()
    {
        if (watcher.directories().contains(directory) && QFileInfo(directory).isDir())
            return true;
        if (folderGone)
            return false; // already said; the loop ends with the events still queued
        folderGone = true;
        reportFailure(
            err, command,
            QCoreApplication::translate("cli", "%1: the folder is gone; stopped watching").arg(directory));
        loop.exit(exitFindings);
        return false;
    }

    // Some removals raise no notification: a share's folder removed by another machine, and on Windows
    // a folder removed while a handle on it is open, which is only pending deletion until the last
    // handle closes (the watch's own notification handles among them; under Wine it is even still
    // listed and opened as if nothing had happened). So the folder is looked at now and then, and on
    // Windows its watch is renewed, so that such a removal completes and is seen. The folder is listed
    // after the renewal: nothing written while no watch was open goes unseen.
    void checkNow()
    {
        if (!platform::removedFoldersWaitForHandles()) {
            checkFolderIsThere();
            return;
        }
        // The parent's watch holds the folder too (under Wine at least).
        watcher.removePaths(QStringList{directory, parent} + watcher.files());
        if (!QFileInfo(directory).isDir() || !watcher.addPath(directory)) {
            checkFolderIsThere();
            return;
        }
        watcher.addPath(parent);
        folderChanged(); // watches the waited files again
    }

    void folderChanged()
    {
        if (!checkFolderIsThere())
            return;
        const QSet<QString> present = archiveFileNames(directory);
        for (const QString &gone : known - present)
            stopWaiting(gone);
        const QSet<QString> added = present - known;
        known = present;
        // A file written anew under its name (a rename over it) is another file, which the watch of the
        // old one does not see: the files still waited for are watched again and read once more.
        const QStringList waited = waiting.keys();
        const QStringList watchedFiles = watcher.files();
        for (const QString &fileName : waited) {
            if (!watchedFiles.contains(pathOf(fileName)))
                watcher.addPath(pathOf(fileName));
            tryFile(fileName, false);
        }
        for (const QString &fileName : added) {
            auto *quiet = new QTimer(&context);
            quiet->setSingleShot(true);
            quiet->setInterval(quietMsecs);
            QObject::connect(quiet, &QTimer::timeout, &context,
                             [this, fileName] { tryFile(fileName, true); });
            waiting.insert(fileName, quiet);
            // Watched before it is read: whatever is written after the read then raises a change.
            watcher.addPath(pathOf(fileName));
            quiet->start();
            tryFile(fileName, false);
        }
    }

    void fileChanged(const QString &path)
    {
        const QString fileName = QFileInfo(path).fileName();
        QTimer *quiet = waiting.value(fileName);
        if (!quiet)
            return;
        quiet->start();
        tryFile(fileName, false);
    }

    void tryFile(const QString &fileName, bool quietPeriodOver)
    {
        const QString path = pathOf(fileName);
        const std::optional<measurement::Measurement> read = measurement::readMeasurementFile(path);
        if (read && !read->findings.documentNotParsed) {
            const query::FoundMeasurement found{fileName, archive::technologyOfFile(fileName),
                                                archive::momentOfFile(fileName),
                                                measurement::digestOf(*read)};
            out << (json ? QString::fromUtf8(QJsonDocument(foundJson(found)).toJson(QJsonDocument::Compact))
                         : foundLine(found))
                << '\n';
            out.flush();
            stopWaiting(fileName);
            // Lines that cannot be written are no feed: the watch ends, and the write error is told.
            if (out.status() != QTextStream::Ok)
                loop.exit(exitFailure);
        } else if (quietPeriodOver && !namedIncomplete.contains(fileName)) {
            // A station may open its file long before it writes the recording: the file stays watched,
            // and is printed once it parses, however late.
            namedIncomplete.insert(fileName);
            const QString reason = read ? unparsedReason(read->findings) : language::unreadableReason(path);
            reportFailure(err, command,
                          QCoreApplication::translate("cli", "%1: incomplete: not a measurement after %2 s "
                                                             "without a change: %3; still watched")
                              .arg(directory + QLatin1Char('/') + archive::displayName(fileName),
                                   language::localNumbers(QString::number(quietMsecs / 1000.0)), reason));
        }
    }

    void stopWaiting(const QString &fileName)
    {
        namedIncomplete.remove(fileName);
        QTimer *quiet = waiting.take(fileName);
        if (!quiet)
            return;
        watcher.removePath(pathOf(fileName));
        quiet->stop();
        quiet->deleteLater(); // it may be the timer whose timeout is being delivered
    }
};

} // namespace

int runWatch(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("watch"),
        QCoreApplication::translate(
            "cli",
            "Watches DIR and prints one line for each measurement file that appears in it, as find\n"
            "lists it (tab-separated: moment, technology, melt number, temperature, status, file\n"
            "name), as soon as its first line is a complete measurement. Files already there at the\n"
            "start are not printed; a file renamed into DIR counts as new; deleted files are ignored.\n"
            "A new file that does not parse yet is waited for; once it has stayed unchanged for the\n"
            "quiet period without parsing it is named on standard error as incomplete, and still\n"
            "watched: it is printed when it parses, however late. One deleted before is forgotten.\n"
            "Uses the system's file change notification; runs until interrupted.\n"
            "  --json                one JSON object per line, with find's fields.\n"
            "  --quiet-period SEC    how long an unparsed new file may stay unchanged before it is\n"
            "                        named as incomplete (default %1).\n"
            "DIR defaults to the folder \"archive\" in the working directory.")
            .arg(defaultQuietSeconds),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 interrupted (SIGINT or SIGTERM), 1 the folder disappeared, 2 bad usage,\n"
                   "a folder that cannot be read or lines that cannot be written.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write JSON lines."));
    const QCommandLineOption quietOption(
        QStringLiteral("quiet-period"),
        QCoreApplication::translate("cli", "Seconds an unparsed file may stay unchanged."),
        QStringLiteral("SEC"));
    parser.addOptions({jsonOption, quietOption});
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    double quietSeconds = defaultQuietSeconds;
    if (parser.isSet(quietOption)) {
        bool ok = false;
        quietSeconds = parser.value(quietOption).toDouble(&ok);
        if (!ok || !(quietSeconds >= 0.1 && quietSeconds <= longestQuietSeconds))
            return reportFailure(err, syntax.name,
                                 QCoreApplication::translate(
                                     "cli", "--quiet-period \"%1\" is not a number of seconds from 0.1 to %2")
                                     .arg(parser.value(quietOption))
                                     .arg(longestQuietSeconds));
    }
    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = archive::unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name, directory + QStringLiteral(": ") + reason);

    ArchiveWatch watch(directory, parser.isSet(jsonOption), qRound(quietSeconds * 1000.0), out, err);
    return watch.run();
}

} // namespace cli
