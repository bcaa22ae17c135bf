// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/followmode.h"

#include "archive/archivelisting.h"
#include "archive/cascadeselection.h"
#include "mainwindow.h"

#include <QThread>

#include <utility>

namespace app {

FollowMode::FollowMode(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<archive::ArrivedMeasurement>();
    qRegisterMetaType<archive::WatchedFile>();
    qRegisterMetaType<archive::ArchiveWatcher::Loss>();
}

FollowMode::~FollowMode()
{
    stopWatching();
}

void FollowMode::follow(MainWindow *followed)
{
    window = followed;
    archive::CascadeSelection *selection = window->archiveSelection();
    connect(selection, &archive::CascadeSelection::refreshed, this, &FollowMode::refreshed);
    refreshed(selection->model().folder());
}

void FollowMode::refreshed(const QString &folder)
{
    // A refresh has read the folder: news told before it are in its listing.
    arrivals.clear();
    removals.clear();
    relist = false;
    if (folder != watched || !watchThread)
        watch(folder);
}

void FollowMode::watch(const QString &folder)
{
    stopWatching();
    watched = folder;
    // The watch lists the whole folder at every change: on a thread of its own, so that the window
    // never waits for it. The watcher is made, run and deleted there.
    watchThread = new QThread(this);
    auto *host = new QObject;
    host->moveToThread(watchThread);
    connect(watchThread, &QThread::finished, host, &QObject::deleteLater);
    watchThread->start();
    const int quiet = quietMsecs;
    QMetaObject::invokeMethod(
        host,
        [this, host, folder, quiet] {
            auto *watcher = new archive::ArchiveWatcher(folder, host);
            watcher->setFollowName(true);
            watcher->setQuietPeriod(quiet);
            // Delivered to this object's thread, the window's, in the order told.
            connect(watcher, &archive::ArchiveWatcher::measurementArrived, this, &FollowMode::arrived);
            connect(watcher, &archive::ArchiveWatcher::fileRemoved, this, &FollowMode::removed);
            connect(watcher, &archive::ArchiveWatcher::listedAfterGap, this, &FollowMode::gap);
            connect(watcher, &archive::ArchiveWatcher::folderLost, this,
                    [this](archive::ArchiveWatcher::Loss, const QString &reason) { lost(reason); });
            connect(watcher, &archive::ArchiveWatcher::folderUnlistable, this, &FollowMode::lost);
            connect(watcher, &archive::ArchiveWatcher::folderListable, this,
                    [this] { window->markFolder(QString()); });
            connect(watcher, &archive::ArchiveWatcher::reattached, this, &FollowMode::returned);
            const bool started = watcher->start();
            QMetaObject::invokeMethod(this, [this, started, reason = watcher->failureReason()] {
                watchBegun = started;
                if (!started)
                    lost(reason);
            });
        },
        Qt::QueuedConnection);
}

void FollowMode::stopWatching()
{
    watchBegun = false;
    if (!watchThread)
        return;
    watchThread->quit();
    watchThread->wait();
    delete watchThread;
    watchThread = nullptr;
}

void FollowMode::arrived(const archive::ArrivedMeasurement &measurement)
{
    // A name no text can hold never reaches the lists.
    if (measurement.undecodableName)
        return;
    removals.removeAll(measurement.fileName);
    arrivals.append(measurement);
    takeNews();
}

void FollowMode::removed(const archive::WatchedFile &file)
{
    if (file.undecodableName)
        return;
    removals.append(file.fileName);
    takeNews();
}

void FollowMode::gap()
{
    // The listing below covers what was told before it, and what the watch reads of that listing
    // next is in it already.
    arrivals.clear();
    removals.clear();
    relist = true;
    takeNews();
}

// The news are taken once the events already waiting have been delivered, so that a burst of
// arrivals is one change of the window, not one frame per file.
void FollowMode::takeNews()
{
    if (newsPending)
        return;
    newsPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            newsPending = false;
            archive::CascadeSelection *selection = window->archiveSelection();
            if (relist) {
                relist = false;
                selection->relist();
            }
            if (!removals.isEmpty())
                selection->remove(std::exchange(removals, {}));
            if (arrivals.isEmpty())
                return;
            QVector<archive::ArchiveEntry> files;
            const archive::ArrivedMeasurement *newest = nullptr;
            for (const archive::ArrivedMeasurement &arrival : qAsConst(arrivals)) {
                const qint64 nsecs = archive::modifiedNsecsOf(arrival.stamp);
                files.append(archive::ArchiveEntry{arrival.fileName, nsecs});
                if (arrival.read &&
                    (!newest || archive::isNewer(nsecs, arrival.fileName,
                                                 archive::modifiedNsecsOf(newest->stamp), newest->fileName)))
                    newest = &arrival;
            }
            if (newest)
                window->offerMeasurement(newest->fileName, archive::modifiedNsecsOf(newest->stamp),
                                         *newest->read);
            arrivals.clear();
            selection->put(files);
        },
        Qt::QueuedConnection);
}

void FollowMode::lost(const QString &reason)
{
    window->markFolder(QStringLiteral("Папка архива недоступна: %1. Окно ждёт её возвращения.").arg(reason));
}

void FollowMode::returned()
{
    window->markFolder(QString());
    // The folder back may hold anything: read it anew, which chooses its newest measurement.
    window->refresh();
}

} // namespace app
