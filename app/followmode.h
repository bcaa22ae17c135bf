// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivemodel.h"
#include "archive/archivewatcher.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class MainWindow;
class QThread;

namespace app {

// steel-viewer --follow: the window follows the folder its lists show. The watch's news change the
// window's archive model file by file (a file put there or written again, a file removed), and the
// selection follows: while it is at what a refresh would choose, it moves to what a refresh chooses
// now, shown with the measurement the watch has read; an older choice stays, its lists gaining the
// new entries. News arriving together are taken in one step, so a burst shows only its newest; after
// a gap in the notification the folder is listed once instead of following the files one by one.
// Between arrivals nothing runs but the watch's own look at the folder every two seconds. A folder
// removed, replaced or unmounted is said in the path field and waited for; when it is back, the
// window reads it anew.
class FollowMode : public QObject
{
public:
    explicit FollowMode(QObject *parent = nullptr);
    ~FollowMode() override;

    // Follows the folder of `window` from now on, and the folder of each of its refreshes.
    void follow(MainWindow *window);

    // The folder followed now; empty before follow().
    QString watchedFolder() const { return watched; }
    // Whether its watch has begun: files landing from now on are told of.
    bool isWatching() const { return watchBegun; }

    // How long a new file may stay unchanged without parsing before the watch names it incomplete.
    void setQuietPeriod(int msecs) { quietMsecs = msecs; }

private:
    void refreshed(const QString &folder);
    void watch(const QString &folder);
    void stopWatching();
    void arrived(const archive::ArrivedMeasurement &measurement);
    void removed(const archive::WatchedFile &file);
    void gap();
    void takeNews();
    void lost(const QString &reason);
    void returned();

    MainWindow *window = nullptr;
    QThread *watchThread = nullptr; // runs the watcher of `watched`
    QString watched;
    bool watchBegun = false;
    int quietMsecs = archive::ArchiveWatcher::defaultQuietPeriod;

    // News not yet taken: they are taken together once the window's thread has none waiting.
    QVector<archive::ArrivedMeasurement> arrivals;
    QStringList removals;
    bool relist = false;
    bool newsPending = false;
};

} // namespace app
