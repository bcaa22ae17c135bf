// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/syncwatch.h"

#include "archive/archivewatcher.h"

#include <QCoreApplication>

#include <algorithm>

namespace database {

SyncWatch::SyncWatch(ArchiveSync &sync, archive::ArchiveWatcher &watcher,
                     std::function<void(const SyncReport &)> reported,
                     std::function<void(const QString &)> say)
    : sync(sync), watcher(watcher), reported(std::move(reported)), say(std::move(say))
{
    gathering.setSingleShot(true);
    gathering.setInterval(gatheringMsecs);
    connect(&gathering, &QTimer::timeout, this, &SyncWatch::passOverArrivals);
    wholeArchive.setInterval(wholeArchiveMsecs);
    connect(&wholeArchive, &QTimer::timeout, this, &SyncWatch::passOverWholeArchive);
    retrying.setSingleShot(true);
    connect(&retrying, &QTimer::timeout, this, &SyncWatch::retry);
    connect(&watcher, &archive::ArchiveWatcher::measurementArrived, this,
            [this](const archive::ArrivedMeasurement &measurement) { arrived(measurement.encodedName); });
    connect(&watcher, &archive::ArchiveWatcher::folderLost, this,
            [this](archive::ArchiveWatcher::Loss, const QString &reason) {
                this->say(reason);
                end(1);
            });
}

void SyncWatch::compareWholeArchive()
{
    passOverWholeArchive();
}

int SyncWatch::exec()
{
    wholeArchive.start();
    return loop.exec();
}

void SyncWatch::end(int exitCode)
{
    loop.exit(exitCode);
}

void SyncWatch::arrived(const QByteArray &encodedName)
{
    arrivals.insert(encodedName);
    if (!gathering.isActive())
        gathering.start();
}

void SyncWatch::passOverArrivals()
{
    // While the database fails, the pass that follows the failure sends them with everything else.
    if (failing || arrivals.isEmpty())
        return;
    const QVector<QByteArray> names(arrivals.cbegin(), arrivals.cend());
    arrivals.clear();
    afterPass(sync.runFiles(names));
}

void SyncWatch::passOverWholeArchive()
{
    if (failing)
        return;
    arrivals.clear();
    afterPass(sync.run());
}

void SyncWatch::afterPass(const SyncReport &report)
{
    if (report.outcome == SyncReport::Outcome::done) {
        if (failing)
            say(QCoreApplication::translate("database", "the database answers again; the whole archive "
                                                        "has been compared"));
        failing = false;
        failure.clear();
        retryMsecs = firstRetryMsecs;
        reported(report);
        return;
    }
    QString reason = report.error;
    if (report.outcome == SyncReport::Outcome::folderUnreadable)
        reason = QCoreApplication::translate("database", "%1: the folder cannot be listed")
                     .arg(watcher.directory());
    else if (report.outcome == SyncReport::Outcome::emptyFolderKept)
        reason = QCoreApplication::translate("database", "%1 holds no archive file; the database's rows "
                                                         "of it are kept (is the folder's share mounted?)")
                     .arg(watcher.directory());
    failing = true;
    // A failure that lasts is said once: the server down for an hour is one line, not sixty.
    if (reason != failure)
        say(QCoreApplication::translate("database", "%1; trying again in %2 s")
                .arg(reason)
                .arg(retryMsecs / 1000));
    failure = reason;
    retrying.start(retryMsecs);
    retryMsecs = std::min(2 * retryMsecs, longestRetryMsecs);
}

void SyncWatch::retry()
{
    if (sync.connectionLost()) {
        QString error;
        if (!sync.open(&error)) {
            SyncReport report;
            report.error = error;
            afterPass(report);
            return;
        }
    }
    arrivals.clear();
    afterPass(sync.run());
}

} // namespace database
