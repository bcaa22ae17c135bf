// SPDX-License-Identifier: GPL-3.0-or-later
//
// steel-archive sync at plant scale against find on the same archive, in turns: the first sync into an
// empty database against a cold `find --json` (an empty index: every file read) and against
// PostgreSQL's own binary COPY of the rows that sync made (into fresh tables, in one transaction),
// and a sync with nothing changed against a warm `find --json` (the index current). The database is a
// PostgreSQL 15 of the benchmark's own on the same machine (initdb in a temporary folder, as a plant's server
// writes: every commit synced to the disk), reached through a Unix socket. Prints wall times
// (medians), the ratios, the processor time of steel-archive and of the server's processes that
// served it, and peak memory. Asserts nothing.
//
//   syncbench [--runs N] [--dir PARENT] [--keep FOLDER] [--program PATH] [SIZE...]
//
// (default size 100000). With --keep the archives are made in FOLDER/archive-SIZE (as archivebench
// makes them) and kept there.
#include "benchsupport.h"
#include "commandbench.h"
#include "database/measurementrow.h"
#include "database/pgconnection.h"
#include "pgtestserver.h"
#include "support/documents.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// The processor time of the server's connections that have ended: the main process adds each
// child's time to its own "children" times when the child is reaped.
double serverChildrenSeconds(qint64 postmaster)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(postmaster));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The fields after the command name in parentheses, which may itself hold spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int childrenUser = 13; // cutime, field 16 of the whole line
    if (fields.size() <= childrenUser + 1)
        return 0;
    return double(fields[childrenUser].toLongLong() + fields[childrenUser + 1].toLongLong()) /
           double(::sysconf(_SC_CLK_TCK));
}

// A run of sync, with the server's time for it: taken once its connections have ended.
bench::Run syncRun(const QStringList &command, const TestServer &server, double *serverSeconds)
{
    const double before = serverChildrenSeconds(server.postmasterPid());
    const bench::Run run = bench::runCommand(command);
    QThread::msleep(300);
    *serverSeconds = serverChildrenSeconds(server.postmasterPid()) - before;
    return run;
}

// The rows a sync made, written by the server in COPY's binary format into `file`: what the server's
// own COPY is timed with. The server reads and writes the file itself, so that this program's memory
// (which its children's peaks inherit) stays as it was.
bool takeRows(const TestServer &server, const QString &database, const QString &file)
{
    const std::unique_ptr<database::Connection> connection = server.connect(database);
    return connection &&
           connection->run(QByteArray("COPY (SELECT ") + database::measurementColumns +
                           " FROM steel_archive.measurements) TO '" + file.toUtf8() + "' (FORMAT binary)");
}

// PostgreSQL's binary COPY of the rows in `file`, timed alone in one transaction, into a fresh table
// made like the sync's own (its columns, defaults, indexes and constraints, not its foreign key) in
// `database`: the least the server does to take the rows in.
bench::Run copyRun(const TestServer &server, const QString &database, const QString &file,
                   double *serverSeconds)
{
    bench::Run run;
    std::unique_ptr<database::Connection> connection = server.connect(database);
    if (!connection || !connection->run("DROP TABLE IF EXISTS steel_archive.copied") ||
        !connection->run(
            "CREATE TABLE steel_archive.copied (LIKE steel_archive.measurements INCLUDING ALL)")) {
        std::fprintf(stderr, "syncbench: the table for COPY cannot be made\n");
        return run;
    }
    const double before = serverChildrenSeconds(server.postmasterPid());
    QElapsedTimer timer;
    timer.start();
    const bool copied =
        connection->run(QByteArray("COPY steel_archive.copied (") + database::measurementColumns +
                        ") FROM '" + file.toUtf8() + "' (FORMAT binary)");
    run.msecs = double(timer.nsecsElapsed()) / 1e6;
    run.exitCode = copied ? 0 : 1;
    if (!copied)
        std::fprintf(stderr, "syncbench: COPY failed: %s\n", qPrintable(connection->error()));
    connection->run("DROP TABLE steel_archive.copied");
    // The server's time of a connection is counted once it has ended.
    connection.reset();
    QThread::msleep(300);
    *serverSeconds = serverChildrenSeconds(server.postmasterPid()) - before;
    return run;
}

QString takeOption(QStringList &args, const QString &name)
{
    const int at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size())
        return QString();
    const QString value = args.at(at + 1);
    args.removeAt(at + 1);
    args.removeAt(at);
    return value;
}

// The archive of `size` files: the one archivebench makes (and keeps, with --keep), so that both
// benchmarks share it. The empty text when it cannot be made.
QString archiveOf(int size, const QString &keep, const QString &temporary)
{
    const QString dir = keep.isEmpty() ? temporary + QStringLiteral("/archive")
                                       : keep + QStringLiteral("/archive-%1").arg(size);
    const QString made = keep + QStringLiteral("/archive-%1.made").arg(size);
    const qint64 step = size >= 500000 ? 3 * 60 : 20 * 60;
    const bool ready = keep.isEmpty() ? support::writePlantArchive(dir, size, step)
                                      : QFile::exists(made) || (support::writePlantArchive(dir, size, step) &&
                                                                QFile(made).open(QIODevice::WriteOnly));
    return ready ? dir : QString();
}

