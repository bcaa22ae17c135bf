// SPDX-License-Identifier: GPL-3.0-or-later
//
// How long the viewer's control chart window takes for one technology's melts of a period, on an
// archive folder of real measurement files, next to `ls -t` on the same folder. Prints figures only.
//
//   chartbench [--runs N] FOLDER TECHNOLOGY FROM TO      (FROM, TO as yyyy-MM-dd; TO left out)
//
// Two figures: the index's answer, which the window draws at once, and the whole computation from
// every file of the period with a current index (as steel-archive chart), which replaces it. Run it
// after one chart of the period (a first run of this program does it), so that the index is current;
// the index lives in the user's cache folder as for steel-archive. The peak memory of the whole run is
// printed last (ls -t's own is left out of it).

#include "benchsupport.h"

#include "statistics/controlchart.h"

#include <QCoreApplication>
#include <QDate>
#include <QProcess>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const int runs = bench::takeRuns(args, 5);
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: chartbench [--runs N] FOLDER TECHNOLOGY FROM TO\n");
        return 2;
    }
    const QString folder = args.at(0);
    statistics::ChartSelection selection;
    selection.technology = args.at(1);
    selection.from = archive::Moment{QDate::fromString(args.at(2), Qt::ISODate), QTime(0, 0)};
    selection.to = archive::Moment{QDate::fromString(args.at(3), Qt::ISODate), QTime(0, 0)};
    if (!selection.from->isValid() || !selection.to->isValid()) {
        std::fprintf(stderr, "chartbench: FROM and TO are dates, yyyy-MM-dd\n");
        return 2;
    }

    int fromIndex = -1;
    int whole = 0;
    const auto indexAnswer = [&] {
        const std::optional<statistics::ControlChart> chart =
            statistics::indexedControlChart(folder, selection);
        fromIndex = chart ? int(chart->points.size()) : -1;
    };
    const auto compute = [&] { whole = int(statistics::readControlChart(folder, selection).points.size()); };
    const auto ls = [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("ls"), {QStringLiteral("-t"), folder});
        process.waitForFinished(-1);
    };
    compute(); // fills the index, or brings it up to date
    const std::vector<bench::Timing> m = bench::medianTimings(runs, {indexAnswer, compute, ls});
    std::printf("%-34s %12s %12s %8s\n", "", "wall ms", "cpu ms", "/ ls -t");
    const char *const names[] = {"index's answer (drawn at once)", "whole chart, current index", "ls -t"};
    for (size_t i = 0; i < m.size(); ++i)
        std::printf("%-34s %12.1f %12.1f %8.2f\n", names[i], m[i].wallMsecs, m[i].processorMsecs,
                    m[i].wallMsecs / m[2].wallMsecs);
    std::printf("melts on the chart: %d from the index at once, %d in all\n", fromIndex, whole);
    // This process alone: ls -t, a child, holds the whole folder's names and would dominate the
    // figure /usr/bin/time gives for the run.
    struct rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of the chart's process: %.1f MiB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
