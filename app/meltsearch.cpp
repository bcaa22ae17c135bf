// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/meltsearch.h"

#include "archive/archivefolder.h"
#include "measurement/measurementfile.h"
#include "query/foundmeasurements.h"
#include "query/searchcriteria.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>

namespace app {

namespace {

// Progress often enough to move, seldom enough not to flood the window's event queue.
constexpr qint64 progressIntervalMsecs = 100;

FoundMelt foundMelt(const query::FoundMeasurement &m)
{
    FoundMelt found;
    found.fileName = m.fileName;
    found.technology = m.technology;
    found.moment = m.moment;
    found.melt = m.digest.smelt.value_or(measurement::noDataText());
    found.temperature = m.digest.temperatureText.value_or(measurement::noDataText());
    found.status = m.digest.status.value_or(QString());
    return found;
}

} // namespace

MeltSearch::MeltSearch(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<app::FoundMelt>();
}

MeltSearch::~MeltSearch()
{
    stop();
    join();
}

void MeltSearch::stop()
{
    if (stopFlag)
        *stopFlag = true;
    running = false;
    ++generation; // whatever of the old search is still queued is dropped
}

void MeltSearch::join()
{
    if (worker.joinable())
        worker.join();
}

void MeltSearch::start(const QString &folder, const QString &melt)
{
    stop();
    join();
    stopFlag = std::make_shared<std::atomic<bool>>(false);
    running = true;
    const int ticket = generation;
    const std::shared_ptr<std::atomic<bool>> stopped = stopFlag;
    const QPointer<MeltSearch> self(this);
    // Delivered on this object's thread, and only while this search is still the current one.
    const auto deliver = [self, ticket](auto call) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, ticket, call] {
                if (self && self->generation == ticket)
                    call(self.data());
            },
            Qt::QueuedConnection);
    };
    worker = std::thread([folder, melt, stopped, deliver] {
        query::SearchCriteria criteria;
        criteria.melt = melt;
        archive::ArchiveReading reading;
        reading.stopRequested = [stopped] { return stopped->load(); };
        QElapsedTimer sinceProgress;
        sinceProgress.start();
        reading.progress = [&sinceProgress, &deliver](qint64 done, qint64 total) {
            if (sinceProgress.elapsed() < progressIntervalMsecs && done < total)
                return;
            sinceProgress.restart();
            deliver([done, total](MeltSearch *s) { emit s->progressed(done, total); });
        };
        int count = 0;
        const bool listed = archive::unlistableFolderReason(folder).isEmpty();
        if (listed) {
            query::visitMeasurements(archive::folderPath(folder), criteria, [&](query::FoundMeasurement &&m) {
                ++count;
                const FoundMelt found = foundMelt(m);
                deliver([found](MeltSearch *s) { emit s->found(found); });
            });
        }
        deliver([count, listed](MeltSearch *s) {
            s->running = false;
            emit s->finished(count, listed);
        });
    });
}

} // namespace app
