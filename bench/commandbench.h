// SPDX-License-Identifier: GPL-3.0-or-later
//
// What the benchmarks of steel-archive's own commands share: archives of real one-line measurement
// files, a command run with its wall time, processor time and peak memory, and medians of commands
// measured in turns.
#pragma once

#include "benchsupport.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bench {

// One run of a command with its output thrown away: wall time, processor time and peak resident
// memory.
struct Run
{
    double msecs = 0;
    double peakMiB = 0;
    double cpuSeconds = 0; // user and system
    int exitCode = -1;
};

inline Run runCommand(const QStringList &command)
{
    std::vector<QByteArray> bytes;
    for (const QString &part : command)
        bytes.push_back(part.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &part : bytes)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Run run;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        struct rusage usage;
        wait4(pid, &status, 0, &usage);
        run.msecs = timer.nsecsElapsed() / 1e6;
        run.peakMiB = usage.ru_maxrss / 1024.0;
        run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// A real one-line measurement of about 3 KB, its curves and results varying with `i`.
inline QByteArray measurementLine(int i)
{
    QByteArray emf;
    QByteArray temperature;
    for (int s = 0; s < 160; ++s) {
        const double t = s * 0.1;
        emf += (s ? ",\"" : "\"") +
               QByteArray::number(150.0 + 20.0 * std::sin(t + i) - 40.0 / (1 + t), 'f', 3) + '"';
        temperature += (s ? ",\"" : "\"") +
                       QByteArray::number(1560.0 + (i % 90) - 1200.0 / (1.0 + 2.0 * t * t), 'f', 3) + '"';
    }
    const char *statuses[] = {"8", "8", "8", "7", "5", "12", "3", "8"};
    return "{\"Archives\":[{\"values\":[" + emf + "]},{\"values\":[" + temperature + "]}],\"Smelt\":\"" +
           QByteArray::number(40000 + i) + "\",\"Temp\":\"" + QByteArray::number(1550 + i % 120) +
           "\",\"Eds\":\"" + QByteArray::number(120 + i % 60) + ".5\",\"OxActivity\":\"" +
           QByteArray::number(10 + i % 30) + "\",\"MassAl\":\"0." + QByteArray::number(100 + i % 800) +
           "\",\"Carbon\":\"0.0" + QByteArray::number(i % 90) + "\",\"Status\":\"" + statuses[i % 8] +
           "\"}\n";
}

// Files spread over the technologies, one every few minutes over several years, each modified a few
// seconds after the moment in its name.
inline bool createMeasurementArchive(const QString &directory, int count)
{
    if (!QDir().mkpath(directory))
        return false;
    const qint64 step = count >= 500000 ? 3 * 60 : 20 * 60;
    for (int i = 0; i < count; ++i) {
        const qint64 seconds = bench::firstMeasurement + qint64(i) * step;
        const QDateTime moment = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        const QString name = QStringLiteral("steel_%1-%2.json")
                                 .arg(QLatin1String(bench::technologies[i % bench::technologyCount]),
                                      moment.toString(QStringLiteral("yyyy_MM_dd-hh_mm_ss")));
        const QByteArray path = QFile::encodeName(directory + QLatin1Char('/') + name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const QByteArray line = measurementLine(i);
        const bool written = ::write(fd, line.constData(), size_t(line.size())) == line.size();
        const struct timespec times[2] = {{time_t(seconds + 7), 0}, {time_t(seconds + 7), 0}};
        ::futimens(fd, times);
        ::close(fd);
        if (!written)
            return false;
    }
    return true;
}

// Medians of commands measured in turns, so that a busy moment of the machine weighs on all alike.
inline std::vector<Run> medians(int runs, const std::vector<std::function<Run()>> &commands)
{
    std::vector<std::vector<Run>> all(commands.size());
    for (int r = 0; r < runs; ++r) {
        for (size_t c = 0; c < commands.size(); ++c)
            all[c].push_back(commands[c]());
    }
    std::vector<Run> out;
    for (std::vector<Run> &runsOfOne : all) {
        std::sort(runsOfOne.begin(), runsOfOne.end(),
                  [](const Run &a, const Run &b) { return a.msecs < b.msecs; });
        Run median = runsOfOne[runsOfOne.size() / 2];
        for (const Run &run : runsOfOne)
            median.peakMiB = std::max(median.peakMiB, run.peakMiB);
        out.push_back(median);
    }
    return out;
}

} // namespace bench
