// SPDX-License-Identifier: GPL-3.0-or-later
//
// How long the viewer's find window takes to answer for one melt, on an archive folder of real
// measurement files, next to `ls -t` on the same folder. Prints figures only.
//
//   findbench [--runs N] FOLDER MELT
//
// Three figures: the index's first answer (its rows, and a look at each file it names), which the
// window lists at once; the whole search as find --melt makes it, with a current index, which
// completes the list; and the same without an index (every file read, nothing filed). Run it after
// one full search of the folder (steel-archive find FOLDER, or a first run of this program), so that
// the index is current; the index lives in the user's cache folder as for steel-archive.

#include "benchsupport.h"

#include "query/foundmeasurements.h"
#include "query/indexedsearch.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const int runs = bench::takeRuns(args, 5);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: findbench [--runs N] FOLDER MELT\n");
        return 2;
    }
    const QString folder = args.at(0);
    query::SearchCriteria criteria;
    criteria.melt = args.at(1);

    int fromIndex = 0;
    int checked = 0;
    const auto indexAnswer = [&] {
        fromIndex = 0;
        query::visitIndexedMeasurements(folder, criteria, [&](query::FoundMeasurement &&) { ++fromIndex; });
    };
    const auto search = [&](bool useIndex) {
        archive::ArchiveReading reading;
        reading.useIndex = useIndex;
        checked = 0;
        query::visitMeasurements(
            folder, criteria, [&](query::FoundMeasurement &&) { ++checked; }, nullptr, reading);
    };
    const auto ls = [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("ls"), {QStringLiteral("-t"), folder});
        process.waitForFinished(-1);
    };
    search(true); // fills the index, or brings it up to date
    const std::vector<bench::Timing> m =
        bench::medianTimings(runs, {indexAnswer, [&] { search(true); }, [&] { search(false); }, ls});
    std::printf("%-34s %12s %12s %8s\n", "", "wall ms", "cpu ms", "/ ls -t");
    const char *const names[] = {"index's first answer", "whole search, current index",
                                 "whole search, no index", "ls -t"};
    for (size_t i = 0; i < m.size(); ++i)
        std::printf("%-34s %12.1f %12.1f %8.2f\n", names[i], m[i].wallMsecs, m[i].processorMsecs,
                    m[i].wallMsecs / m[3].wallMsecs);
    std::printf("measurements: %d from the index at once, %d in all\n", fromIndex, checked);
    return 0;
}
