// SPDX-License-Identifier: GPL-3.0-or-later
//
// How long a following window (steel-viewer --follow) takes to show a measurement that lands in a
// large archive folder, and how much processor time it uses while nothing lands. Prints figures only.
//
//   followbench [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...]      (default size 100000)
//
// The window runs in this process on the offscreen platform, on a folder of SIZE empty archive files
// (as startupbench makes them). Each run writes one complete measurement of a later day into the
// folder and times from the end of the write to the moment the window shows its melt number; the
// files written are removed at the end, so that a kept folder stays as it was.

#include "app/followmode.h"
#include "benchsupport.h"
#include "mainwindow.h"
#include "support/documents.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Waits for `done`, asked every millisecond from the event loop, which otherwise sleeps; false after
// `msecs`.
template <typename Done> bool waitFor(Done done, int msecs)
{
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer ask;
    QObject::connect(&ask, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() > msecs)
            loop.quit();
    });
    ask.start(1);
    if (!done())
        loop.exec();
    return done();
}

// Lets the event loop run for `msecs` without asking anything.
void idleFor(int msecs)
{
    QEventLoop loop;
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::optional<bench::Options> options =
        bench::parseOptions(application.arguments().mid(1), {100000}, QDir::tempPath());
    if (!options) {
        std::fprintf(stderr, "usage: followbench [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...]\n");
        return 2;
    }
    std::printf("%9s %14s %14s %14s %22s\n", "files", "start ms", "median ms", "slowest ms",
                "idle cpu ms / 10 s");
    for (const int size : options->sizes) {
        QTemporaryDir temporary(options->parent + QStringLiteral("/followbench-XXXXXX"));
        const QString place = bench::preparedPlace(*options, temporary.path(), size);
        if (place.isEmpty()) {
            std::fprintf(stderr, "cannot create %d files\n", size);
            return 1;
        }
        const QString folder = place + QStringLiteral("/archive");
        QElapsedTimer started;
        started.start();
        std::unique_ptr<MainWindow> window;
        app::FollowMode follow;
        window = std::make_unique<MainWindow>(folder);
        follow.follow(window.get());
        window->show();
        if (!waitFor([&] { return follow.isWatching(); }, 600000)) {
            std::fprintf(stderr, "the watch did not begin\n");
            return 1;
        }
        const double startMsecs = double(started.nsecsElapsed()) / 1e6;
        auto *melt = window->findChild<QLabel *>(QStringLiteral("nameSteelSmelt"));

        // Nothing lands for ten seconds: what does the following window spend?
        const double before = bench::processorMsecs();
        idleFor(10000);
        const double idle = bench::processorMsecs() - before;

        std::vector<double> latencies;
        QStringList written;
        for (int run = 0; run < options->runs; ++run) {
            const QString name =
                QStringLiteral("steel_OX-2090_01_%1-10_00_00.json").arg(run + 1, 2, 10, QLatin1Char('0'));
            const QString number = QStringLiteral("9%1").arg(run, 4, 10, QLatin1Char('0'));
            QFile file(folder + QLatin1Char('/') + name);
            const QByteArray line = support::measurementLine(number);
            if (!file.open(QIODevice::WriteOnly) || file.write(line) != line.size() || !file.flush()) {
                std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(file.fileName()),
                             qPrintable(file.errorString()));
                file.remove();
                return 1;
            }
            file.close();
            written << file.fileName();
            QElapsedTimer shown;
            shown.start();
            if (!waitFor([&] { return melt->text() == number; }, 120000)) {
                std::fprintf(stderr, "%s was not shown\n", qPrintable(name));
                break;
            }
            latencies.push_back(double(shown.nsecsElapsed()) / 1e6);
            idleFor(2500); // past the watch's look after a change
        }
        for (const QString &path : qAsConst(written))
            QFile::remove(path);
        std::vector<double> sorted = latencies;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%9d %14.1f %14.1f %14.1f %22.1f\n", size, startMsecs,
                    sorted.empty() ? 0.0 : sorted[sorted.size() / 2], sorted.empty() ? 0.0 : sorted.back(),
                    idle);
        std::fflush(stdout);
    }
    return 0;
}
