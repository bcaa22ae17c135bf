// SPDX-License-Identifier: GPL-3.0-or-later
//
// What the benchmarks of steel-archive's own commands share: a command run with its wall time,
// processor time and peak memory, and medians of commands measured in turns.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <algorithm>
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
