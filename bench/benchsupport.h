// SPDX-License-Identifier: GPL-3.0-or-later
//
// What the benchmarks share: a large archive folder made of empty files with believable names and
// modification times, the window's refresh (one listing into the archive model and the selection's
// choice), the least the system must do for the four listings the window's refresh makes, and
// medians of tasks measured in turns.
#pragma once

#include "archive/archivename.h"
#include "archive/archivescans.h"
#include "archive/cascadeselection.h"
#include "archive/sharedlisting.h"
#include "support/documents.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {

// 20 minutes apart: 72 measurements a day over all technologies, so 100,000 files span ~4 years.
constexpr qint64 secondsBetweenMeasurements = 20 * 60;

// The options both benchmarks take: [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...].
struct Options
{
    QList<int> sizes;
    int runs = 7;
    QString parent;
    // Where archives are made once and kept for later runs (a million files take minutes to make);
    // empty: a temporary folder each time.
    QString keep;
};

// Parses the arguments after the program name; std::nullopt on anything unknown.
inline std::optional<Options> parseOptions(const QStringList &args, const QList<int> &defaultSizes,
                                           const QString &defaultParent)
{
    Options options;
    options.parent = defaultParent;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size()) {
            options.runs = std::max(1, args.at(++i).toInt());
        } else if (args.at(i) == QLatin1String("--dir") && i + 1 < args.size()) {
            options.parent = args.at(++i);
        } else if (args.at(i) == QLatin1String("--keep") && i + 1 < args.size()) {
            options.keep = args.at(++i);
        } else if (args.at(i).toInt() > 0) {
            options.sizes.append(args.at(i).toInt());
        } else {
            return std::nullopt;
        }
    }
    if (options.sizes.isEmpty())
        options.sizes = defaultSizes;
    return options;
}

// Takes "--runs N" out of `args` for the benchmarks that read a folder of the caller's own rather than
// make archives of given sizes; `runs` is kept where the option is not given.
inline int takeRuns(QStringList &args, int runs)
{
    const int at = args.indexOf(QStringLiteral("--runs"));
    if (at >= 0 && at + 1 < args.size()) {
        runs = std::max(1, args.at(at + 1).toInt());
        args.erase(args.begin() + at, args.begin() + at + 2);
    }
    return runs;
}

struct RefreshChoice
{
    QString technology;
    QString yearMonth;
    QString day;
    int times = 0;
};

// The window's refresh: one listing of the folder into the archive model and the selection's choice
// of the newest technology, its first month, that month's first day and that day's times.
inline RefreshChoice refresh(const QString &directory)
{
    archive::CascadeSelection selection;
    selection.refresh(directory);
    RefreshChoice choice;
    choice.technology = selection.list(archive::ListLevel::technology).currentText();
    choice.yearMonth = selection.list(archive::ListLevel::month).currentText();
    choice.day = selection.list(archive::ListLevel::day).currentText();
    choice.times = selection.list(archive::ListLevel::time).entries.size() - 1;
    return choice;
}

// The name patterns of the four listings a refresh that ends in `choice` makes.
inline QStringList refreshPatterns(const RefreshChoice &choice)
{
    return {archive::technologyPattern(), archive::yearMonthPattern(choice.technology),
            archive::dayPattern(choice.technology, choice.yearMonth),
            archive::timePattern(choice.technology, choice.yearMonth, choice.day)};
}

