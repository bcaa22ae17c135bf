// SPDX-License-Identifier: GPL-3.0-or-later
//
// How long one refresh of the selection cascade takes on large archive folders, next to what the
// operating system needs at least for the same work and next to `ls -t`. Prints figures only.
//
//   refreshbench [--runs N] [--dir PARENT] [SIZE...]      (default sizes 1000 10000 100000 300000)

#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char *const technologies[] = {"K1", "K2", "AL", "DS", "OX"};
constexpr int technologyCount = 5;
// 20 minutes apart: 72 measurements a day over all technologies, so 100,000 files span ~4 years.
constexpr qint64 secondsBetweenMeasurements = 20 * 60;
constexpr qint64 firstMeasurement = 1483228800; // 2017-01-01 00:00 UTC

struct RefreshChoice
{
    QString technology;
    QString yearMonth;
    QString day;
    int times = 0;
};

// The four scans as the window's refresh runs them: the newest technology, its first month, that
// month's first day, that day's times.
RefreshChoice refresh(const QString &directory)
{
    RefreshChoice choice;
    const archive::TechnologyScan scan = archive::scanTechnologies(directory);
    choice.technology = scan.newestTechnology;
    const QStringList months = archive::scanYearMonths(directory, choice.technology);
    choice.yearMonth = months.value(0);
    const QStringList days = archive::scanDays(directory, choice.technology, choice.yearMonth);
    choice.day = days.value(0);
    choice.times = archive::scanTimes(directory, choice.technology, choice.yearMonth, choice.day).size();
    return choice;
}

// Runs the measured tasks in turns rather than one after the other, so that a busy moment of the
// machine (other builds, the page cache) weighs on all of them alike; each gets its median.
std::vector<double> medianMsecs(int runs, const std::vector<std::function<void()>> &tasks)
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

#ifdef Q_OS_UNIX

bool createArchive(const QString &directory, int count)
{
    const QByteArray base = QFile::encodeName(directory) + '/';
    for (int i = 0; i < count; ++i) {
        const qint64 seconds = firstMeasurement + qint64(i) * secondsBetweenMeasurements;
        const QDateTime at = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        const archive::Moment moment{at.date(), at.time()};
        const QString name =
            archive::archiveFileName(QString::fromLatin1(technologies[i % technologyCount]), moment);
        const QByteArray path = base + QFile::encodeName(name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        // The file is written a few seconds after the moment in its name.
        const struct timespec times[2] = {{time_t(seconds + 7), 0}, {time_t(seconds + 7), 0}};
        const bool stamped = ::futimens(fd, times) == 0;
        ::close(fd);
        if (!stamped)
            return false;
    }
    return true;
}

// The least the system must do for one listing: read the folder once and ask for the status of every
// matching file. Patterns here are all "prefix*suffix".
int floorListing(const QByteArray &directory, const QString &pattern)
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
        const size_t length = strlen(entry->d_name);
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

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    struct rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

#endif // Q_OS_UNIX

// The straightforward way: QDir sorting by time, four listings.
void qdirRefresh(const QString &directory, const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        const QFileInfoList list =
            QDir(directory).entryInfoList(QStringList{pattern}, QDir::Files, QDir::Time);
        Q_UNUSED(list);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
#ifndef Q_OS_UNIX
    out << "refreshbench measures the floor with POSIX calls and runs on Unix only\n";
    return 0;
#else
    QList<int> sizes;
    int runs = 7;
    QString parent = QDir::tempPath();
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = std::max(1, args.at(++i).toInt());
        } else if (args.at(i) == QLatin1String("--dir") && i + 1 < args.size()) {
            parent = args.at(++i);
        } else if (args.at(i).toInt() > 0) {
            sizes.append(args.at(i).toInt());
        } else {
            out << "usage: refreshbench [--runs N] [--dir PARENT] [SIZE...]\n";
            return 2;
        }
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000, 300000};

    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("files"), 7)
               .arg(QStringLiteral("refresh ms"), 11)
               .arg(QStringLiteral("floor ms"), 9)
               .arg(QStringLiteral("ls -t ms"), 9)
               .arg(QStringLiteral("refr/floor"), 10)
               .arg(QStringLiteral("refr/ls"), 8)
               .arg(QStringLiteral("portable ms"), 12)
               .arg(QStringLiteral("QDir ms"), 9)
               .arg(QStringLiteral("peak MiB"), 9);
    out.flush();

    for (int size : qAsConst(sizes)) {
        QTemporaryDir folder(parent + QStringLiteral("/refreshbench-XXXXXX"));
        if (!folder.isValid() || !createArchive(folder.path(), size)) {
            out << "cannot create " << size << " files under " << parent << "\n";
            return 1;
        }
        const QString directory = folder.path();
        const QByteArray nativeDirectory = QFile::encodeName(directory);

        archive::setListingBackend(archive::ListingBackend::Native);
        const RefreshChoice choice = refresh(directory);
        const QStringList patterns{archive::technologyPattern(), archive::yearMonthPattern(choice.technology),
                                   archive::dayPattern(choice.technology, choice.yearMonth),
                                   archive::timePattern(choice.technology, choice.yearMonth, choice.day)};

        const auto refreshNative = [&] { refresh(directory); };
        const auto floor = [&] {
            for (const QString &pattern : patterns)
                floorListing(nativeDirectory, pattern);
        };
        const auto ls = [&] {
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(QStringLiteral("ls"), {QStringLiteral("-t"), directory});
            process.waitForFinished(-1);
        };
        const std::vector<double> medians = medianMsecs(runs, {refreshNative, floor, ls});
        const double refreshMs = medians[0];
        const double floorMs = medians[1];
        const double lsMs = medians[2];

        // The portable walk and QDir are far slower; they run on the smaller folders only.
        QString portable = QStringLiteral("-");
        if (size <= 100000) {
            archive::setListingBackend(archive::ListingBackend::Portable);
            portable = QString::number(medianMsecs(runs, {refreshNative}).front(), 'f', 1);
            archive::setListingBackend(archive::ListingBackend::Native);
        }
        QString qdir = QStringLiteral("-");
        if (size <= 10000)
            qdir = QString::number(medianMsecs(runs, {[&] { qdirRefresh(directory, patterns); }}).front(),
                                   'f', 1);

        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                   .arg(size, 7)
                   .arg(refreshMs, 11, 'f', 2)
                   .arg(floorMs, 9, 'f', 2)
                   .arg(lsMs, 9, 'f', 2)
                   .arg(refreshMs / floorMs, 10, 'f', 2)
                   .arg(refreshMs / lsMs, 8, 'f', 2)
                   .arg(portable, 12)
                   .arg(qdir, 9)
                   .arg(peakMegabytes(), 9, 'f', 1);
        out.flush();
        fprintf(stderr, "  %d files: newest %s, %s, day %s, %d times\n", size, qPrintable(choice.technology),
                qPrintable(choice.yearMonth), qPrintable(choice.day), choice.times);
    }
    return 0;
#endif
}
