// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivewatcher.h"
#include "archive/sharedlisting.h"

#include <QObject>
#include <QString>

#include <memory>

class QComboBox;
class QLineEdit;
class QThread;

namespace app {

class FolderMark;

// steel-viewer --follow: the window follows the folder its lists show. Each new measurement is
// shown by itself as soon as its file is complete, while the operator looks at the newest one; with
// an older one chosen, the lists only gain the new entries and the choice stays. The lists are
// changed in place, from a listing of the folder kept since the last refresh, never by reading the
// folder again; between arrivals nothing runs but the watch's own look at the folder every two
// seconds. A folder removed, replaced or unmounted is said in the path field and waited for; when
// it is back, the window reads it anew.
class FollowMode : public QObject
{
public:
    // Made before the window, so that the listing of the window's first refresh is kept.
    explicit FollowMode(QObject *parent = nullptr);
    ~FollowMode() override;

    // Follows the folder of `window` (a MainWindow, reached through its widgets) from now on.
    void follow(QWidget *window);

    // The folder followed now; empty before follow().
    QString watchedFolder() const { return watched; }
    // Whether its watch has begun: files landing from now on are told of.
    bool isWatching() const { return watchBegun; }

    // How long a new file may stay unchanged without parsing before the watch names it incomplete.
    void setQuietPeriod(int msecs) { quietMsecs = msecs; }

private:
    struct Selection
    {
        QString technology, yearMonth, day, time;
        bool operator==(const Selection &o) const
        {
            return technology == o.technology && yearMonth == o.yearMonth && day == o.day && time == o.time;
        }
    };

    Selection currentSelection() const;
    void afterRefresh();
    void watch(const QString &folder);
    void stopWatching();
    void arrived(const archive::ArrivedMeasurement &measurement);
    void lost(const QString &reason);
    void returned();
    void addEntries(const QString &fileName);

    archive::KeptListing listing;
    std::unique_ptr<FolderMark> mark;
    QWidget *window = nullptr;
    QLineEdit *pathField = nullptr;
    QComboBox *technologies = nullptr;
    QComboBox *months = nullptr;
    QComboBox *days = nullptr;
    QComboBox *times = nullptr;
    QThread *watchThread = nullptr; // runs the watcher of `watched`
    QString watched;
    bool watchBegun = false;
    int quietMsecs = archive::ArchiveWatcher::defaultQuietPeriod;
    // What the lists chose when they last showed the newest measurement.
    Selection newest;
};

} // namespace app
