// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"

#include "archive/archivefolder.h"
#include "archive/archivewatcher.h"
#include "archive/displayname.h"
#include "database/archivesync.h"
#include "database/pgconnection.h"
#include "database/syncwatch.h"
#include "output/synctext.h"
#include "platform/console.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

namespace {

constexpr int defaultBatchRows = 2000;
constexpr int largestBatchRows = 100000;
// PostgreSQL cuts longer names short, so that two long names could name one schema.
constexpr int longestSchemaName = 63;

QString syncDescription()
{
    return QCoreApplication::translate(
        "cli", "Keeps a PostgreSQL database equal to the archive DIR: one row per measurement\n"
               "file that find reads, with the file's name, technology, moment, modification\n"
               "time, every result as written and as a number where it reads as one, the\n"
               "status, both curves and check's findings on the content; besides, a table of\n"
               "archives and one of sync runs. The tables are made in the schema of --schema on\n"
               "first use; an older version of them is migrated.\n"
               "Only files whose size, times, inode, device or mount differ from what the\n"
               "database keeps are read and sent; the rows of files that are gone are removed.\n"
               "Rows go in with COPY in batches, each in one transaction with the run's counts,\n"
               "so that a run cut off at any moment leaves a database the next run completes.\n"
               "A second sync of the same archive into the same database waits for the first.\n"
               "A folder without a single archive file while the database holds files of it (a\n"
               "share that is not mounted) is refused: nothing is removed. Files that cannot be\n"
               "read are named on standard error and left out, as find leaves them.\n"
               "A file counts as changed only where its content or its name's bytes changed: a copy,\n"
               "a touch or a restore is read again and counted unchanged. A file changed too lately\n"
               "to be settled counts as waiting, and the next run counts it; the table sync_runs\n"
               "holds the same numbers.\n"
               "DIR defaults to the folder \"archive\" in the working directory.");
}

QString summary(const QString &directory, const database::SyncCounts &c)
{
    return output::syncSummaryLine(directory,
                                   {c.added, c.changed, c.removed, c.failed, c.unchanged, c.waiting});
}

// The options as given, or the exit code of a usage error.
std::optional<int> readSyncOptions(const QCommandLineParser &parser, const QString &command, QTextStream &err,
                                   database::SyncOptions *options)
{
    options->conninfo = parser.value(QStringLiteral("to"));
    if (options->conninfo.isEmpty())
        return reportFailure(
            err, command,
            QCoreApplication::translate("cli", "--to is missing; see steel-archive sync --help"));
    QString error;
    if (database::namesPassword(options->conninfo, &error))
        return reportFailure(err, command,
                             QCoreApplication::translate("cli",
                                                         "--to names a password; give it in PGPASSWORD "
                                                         "or ~/.pgpass instead, where no process list "
                                                         "shows it"));
    if (!error.isEmpty())
        return reportFailure(err, command, QStringLiteral("--to: ") + error);
    if (parser.isSet(QStringLiteral("schema")))
        options->schema = parser.value(QStringLiteral("schema"));
    if (options->schema.isEmpty() || options->schema.toUtf8().size() > longestSchemaName)
        return reportFailure(
            err, command,
            QCoreApplication::translate("cli", "--schema \"%1\" is not a name of 1 to %2 bytes")
                .arg(options->schema)
                .arg(longestSchemaName));
    if (parser.isSet(QStringLiteral("batch"))) {
        bool ok = false;
        options->batchRows = parser.value(QStringLiteral("batch")).toInt(&ok);
        if (!ok || options->batchRows < 1 || options->batchRows > largestBatchRows)
            return reportFailure(
                err, command,
                QCoreApplication::translate("cli", "--batch \"%1\" is not a number from 1 to %2")
                    .arg(parser.value(QStringLiteral("batch")))
                    .arg(largestBatchRows));
    }
    options->keepRemoved = parser.isSet(QStringLiteral("keep-removed"));
    return std::nullopt;
}

int reportRun(const database::SyncReport &report, const QString &directory, QTextStream &out,
              QTextStream &err)
{
    const QString command = QStringLiteral("sync");
    using Outcome = database::SyncReport::Outcome;
    switch (report.outcome) {
    case Outcome::failed:
        return reportFailure(err, command, report.error);
    case Outcome::folderUnreadable:
        return reportFailure(err, command,
                             archive::displayPath(directory) + QStringLiteral(": ") +
                                 archive::unlistableFolderReason(directory));
    case Outcome::emptyFolderKept:
        reportFailure(err, command,
                      archive::noArchiveFilesText(directory) +
                          QCoreApplication::translate("cli", "; the database's rows of it are kept (is the "
                                                             "folder's share mounted?)"));
        return exitFindings;
    case Outcome::done:
        break;
    }
    reportSkippedFiles(err, command, directory, report.unreadable);
    out << summary(directory, report.counts);
    out.flush();
    if (!report.unreadable.isEmpty())
        return exitFindings;
    if (report.listed == 0) {
        if (const std::optional<int> failed = noArchiveFilesFailure(err, command, directory))
            return *failed;
    }
    return exitSuccess;
}

// Every pass that did something, as a run reports it; the lines a failure brings on standard error.
int watchArchive(database::ArchiveSync &sync, const QString &directory, QTextStream &out, QTextStream &err)
{
    const QString command = QStringLiteral("sync");
    archive::ArchiveWatcher watcher(directory);
    if (!watcher.start())
        return reportFailure(err, command, watcher.failureReason());
    bool first = true;
    database::SyncWatch *ending = nullptr;
    database::SyncWatch watch(
        sync, watcher,
        [&](const database::SyncReport &report) {
            const database::SyncCounts &c = report.counts;
            if (!first && c.added + c.changed + c.removed + c.failed == 0)
                return;
            first = false;
            reportSkippedFiles(err, command, directory, report.unreadable);
            out << summary(directory, c);
            out.flush();
            // Lines that cannot be written are no record of the watch: it ends, and says why.
            if (out.status() != QTextStream::Ok && ending)
                ending->end(exitFailure);
        },
        [&](const QString &line) { reportFailure(err, command, line); });
    ending = &watch;
    watch.compareWholeArchive();
    reportFailure(
        err, command,
        QCoreApplication::translate("cli", "keeping the database up to date with %1 until interrupted")
            .arg(archive::displayPath(directory)));
    // Interrupted, the watch ends between passes, with success; a pass is never cut short by it.
    const platform::TerminationRequests terminationRequests([&watch] { watch.end(exitSuccess); });
    return watch.exec();
}

} // namespace