// Runs the measured tasks in turns rather than one after the other, so that a busy moment of the
// machine (other builds, the page cache) weighs on all of them alike; each gets its median.
inline std::vector<double> medianMsecs(int runs, const std::vector<std::function<void()>> &tasks)
{
    std::vector<std::vector<double>> samples(tasks.size());
    for (const auto &task : tasks)
        task(); // warm the caches once, so every size is measured in the same state
    for (int i = 0; i < runs; ++i) {
        for (size_t t = 0; t < tasks.size(); ++t) {
            QElapsedTimer timer;
            timer.start();
            tasks[t]();
            samples[t].push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    std::vector<double> medians;
    for (auto &taskSamples : samples) {
        std::sort(taskSamples.begin(), taskSamples.end());
        medians.push_back(taskSamples[taskSamples.size() / 2]);
    }
    return medians;
}

// Processor time used so far by this process (all its threads) and by its finished children, in
// milliseconds: on a machine shared with other work, wall time says more about the neighbours than
// about the task.
inline double processorMsecs()
{
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        struct rusage usage;
        ::getrusage(who, &usage);
        total += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    }
    return total;
}

struct Timing
{
    double wallMsecs = 0;
    double processorMsecs = 0;
};

// medianMsecs with the processor time of each task as well, each the median of its own runs.
inline std::vector<Timing> medianTimings(int runs, const std::vector<std::function<void()>> &tasks)
{
    std::vector<std::vector<double>> wall(tasks.size());
    std::vector<std::vector<double>> processor(tasks.size());
    for (const auto &task : tasks)
        task();
    for (int i = 0; i < runs; ++i) {
        for (size_t t = 0; t < tasks.size(); ++t) {
            const double before = processorMsecs();
            QElapsedTimer timer;
            timer.start();
            tasks[t]();
            wall[t].push_back(double(timer.nsecsElapsed()) / 1e6);
            processor[t].push_back(processorMsecs() - before);
        }
    }
    std::vector<Timing> medians;
    for (size_t t = 0; t < tasks.size(); ++t) {
        std::sort(wall[t].begin(), wall[t].end());
        std::sort(processor[t].begin(), processor[t].end());
        medians.push_back(Timing{wall[t][wall[t].size() / 2], processor[t][processor[t].size() / 2]});
    }
    return medians;
}

// Files spread evenly over the technologies, one every 20 minutes from 2017 on, each modified a few
// seconds after the moment in its name; empty: the refresh and the start-up read names only.
inline bool createArchive(const QString &directory, int count)
{
    return support::writePlantArchive(directory, count, secondsBetweenMeasurements, true);
}

// The folder whose archive/ holds `count` empty files for a benchmark: in options.keep, made once and
// reused by later runs (complete once its mark beside it is there), else in `temporary`. Empty when it
// cannot be made.
inline QString preparedPlace(const Options &options, const QString &temporary, int count)
{
    const QString place = options.keep.isEmpty()
                              ? temporary + QStringLiteral("/files-%1").arg(count)
                              : options.keep + QStringLiteral("/empty-files-%1").arg(count);
    const QString made = place + QStringLiteral(".made");
    if (!options.keep.isEmpty() && QFile::exists(made))
        return place;
    const QString directory = place + QStringLiteral("/archive");
    if (!QDir().mkpath(directory) || !createArchive(directory, count))
        return QString();
    if (!options.keep.isEmpty() && !QFile(made).open(QIODevice::WriteOnly))
        return QString();
    return place;
}

// The least the system must do for one listing: read the folder once and ask for the status of every
// matching file. Patterns here are all "prefix*suffix".
inline int floorListing(const QByteArray &directory, const QString &pattern)
{
    const QByteArray bytes = pattern.toUtf8();
    const int star = bytes.indexOf('*');
    const QByteArray prefix = bytes.left(star);
    const QByteArray suffix = bytes.mid(star + 1);
    DIR *dir = ::opendir(directory.constData());
    if (!dir)
        return 0;
    const int fd = ::dirfd(dir);
    int matched = 0;
    while (const struct dirent *entry = ::readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (length < size_t(prefix.size() + suffix.size()))
            continue;
        if (::strncasecmp(entry->d_name, prefix.constData(), size_t(prefix.size())) != 0 ||
            ::strncasecmp(entry->d_name + length - size_t(suffix.size()), suffix.constData(),
                          size_t(suffix.size())) != 0)
            continue;
        struct stat status;
        if (::fstatat(fd, entry->d_name, &status, 0) == 0)
            ++matched;
    }
    ::closedir(dir);
    return matched;
}

// The floor of a whole refresh: the same four listings at the least cost.
inline void floorRefresh(const QByteArray &directory, const QStringList &patterns)
{
    for (const QString &pattern : patterns)
        floorListing(directory, pattern);
}

} // namespace bench