// What the runs of every size share.
struct Bench
{
    TestServer &server;
    QString program;
    QStringList sync; // the archive's folder at 2
    QString cache;
    QString parent;
};

// One size's figures, in turns. False when the rows of a first sync cannot be read back.
bool timeSize(const Bench &b, int size, const QString &dir, int runs)
{
    const QString database = QStringLiteral("bench");
    QStringList syncDir = b.sync;
    syncDir[2] = dir;
    double firstServer = 0;
    double unchangedServer = 0;
    double copyServer = 0;
    // The rows a first sync makes, for the server's own COPY of them.
    QTemporaryDir scratch(b.parent + QStringLiteral("/syncbench-copy-XXXXXX"));
    const QString rows = scratch.filePath(QStringLiteral("rows.copy"));
    // The server may run as another user (under root, as nobody): it writes and reads the file here.
    QFile::setPermissions(scratch.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                              QFileDevice::WriteOther | QFileDevice::ExeOther);
    b.server.createDatabase(database);
    syncRun(syncDir, b.server, &firstServer);
    if (!takeRows(b.server, database, rows)) {
        std::fprintf(stderr, "syncbench: the rows cannot be read back\n");
        return false;
    }
    const QStringList find{b.program, QStringLiteral("find"), dir, QStringLiteral("--json"), b.sync.last()};
    const std::vector<bench::Run> m =
        bench::medians(runs, {[&] {
                                  QDir(b.cache).removeRecursively();
                                  return bench::runCommand(find);
                              },
                              [&] {
                                  b.server.createDatabase(database);
                                  return syncRun(syncDir, b.server, &firstServer);
                              },
                              [&] { return bench::runCommand(find); },
                              [&] { return syncRun(syncDir, b.server, &unchangedServer); },
                              [&] { return copyRun(b.server, database, rows, &copyServer); }});
    const auto line = [&](const char *what, const bench::Run &run, const bench::Run &baseline, double db) {
        std::printf("%9d  %-24s %10.0f %10.0f %7.2f %8.1f %8.1f %9.1f\n", size, what, run.msecs,
                    baseline.msecs, run.msecs / baseline.msecs, run.cpuSeconds, db, run.peakMiB);
    };
    // The server's times are the last run's: the medians are of wall times.
    line("find --json, cold", m[0], m[0], 0);
    line("sync, first", m[1], m[0], firstServer);
    line("COPY of its rows", m[4], m[4], copyServer);
    line("sync, first / COPY", m[1], m[4], firstServer);
    line("find --json, warm", m[2], m[2], 0);
    line("sync, nothing changed", m[3], m[2], unchangedServer);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    QString program = takeOption(args, QStringLiteral("--program"));
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/steel-archive");
    const QString keep = takeOption(args, QStringLiteral("--keep"));
    const std::optional<bench::Options> options = bench::parseOptions(args, {100000}, QDir::tempPath());
    if (!options) {
        std::fprintf(
            stderr,
            "usage: syncbench [--runs N] [--dir PARENT] [--keep FOLDER] [--program PATH] [SIZE...]\n");
        return 2;
    }
    const QString unavailable = TestServer::unavailableReason();
    if (!unavailable.isEmpty()) {
        std::fprintf(stderr, "syncbench: %s\n", qPrintable(unavailable));
        return 2;
    }
    TestServer server(true);
    QString why;
    if (!server.start(&why)) {
        std::fprintf(stderr, "syncbench: %s\n", qPrintable(why));
        return 2;
    }
    QTemporaryDir cache(options->parent + QStringLiteral("/syncbench-cache-XXXXXX"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    // Files made a moment ago are filed and stamped as well; a real archive's files settled long ago.
    const QString settled = QStringLiteral("--settle-ms=0");
    const QString database = QStringLiteral("bench");
    const QStringList sync{
        program, QStringLiteral("sync"), QString(), QStringLiteral("--to"), server.conninfo(database),
        settled};

    std::printf("%9s  %-24s %10s %10s %7s %8s %8s %9s\n", "files", "command", "median ms", "baseline",
                "ratio", "cpu ours", "cpu db", "peak MiB");
    for (const int size : options->sizes) {
        QTemporaryDir parent(options->parent + QStringLiteral("/syncbench-XXXXXX"));
        const QString dir = archiveOf(size, keep, parent.path());
        if (dir.isEmpty()) {
            std::fprintf(stderr, "cannot create an archive of %d files\n", size);
            return 1;
        }
        const Bench bench{server, program, sync, cache.path(), options->parent};
        if (!timeSize(bench, size, dir, size >= 500000 ? std::min(options->runs, 3) : options->runs))
            return 1;
    }
    return 0;
}
