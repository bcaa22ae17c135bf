// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

namespace platform {

// The names that enter and leave one folder, told by the system's change notification as they
// happen, so that a watch of a folder of a million files need not list it at each change. Where the
// system does not name its changes (Windows here), watch() is false and the watch lists instead.
// The changes are told from the event loop of the thread that called watch().
class FolderEvents
{
public:
    struct Change
    {
        QByteArray name;      // in the file-name encoding
        bool entered = false; // created or moved in; else removed or moved away
    };
    // The changes in the order they happened. `lost` when some may be missing (the system's queue
    // overflowed, or the folder's watch ended: removed, moved away, unmounted): only a listing tells
    // then. The handler must not destroy this object; it may call watch() again.
    using Handler = std::function<void(const QVector<Change> &changes, bool lost)>;

    explicit FolderEvents(Handler handler);
    ~FolderEvents();
    FolderEvents(const FolderEvents &) = delete;
    FolderEvents &operator=(const FolderEvents &) = delete;

    // Begins to tell the changes of `folder` (the empty path is the working directory), ending a
    // watch begun before; false when the folder cannot be watched or the system names no changes.
    bool watch(const QString &folder);
    // Ends the watch: nothing more is told. The handler may call it.
    void stop();
    // Whether a watch is in place: false before watch(), and once a watch has ended.
    bool isWatching() const;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace platform
