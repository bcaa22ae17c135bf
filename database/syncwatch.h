// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "database/archivesync.h"

#include <QByteArray>
#include <QEventLoop>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>

namespace archive {
class ArchiveWatcher;
}

namespace database {

// Keeps an archive's database up to date while measurements land. The whole archive is compared
// first; then each file the core watcher reports as arrived is sent, the arrivals of a moment in one
// pass; and the whole archive is compared again now and then (files changed or removed, which the
// watcher does not report, and files still incomplete) and after every failure. A pass that fails
// (the server stopped or restarted, the network, a full disk) is tried again after a pause that
// grows to a minute, with a line on standard error; nothing is lost, since the pass after a failure
// compares the whole archive and sends whatever the database misses.
class SyncWatch : public QObject
{
    Q_OBJECT
public:
    // Arrivals gathered before their pass begins.
    static constexpr int gatheringMsecs = 500;
    // How often the whole archive is compared.
    static constexpr int wholeArchiveMsecs = 10 * 60 * 1000;
    static constexpr int firstRetryMsecs = 1000;
    static constexpr int longestRetryMsecs = 60 * 1000;

    // `sync` is open. `reported` is told every pass that did something; `say` gets the lines for
    // standard error (without the program's name).
    SyncWatch(ArchiveSync &sync, archive::ArchiveWatcher &watcher,
              std::function<void(const SyncReport &report)> reported,
              std::function<void(const QString &line)> say);

    // The first pass, before the watch: the whole archive. The watcher is started before it, so that
    // nothing landing meanwhile goes unseen.
    void compareWholeArchive();
    // Watches until the folder is lost (exit code 1, said) or end() is called.
    int exec();
    // Ends the watch after the pass that runs now, if any.
    void end(int exitCode);

private:
    void arrived(const QByteArray &encodedName);
    void passOverArrivals();
    void passOverWholeArchive();
    void afterPass(const SyncReport &report);
    void retry();

    ArchiveSync &sync;
    archive::ArchiveWatcher &watcher;
    std::function<void(const SyncReport &)> reported;
    std::function<void(const QString &)> say;
    QEventLoop loop;
    QTimer gathering;
    QTimer wholeArchive;
    QTimer retrying;
    QSet<QByteArray> arrivals;
    int retryMsecs = firstRetryMsecs;
    bool failing = false;
    QString failure; // the reason last said, so that a failure that lasts is said once
};

} // namespace database
