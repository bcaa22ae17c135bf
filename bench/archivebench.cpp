// SPDX-License-Identifier: GPL-3.0-or-later
//
// The archive-wide commands of steel-archive at plant scale, each against what the system's own tools
// need for the same folder in the same run: ls against one `ls -t`, find and check (cold: an empty
// index, filled as the files are read; --no-index: no index at all; warm: the index current) against
// `grep -rlF` reading the same files and against `ls -t`, whose listing and status calls are all a warm
// run must do. Prints wall times (medians), the ratios and the peak
// memory of every command. Asserts nothing.
//
//   archivebench [--runs N] [--dir PARENT] [--keep FOLDER] [--program PATH] [SIZE...]
//
// (default sizes 10000 100000). With --keep the archives are made in FOLDER/archive-SIZE and kept
// there: a later run reuses them, which saves the long making of a million files.
#include "benchsupport.h"
#include "commandbench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using bench::medians;
using bench::Run;
using bench::runCommand;

// Files spread over the technologies, one every few minutes over several years, each modified a few
// seconds after the moment in its name: real one-line measurements of about 3 KB.
bool createArchive(const QString &directory, int count)
{
    return support::writePlantArchive(directory, count, count >= 500000 ? 3 * 60 : 20 * 60);
}

// Takes "--NAME VALUE" out of the arguments; `fallback` when it is not there.
QString takeOption(QStringList &args, const QString &name, const QString &fallback)
{
    const int at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size())
        return fallback;
    const QString value = args.at(at + 1);
    args.removeAt(at + 1);
    args.removeAt(at);
    return value;
}

// The archive of `size` files to time: made in `parent`, or kept in `keep` and made there only once
// (complete once its mark beside it is there). The empty text when it cannot be made.
QString archiveFor(int size, const QString &parent, const QString &keep)
{
    if (keep.isEmpty()) {
        const QString dir = parent + QStringLiteral("/archive");
        return createArchive(dir, size) ? dir : QString();
    }
    const QString dir = keep + QStringLiteral("/archive-%1").arg(size);
    const QString made = keep + QStringLiteral("/archive-%1.made").arg(size);
    const bool ready =
        QFile::exists(made) || (createArchive(dir, size) && QFile(made).open(QIODevice::WriteOnly));
    return ready ? dir : QString();
}

// One size's figures: each command against its baseline, in turns.
void timeArchive(int size, const QString &dir, const QString &program, const QString &cache, int runs)
{
    const QString melt = QString::number(40000 + size / 2);
    const auto tool = [&](const QStringList &arguments) {
        // Files made a moment ago go into the index as well; a real archive's files settled long ago.
        return runCommand(QStringList{program} + arguments + QStringList{"--settle-ms=0"});
    };
    const auto withoutIndex = [&](const QStringList &arguments) {
        QDir(cache).removeRecursively();
        return tool(arguments);
    };
    const std::vector<Run> m =
        medians(runs, {[&] {
                           return runCommand({"ls", "-t", dir});
                       },
                       [&] {
                           return runCommand({"grep", "-rlF", "\"Smelt\":\"" + melt + "\"", dir});
                       },
                       [&] {
                           return tool({"ls", dir});
                       },
                       [&] {
                           return withoutIndex({"find", dir, "--melt", melt});
                       },
                       [&] {
                           return withoutIndex({"check", dir});
                       },
                       [&] {
                           return tool({"find", dir, "--melt", melt, "--no-index"});
                       },
                       [&] {
                           return tool({"check", dir, "--no-index"});
                       },
                       [&] {
                           return tool({"find", dir, "--melt", melt});
                       },
                       [&] {
                           return tool({"check", dir});
                       }});
    const Run &lsT = m[0];
    const Run &grep = m[1];
    const auto line = [&](const char *what, const Run &run, const Run &baseline) {
        std::printf("%9d  %-22s %10.0f %10.0f %8.2f %9.1f\n", size, what, run.msecs, baseline.msecs,
                    run.msecs / baseline.msecs, run.peakMiB);
    };
    line("ls -t (baseline)", lsT, lsT);
    line("grep -rlF (baseline)", grep, grep);
    line("ls", m[2], lsT);
    line("find --melt, cold", m[3], grep);
    line("check, cold", m[4], grep);
    line("find --no-index", m[5], grep);
    line("check --no-index", m[6], grep);
    line("find --melt, warm", m[7], lsT);
    line("check, warm", m[8], lsT);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    const QString program =
        takeOption(args, QStringLiteral("--program"),
                   QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/steel-archive"));
    const QString keep = takeOption(args, QStringLiteral("--keep"), QString());
    const std::optional<bench::Options> options =
        bench::parseOptions(args, {10000, 100000}, QDir::tempPath());
    if (!options) {
        std::fprintf(
            stderr,
            "usage: archivebench [--runs N] [--dir PARENT] [--keep FOLDER] [--program PATH] [SIZE...]\n");
        return 2;
    }
    // The benchmark's indexes go to a folder of its own, removed at the end.
    QTemporaryDir cache(options->parent + QStringLiteral("/archivebench-cache-XXXXXX"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));

    std::printf("%9s  %-22s %10s %10s %8s %9s\n", "files", "command", "median ms", "baseline", "ratio",
                "peak MiB");
    for (const int size : options->sizes) {
        QTemporaryDir parent(options->parent + QStringLiteral("/archivebench-XXXXXX"));
        const QString dir = archiveFor(size, parent.path(), keep);
        if (dir.isEmpty()) {
            std::fprintf(stderr, "cannot create an archive of %d files\n", size);
            return 1;
        }
        timeArchive(size, dir, program, cache.path(),
                    size >= 500000 ? std::min(options->runs, 3) : options->runs);
    }
    return 0;
}
