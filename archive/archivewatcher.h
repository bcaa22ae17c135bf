// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivename.h"
#include "measurement/measurementdigest.h"
#include "platform/filestamp.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace archive {

// A file of the watched folder, named as the listing gives it.
struct WatchedFile
{
    // The name as the system stores it, in the file-name encoding's bytes: what opens the file.
    QByteArray encodedName;
    // The exact name; for a name that the file-name encoding cannot decode (which no text can hold),
    // its escaped form ("steel_K1-\xff.json"), as the archive-wide reading names it.
    QString fileName;
    bool undecodableName = false;

    // The name as plain-text output shows it: control characters and invalid bytes escaped.
    QString shownName() const;
};

// A file whose first line has become a measurement.
struct ArrivedMeasurement : WatchedFile
{
    QString technology;                    // from the name
    Moment moment;                         // from the name; invalid when the name holds none
    measurement::MeasurementDigest digest; // the measurement's results and curves (no check findings)
    platform::FileStamp stamp;             // the file as it was when it was read
    // The measurement as read then: a window shows it without reading the file again.
    std::shared_ptr<const measurement::Measurement> read;
};

// A new file that is still no measurement after the quiet period.
struct IncompleteFile : WatchedFile
{
    // What the reader found in a file it could read; std::nullopt when the file could not be read,
    // and `unreadableReason` says why.
    std::optional<measurement::ReadFindings> findings;
    QString unreadableReason;
};

class WatchEngine;

// Watches one archive folder and tells what lands in it: each new archive file (steel_*.json, or
// a name the file-name encoding cannot decode) once its first line is a measurement. Files there
// when the watch begins are not reported; a file renamed into the folder counts as new; a removed
// file is forgotten, so that one written anew under its name is new again, and so is one renamed over
// a known name. Where the folder is listed rather than named by the system, a known name whose
// modification time moved (to the millisecond) between two listings counts as written anew too: it
// is reported as removed and new, so that a name gone and back between two listings is not missed.
//
// A new file that does not parse yet is waited for: it is read again at every change, and once it
// has stayed unchanged for the quiet period without parsing it is reported as incomplete, once,
// and still waited for: it arrives when it parses, however late.
//
// The folder is watched through the system's change notification and looked at besides every
// checkInterval milliseconds and after every gap in the notification (an overflow, a folder that
// could not be listed, a renewed watch): a file that the notification missed is found by the next
// listing, a file written on another machine of a network share as well. Where the notification
// names the files that come and go (Linux), only those are looked at, and the folder is listed
// after a gap or when its times moved without a word; elsewhere it is listed at each change. The folder is
// known by its identity (device, inode, mount): when the path leads to another folder (moved away and made
// anew, another file system mounted over it, a link on the way pointed elsewhere) it was replaced.
// A listing that fails is reported and never taken for an empty folder: nothing is reported twice.
// The watcher only reads: it never writes, creates or touches anything in or near the folder.
//
// Signals are emitted from the event loop of the thread that owns the watcher. A slot may end the
// event loop; it must not delete the watcher (deleteLater() is fine).
class ArchiveWatcher : public QObject
{
    Q_OBJECT
public:
    enum class Loss
    {
        gone,     // no folder at the path any more (removed, moved away, a file in its place)
        replaced, // another folder at the path
    };
    Q_ENUM(Loss)

    static constexpr int defaultQuietPeriod = 10000;
    static constexpr int checkInterval = 2000;

    // `directory` as the user gave it (the empty path is the working directory); it is watched
    // under that spelling, so that a relative path keeps following the working directory's folder.
    explicit ArchiveWatcher(const QString &directory, QObject *parent = nullptr);
    ~ArchiveWatcher() override;

    QString directory() const;

    // How long, in milliseconds, a new file may stay unchanged without parsing before it is reported
    // as incomplete. Set it before start().
    void setQuietPeriod(int msecs);
    int quietPeriod() const;

    // Following the folder by its name (tail -F): a folder that is not there yet, gone or replaced
    // is waited for, looked for every checkInterval, and watched once it is there; its files are
    // then reported as new, whenever they come, but for names reported before or there when the
    // watch began, which such a folder may hold copies of. The folder there at the start, if it
    // could not be read then, takes the files of its first listing as there at the start. Without
    // it a lost folder ends the watch. Set it before start().
    void setFollowName(bool follow);
    bool followsName() const;

    // Begins to watch. The files there now are not reported. False when the folder cannot be
    // watched, with the reason in failureReason(); when following the name it is then waited for
    // instead, and start() is true.
    bool start();
    // Why the folder could not be watched at start(), or is not watched while it is waited for.
    QString failureReason() const;
    // Whether a folder is being watched now (false while one is waited for, or after a loss).
    bool isWatching() const;

signals:
    void measurementArrived(const archive::ArrivedMeasurement &measurement);
    // An archive file known to the watch (there at the start or told of since) is no longer there.
    void fileRemoved(const archive::WatchedFile &file);
    // The folder was listed after a gap in the notification (an overflow, a listing that failed, a
    // renewed watch): the files found new are told next, as they are read, but a window may take
    // this one listing instead of following them one by one.
    void listedAfterGap();
    // Once for each new file that has stayed unchanged for the quiet period without parsing.
    void stillIncomplete(const archive::IncompleteFile &file);
    // The folder could not be listed (or looked up), once until it can be again: the files seen
    // so far are kept, the watch goes on, and the next listing that works reports what came meanwhile.
    void folderUnlistable(const QString &reason);
    void folderListable();
    // The path no longer leads to the folder watched. Without following the name the watch has ended.
    void folderLost(archive::ArchiveWatcher::Loss loss, const QString &reason);
    // Following the name: a folder is watched again (or for the first time) at the path.
    void reattached();

private:
    std::unique_ptr<WatchEngine> engine;
};

} // namespace archive

Q_DECLARE_METATYPE(archive::WatchedFile)
Q_DECLARE_METATYPE(archive::ArrivedMeasurement)
Q_DECLARE_METATYPE(archive::IncompleteFile)