int runSync(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("sync"), syncDescription(), 0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 done; 1 files that cannot be read were left out, or DIR holds no\n"
                   "archive file at all; 2 bad usage, a folder that cannot be read, or a database\n"
                   "that cannot be reached or refuses (a wrong password, a full disk, a read-only\n"
                   "server): the batch being sent is then undone, and the next run goes on from\n"
                   "there. With --watch: 0 interrupted (SIGINT or SIGTERM), 1 the folder\n"
                   "disappeared, 2 bad usage or a database that cannot be reached at the start.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    parser.addOptions(
        {{QStringLiteral("to"),
          QCoreApplication::translate("cli",
                                      "The database: a libpq connection string or URI (\"host=db1 "
                                      "dbname=plant user=steel_sync sslmode=verify-full\", "
                                      "\"postgresql://steel_sync@db1/plant\"). The password comes from "
                                      "PGPASSWORD or ~/.pgpass, never from the command line."),
          QStringLiteral("CONNINFO")},
         {QStringLiteral("schema"),
          QCoreApplication::translate("cli", "The schema of the tables (default steel_archive)."),
          QStringLiteral("NAME")},
         {QStringLiteral("keep-removed"),
          QCoreApplication::translate("cli", "Keep the rows of files gone from the archive, with the time "
                                             "they were found gone (column \"removed\").")},
         {QStringLiteral("batch"),
          QCoreApplication::translate("cli", "Files per transaction at most (default %1); a transaction also "
                                             "ends at 16 MB of data.")
              .arg(defaultBatchRows),
          QStringLiteral("N")},
         {QStringLiteral("watch"),
          QCoreApplication::translate(
              "cli", "After the first run, keep the database up to date as measurements land (each sent as "
                     "soon as it parses), and compare the whole archive every ten minutes (files changed "
                     "or removed) and after a failure. A database that fails (restarted, unreachable) is "
                     "tried again after a pause that grows to a minute, with one line on standard error; "
                     "nothing is lost. Runs until interrupted.")}});
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    database::SyncOptions options;
    options.batchRows = defaultBatchRows;
    if (const auto finished = readSyncOptions(parser, syntax.name, err, &options))
        return *finished;
    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = archive::unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name,
                             archive::displayPath(directory) + QStringLiteral(": ") + reason);
    options.progress = terminalProgress(err, QCoreApplication::translate("cli", "compared"));
    options.notice = [&err](const QString &line) {
        err << "steel-archive sync: " << line << '\n';
        err.flush();
    };

    database::ArchiveSync sync(directory, options);
    QString error;
    if (!sync.open(&error))
        return reportFailure(err, syntax.name, error);
    if (parser.isSet(QStringLiteral("watch")))
        return watchArchive(sync, directory, out, err);
    return reportRun(sync.run(), directory, out, err);
}

bool syncIsBuilt()
{
    return true;
}

} // namespace cli
