// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/meltsearch.h"

#include "archive/archivefolder.h"
#include "measurement/measurementfile.h"
#include "query/foundmeasurements.h"
#include "query/indexedsearch.h"
#include "query/searchcriteria.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QSet>

namespace app {

namespace {

// Progress often enough to move, seldom enough not to flood the window's event queue.
constexpr qint64 progressIntervalMsecs = 100;

// The search finds every melt number that holds the text; the window lists that melt alone.
bool isThatMelt(const query::FoundMeasurement &m, const QString &melt)
{
    return m.digest.smelt && m.digest.smelt->trimmed().compare(melt, Qt::CaseInsensitive) == 0;
}

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
    worker = std::thread([folder, melt = melt.trimmed(), stopped, deliver] {
        query::SearchCriteria criteria;
        criteria.melt = melt;
        const auto stopRequested = [stopped] { return stopped->load(); };
        const QString searched = archive::folderPath(folder);
        const bool listed = archive::unlistableFolderReason(folder).isEmpty();
        // First what the index knows of files exactly as it filed them: at once, without a look at
        // the other files of a large folder.
        QSet<QString> shown;
        if (listed) {
            query::visitIndexedMeasurements(
                searched, criteria,
                [&](query::FoundMeasurement &&m) {
                    if (!isThatMelt(m, melt))
                        return;
                    shown.insert(m.fileName);
                    const FoundMelt found = foundMelt(m);
                    deliver([found](MeltSearch *s) { emit s->found(found); });
                },
                stopRequested);
        }
        // Then the search as find --melt makes it, checked file by file, which completes the answer.
        archive::ArchiveReading reading;
        reading.stopRequested = stopRequested;
        QElapsedTimer sinceProgress;
        sinceProgress.start();
        reading.progress = [&sinceProgress, &deliver](qint64 done, qint64 total) {
            if (sinceProgress.elapsed() < progressIntervalMsecs && done < total)
                return;
            sinceProgress.restart();
            deliver([done, total](MeltSearch *s) { emit s->progressed(done, total); });
        };
        QStringList all;
        if (listed) {
            query::visitMeasurements(
                searched, criteria,
                [&](query::FoundMeasurement &&m) {
                    if (!isThatMelt(m, melt))
                        return;
                    all.append(m.fileName);
                    if (shown.contains(m.fileName))
                        return;
                    const FoundMelt found = foundMelt(m);
                    deliver([found](MeltSearch *s) { emit s->found(found); });
                },
                nullptr, reading);
        }
        const bool complete = !stopped->load();
        deliver([all, listed, complete](MeltSearch *s) {
            s->running = false;
            if (complete)
                emit s->confirmed(all);
            emit s->finished(all.size(), listed);
        });
    });
}

} // namespace app
