// SPDX-License-Identifier: GPL-3.0-or-later
//
// How long one refresh of the selection cascade takes on large archive folders, next to what the
// operating system needs at least for the same work and next to `ls -t`. Prints figures only.
//
//   refreshbench [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...]
//                (default sizes 1000 10000 100000 300000; --keep FOLDER: make the archives there once
//                and reuse them)

#include "archive/archivelisting.h"
#include "archive/archivescans.h"
#include "benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

using bench::medianMsecs;
using bench::refresh;
using bench::RefreshChoice;

using bench::createArchive;

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

// The straightforward way: QDir sorting by time, four listings.
void qdirRefresh(const QString &directory, const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        const QFileInfoList list =
            QDir(directory).entryInfoList(QStringList{pattern}, QDir::Files, QDir::Time);
        Q_UNUSED(list);
    }
}

// One size's figures: the window's refresh against its floor, ls -t, the portable walk and QDir.
void timeRefresh(QTextStream &out, int size, const QString &place, int runs)
{
    const QString directory = place + QStringLiteral("/archive");
    const QByteArray nativeDirectory = QFile::encodeName(directory);

    archive::setListingBackend(archive::ListingBackend::Native);
    const RefreshChoice choice = refresh(directory);
    const QStringList patterns = bench::refreshPatterns(choice);

    const auto refreshNative = [&] { refresh(directory); };
    const auto floor = [&] { bench::floorRefresh(nativeDirectory, patterns); };
    const auto ls = [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("ls"), {QStringLiteral("-t"), directory});
        process.waitForFinished(-1);
    };
    const std::vector<bench::Timing> medians = bench::medianTimings(runs, {refreshNative, floor, ls});
    const double refreshMs = medians[0].wallMsecs;
    const double floorMs = medians[1].wallMsecs;
    const double lsMs = medians[2].wallMsecs;
    const auto withProcessor = [](const bench::Timing &timing) {
        return QStringLiteral("%1 (%2)")
            .arg(timing.wallMsecs, 0, 'f', 1)
            .arg(timing.processorMsecs, 0, 'f', 0);
    };

    // The portable walk and QDir are far slower; they run on the smaller folders only.
    QString portable = QStringLiteral("-");
    if (size <= 100000) {
        archive::setListingBackend(archive::ListingBackend::Portable);
        portable = QString::number(medianMsecs(runs, {refreshNative}).front(), 'f', 1);
        archive::setListingBackend(archive::ListingBackend::Native);
    }
    QString qdir = QStringLiteral("-");
    if (size <= 10000)
        qdir =
            QString::number(medianMsecs(runs, {[&] { qdirRefresh(directory, patterns); }}).front(), 'f', 1);

    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(size, 7)
               .arg(withProcessor(medians[0]), 18)
               .arg(withProcessor(medians[1]), 18)
               .arg(withProcessor(medians[2]), 18)
               .arg(refreshMs / floorMs, 10, 'f', 2)
               .arg(QStringLiteral("%1 (%2)")
                        .arg(refreshMs / lsMs, 0, 'f', 2)
                        .arg(medians[0].processorMsecs / medians[2].processorMsecs, 0, 'f', 2),
                    14)
               .arg(portable, 12)
               .arg(qdir, 9)
               .arg(peakMegabytes(), 9, 'f', 1);
    out.flush();
    fprintf(stderr, "  %d files: newest %s, %s, day %s, %d times\n", size, qPrintable(choice.technology),
            qPrintable(choice.yearMonth), qPrintable(choice.day), choice.times);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const std::optional<bench::Options> options =
        bench::parseOptions(app.arguments().mid(1), {1000, 10000, 100000, 300000}, QDir::tempPath());
    if (!options) {
        out << "usage: refreshbench [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...]\n";
        return 2;
    }
    const QList<int> &sizes = options->sizes;
    const int runs = options->runs;
    const QString &parent = options->parent;

    // Wall time, then processor time (all threads; for ls -t the child's) in brackets.
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("files"), 7)
               .arg(QStringLiteral("refresh ms (cpu)"), 18)
               .arg(QStringLiteral("floor ms (cpu)"), 18)
               .arg(QStringLiteral("ls -t ms (cpu)"), 18)
               .arg(QStringLiteral("refr/floor"), 10)
               .arg(QStringLiteral("refr/ls (cpu)"), 14)
               .arg(QStringLiteral("portable ms"), 12)
               .arg(QStringLiteral("QDir ms"), 9)
               .arg(QStringLiteral("peak MiB"), 9);
    out.flush();

    for (int size : qAsConst(sizes)) {
        QTemporaryDir folder(parent + QStringLiteral("/refreshbench-XXXXXX"));
        const QString place =
            folder.isValid() ? bench::preparedPlace(*options, folder.path(), size) : QString();
        if (place.isEmpty()) {
            out << "cannot create " << size << " files under " << parent << "\n";
            return 1;
        }
        timeRefresh(out, size, place, runs);
    }
    return 0;
}
