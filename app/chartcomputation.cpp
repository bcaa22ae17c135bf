// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/chartcomputation.h"

#include "archive/archivefolder.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QPointer>

namespace app {

namespace {

// Progress often enough to move, seldom enough not to flood the window's event queue.
constexpr qint64 progressIntervalMsecs = 100;

} // namespace

ChartComputation::ChartComputation(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<statistics::ControlChart>();
}

ChartComputation::~ChartComputation()
{
    stop();
    join();
}

void ChartComputation::stop()
{
    if (stopFlag)
        *stopFlag = true;
    running = false;
    ++generation; // whatever of the old computation is still queued is dropped
}

void ChartComputation::join()
{
    if (worker.joinable())
        worker.join();
}

void ChartComputation::start(const QString &folder, const statistics::ChartSelection &selection)
{
    stop();
    join();
    stopFlag = std::make_shared<std::atomic<bool>>(false);
    running = true;
    const int ticket = generation;
    const std::shared_ptr<std::atomic<bool>> stopped = stopFlag;
    const QPointer<ChartComputation> self(this);
    // Delivered on this object's thread, and only while this computation is still the current one.
    const auto deliver = [self, ticket](auto call) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, ticket, call] {
                if (self && self->generation == ticket)
                    call(self.data());
            },
            Qt::QueuedConnection);
    };
    worker = std::thread([folder = archive::folderPath(folder), selection, stopped, deliver] {
        const auto stopRequested = [stopped] { return stopped->load(); };
        if (const auto first = statistics::indexedControlChart(folder, selection, stopRequested))
            deliver([chart = *first](ChartComputation *c) { emit c->preliminary(chart); });
        archive::ArchiveReading reading;
        reading.stopRequested = stopRequested;
        QElapsedTimer sinceProgress;
        sinceProgress.start();
        reading.progress = [&sinceProgress, &deliver](qint64 done, qint64 total) {
            if (sinceProgress.elapsed() < progressIntervalMsecs && done < total)
                return;
            sinceProgress.restart();
            deliver([done, total](ChartComputation *c) { emit c->progressed(done, total); });
        };
        QStringList unreadable;
        const statistics::ControlChart chart =
            statistics::readControlChart(folder, selection, reading, &unreadable);
        if (stopped->load())
            return;
        deliver([chart, unreadable](ChartComputation *c) {
            c->running = false;
            emit c->finished(chart, unreadable);
        });
    });
}

} // namespace app
