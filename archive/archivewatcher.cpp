// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivewatcher.h"

#include "archivefolder.h"
#include "archivelisting.h"
#include "archivescans.h"
#include "displayname.h"
#include "encodedname.h"

#include "language/systemtext.h"
#include "measurement/measurementfile.h"
#include "platform/filesystem.h"
#include "platform/folderevents.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <vector>

namespace archive {

namespace {

using Status = platform::FolderStatus;

// The names known to a watch, each with its file's modification time as the listings give it, to the
// millisecond (the portable walk knows no finer one): a name whose time moved was written again.
using Names = QHash<QByteArray, qint64>;
// The time of a name the system's notification told of, until a listing or a read has seen it.
constexpr qint64 unknownTime = std::numeric_limits<qint64>::min();

WatchedFile watchedFile(const QByteArray &name)
{
    WatchedFile file;
    file.encodedName = name;
    const QString decoded = platform::decodeFileName(name);
    file.undecodableName = platform::encodeFileName(decoded) != name;
    file.fileName = file.undecodableName ? displayName(name) : decoded;
    return file;
}

// Whether a folder changed so recently that a change in the same tick of the file system's clock
// would leave its times as they are: it is then listed once more at the next look.
bool changedJustNow(const platform::FileStamp &stamp)
{
    const qint64 modifiedMsecs = stamp.modifiedMsecs();
    const qint64 changedMsecs = stamp.changedSeconds * 1000 + stamp.changedNanoseconds / 1000000;
    return QDateTime::currentMSecsSinceEpoch() - std::max(modifiedMsecs, changedMsecs) <
           ArchiveWatcher::checkInterval;
}

// The system's notification needs the right to read a folder; asked without it, Qt would note the
// refusal on standard error, and the folder is asked for again and again.
bool watchFolder(QFileSystemWatcher *watcher, const QString &folder)
{
    return QFileInfo(folder).isReadable() && watcher->addPath(folder);
}

} // namespace

QString WatchedFile::shownName() const
{
    return undecodableName ? fileName : displayName(fileName);
}

class WatchEngine
{
public:
    WatchEngine(ArchiveWatcher &owner, const QString &directory) : owner(owner), directory(directory)
    {
        QObject::connect(&check, &QTimer::timeout, &context, [this] { lookNow(); });
    }

    ~WatchEngine() { delete watcher; }

    ArchiveWatcher &owner;
    const QString directory;
    const QString folder = folderPath(directory);
    int quietMsecs = ArchiveWatcher::defaultQuietPeriod;
    bool followName = false;
    QString failure;

    bool watching() const { return identity.has_value(); }

    bool start()
    {
        startStatus = platform::folderStatus(folder);
        Names present;
        if (attach(startStatus, true, &present)) {
            check.start(ArchiveWatcher::checkInterval);
            return true;
        }
        if (!followName)
            return false;
        check.start(ArchiveWatcher::checkInterval);
        return true;
    }

private:
    struct Waited
    {
        QTimer *quiet = nullptr;
        std::optional<platform::FileStamp> stamp; // as last read
        bool named = false;                       // reported as incomplete
    };

    // The system reports no move of a watched folder to the folder's own watch, only to its parent's.
    const QString parent = QFileInfo(QDir(folder).absolutePath()).path();
    const QByteArray encodedFolder = platform::encodeFileName(folder) + '/';

    QObject context; // owns the connections and the quiet timers
    QTimer check;
    QFileSystemWatcher *watcher = nullptr; // while a folder is watched
    // Where the system names what enters and leaves the folder, the folder is listed only after a
    // gap; else Qt's watch above tells that it changed, and it is listed at each change.
    std::unique_ptr<platform::FolderEvents> events;
    // Watches ended while their own news was being told; gone at the next regular look.
    std::vector<std::unique_ptr<platform::FolderEvents>> endedEvents;
    std::unique_ptr<platform::HeldFolder> held; // the folder watched, for a look at a named entry
    Status startStatus;
    std::optional<platform::FolderIdentity> identity; // of the folder watched
    platform::FileStamp listedStamp;                  // the folder's, just before the last listing
    bool listAgain = false;                           // the last listing may have missed a change
    bool renewing = false;                            // the watch is put back on purpose, not lost
    bool unlistable = false;                          // reported as such, not listed since
    bool parentWatched = false;
    bool everWatched = false;
    bool followed = false; // the folder watched is not the one there at the start
    bool ended = false;
    Names known;                       // names present: there at the start, reported, or waited for
    QSet<QByteArray> seen;             // names there at the start or reported, ever
    QHash<QByteArray, Waited> waiting; // files that do not parse yet

    QString pathOf(const QByteArray &name) const
    {
        return folder + QLatin1Char('/') + platform::decodeFileName(name);
    }
    bool watchable(const QByteArray &name) const { return !watchedFile(name).undecodableName; }

    QString reasonFor(const Status &status) const
    {
        if (status.kind == Status::Kind::unknown)
            return language::systemReason(status.failure);
        const QString reason = unlistableFolderReason(directory);
        return reason.isEmpty() ? QCoreApplication::translate("archive", "the folder cannot be listed")
                                : reason;
    }

    bool list(Names *present) const
    {
        return forEachArchiveFileTime(
            directory, technologyPattern(),
            [present](QStringView name, const QByteArray &undecodable, qint64 modified) {
                present->insert(undecodable.isEmpty() ? platform::encodeFileName(name.toString())
                                                      : undecodable,
                                modified);
            });
    }

    struct Changes
    {
        QList<QByteArray> added; // names not known before, or written again
        QList<QByteArray> gone;  // known names no longer there, or written again
        Names times;             // the listed times of names added or still there with a new time
    };

    // The folder listed against the names known: one walk and one look-up per name, with no copy of
    // the names that are still there unchanged, so that a change in a folder of a million files is
    // found in about the time the system takes to list it. A known name whose time moved is a file
    // written again (removed and written anew, or rewritten), unless it is still waited for or has
    // no time yet. Only when a known name is missing does a second walk tell which.
    bool listChanges(Changes *changes) const
    {
        int stillThere = 0;
        QByteArray ascii;
        const bool listed =
            forEachArchiveFileTime(directory, technologyPattern(),
                                   [&](QStringView name, const QByteArray &undecodable, qint64 modified) {
                                       const QByteArray encoded =
                                           undecodable.isEmpty() ? encodeFileName(name, &ascii) : undecodable;
                                       const auto knownName = known.constFind(encoded);
                                       if (knownName != known.cend()) {
                                           ++stillThere;
                                           if (*knownName == modified)
                                               return;
                                       }
                                       const QByteArray copy(encoded.constData(), encoded.size());
                                       changes->times.insert(copy, modified);
                                       if (knownName == known.cend()) {
                                           changes->added.append(copy);
                                       } else if (*knownName != unknownTime && !waiting.contains(copy)) {
                                           changes->gone.append(copy);
                                           changes->added.append(copy);
                                       }
                                   });
        if (!listed)
            return false;
        if (stillThere == known.size())
            return true;
        Names present;
        if (!list(&present))
            return false;
        for (auto name = known.cbegin(); name != known.cend(); ++name) {
            if (!present.contains(name.key()))
                changes->gone.append(name.key());
        }
        return true;
    }

    // Watches the folder `status` found, if it is still there under the same identity once the
    // watch is in place, and lists it: nothing can slip in between unseen. Its files are the
    // baseline (not reported), or else they are all to be looked at.
    bool attach(const Status &status, bool baseline, Names *present)
    {
        if (status.kind != Status::Kind::folder) {
            failure = reasonFor(status);
            return false;
        }
        auto freshEvents = std::make_unique<platform::FolderEvents>(
            [this](const QVector<platform::FolderEvents::Change> &changes, bool lost) {
                told(changes, lost);
            });
        const bool named = listingBackend() == ListingBackend::Native && freshEvents->watch(folder);
        auto *fresh = new QFileSystemWatcher;
        const bool added = named || watchFolder(fresh, folder);
        parentWatched = watchFolder(fresh, parent);
        const Status now = platform::folderStatus(folder);
        if (!added || now.kind != Status::Kind::folder || now.identity != status.identity || !list(present)) {
            delete fresh;
            failure = reasonFor(now);
            return false;
        }
        watcher = fresh;
        if (named) {
            events = std::move(freshEvents);
            held = std::make_unique<platform::HeldFolder>(folder);
        }
        QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, &context,
                         [this](const QString &path) { look(path == folder); });
        QObject::connect(watcher, &QFileSystemWatcher::fileChanged, &context,
                         [this](const QString &path) { fileChanged(path); });
        identity = now.identity;
        listedStamp = now.stamp;
        listAgain = !events && changedJustNow(now.stamp);
        failure.clear();
        everWatched = true;
        // A folder that takes the place of the one watched may hold copies of what was reported,
        // made before or after it is found.
        followed = !baseline;
        if (baseline) {
            known = *present;
            for (auto name = known.cbegin(); name != known.cend(); ++name)
                seen.insert(name.key());
        }
        return true;
    }

    void detach()
    {
        for (const Waited &waited : qAsConst(waiting)) {
            waited.quiet->stop();
            waited.quiet->deleteLater();
        }
        waiting.clear();
        known.clear();
        identity.reset();
        unlistable = false;
        if (events) {
            events->stop();
            endedEvents.push_back(std::move(events));
        }
        held.reset();
        if (watcher) {
            // It may be the one whose signal is being delivered.
            watcher->disconnect();
            watcher->deleteLater();
            watcher = nullptr;
        }
    }

    void lose(ArchiveWatcher::Loss loss, const QString &reason)
    {
        detach();
        failure = reason;
        if (!followName) {
            ended = true;
            check.stop();
        }
        emit owner.folderLost(loss, reason);
        if (followName && !ended)
            reattach();
    }

    void reattach()
    {
        const Status status = platform::folderStatus(folder);
        // A folder there at the start that could not be listed then: its files were there before.
        const bool baseline = !everWatched && startStatus.kind == Status::Kind::folder &&
                              status.kind == Status::Kind::folder && status.identity == startStatus.identity;
        Names present;
        if (!attach(status, baseline, &present))
            return;
        emit owner.reattached();
        // Nothing is known after a loss: every name there is a change, unless it is the baseline.
        Changes changes;
        for (auto name = present.cbegin(); name != present.cend(); ++name) {
            if (!known.contains(name.key())) {
                changes.added.append(name.key());
                changes.times.insert(name.key(), name.value());
            }
        }
        apply(changes);
    }

    void reportUnlistable(const QString &reason)
    {
        if (unlistable)
            return;
        unlistable = true;
        emit owner.folderUnlistable(reason);
    }

    // Whether the path still leads to the folder watched, with its watch in place. `gap` is set
    // when the watch had to be put back: what happened meanwhile must be listed.
    bool stillTheFolder(const Status &status, bool *gap)
    {
        switch (status.kind) {
        case Status::Kind::missing:
        case Status::Kind::notAFolder:
            lose(ArchiveWatcher::Loss::gone, reasonFor(status));
            return false;
        case Status::Kind::unknown:
            reportUnlistable(reasonFor(status));
            return false;
        case Status::Kind::folder:
            break;
        }
        if (status.identity != *identity) {
            lose(ArchiveWatcher::Loss::replaced, QString());
            return false;
        }
        // The system drops a folder's watch when the file system under it is unmounted, and a
        // renewal drops it on purpose.
        if (events ? !events->isWatching() : !watcher->directories().contains(folder)) {
            *gap = !renewing;
            if (events ? !events->watch(folder) : !watchFolder(watcher, folder)) {
                reportUnlistable(QCoreApplication::translate(
                    "archive", "the system's change notification refuses the folder"));
                return false;
            }
        }
        if (parentWatched && !watcher->directories().contains(parent))
            parentWatched = watchFolder(watcher, parent);
        return true;
    }

    // Looks the folder up and lists it when it may have changed: after a notification of the folder
    // itself, when its times moved since the last listing (a notification lost in an overflow, a
    // share changed by another machine), after a gap, or while it could not be listed.
    void look(bool changed, bool afterGap = false)
    {
        if (ended || !identity)
            return;
        const Status status = platform::folderStatus(folder);
        bool gap = afterGap;
        if (!stillTheFolder(status, &gap))
            return;
        gap = gap || afterGap;
        if (!(changed || gap || listAgain || unlistable || status.stamp != listedStamp))
            return;
        Changes changes;
        if (!listChanges(&changes)) {
            reportUnlistable(reasonFor(platform::folderStatus(folder)));
            return;
        }
        listedStamp = status.stamp;
        listAgain = !events && changedJustNow(status.stamp);
        const bool wasUnlistable = unlistable;
        unlistable = false;
        if (wasUnlistable)
            emit owner.folderListable();
        if (gap || wasUnlistable)
            emit owner.listedAfterGap();
        apply(changes);
    }

    // What the system named: the names are looked at one by one, with no listing of the folder,
    // unless some changes may be missing. The folder's times are taken as listed then, so that the
    // next look does not list it for the changes just told; a change made meanwhile is told next.
    void told(const QVector<platform::FolderEvents::Change> &changes, bool lost)
    {
        if (ended || !identity)
            return;
        if (lost || unlistable) {
            look(true, lost);
            return;
        }
        const Status status = platform::folderStatus(folder);
        bool gap = false;
        if (!stillTheFolder(status, &gap))
            return;
        if (gap) {
            look(true, true);
            return;
        }
        listedStamp = status.stamp;
        apply(namedChanges(changes));
    }

    // The net effect of the changes on the names known: the last word on a name counts, and a known
    // name that left or entered again is another file now (removed and written anew, or a file
    // renamed over it). An entering name counts if the listing would take it.
    Changes namedChanges(const QVector<platform::FolderEvents::Change> &changes) const
    {
        QHash<QByteArray, bool> enteredLast;
        QList<QByteArray> order;
        for (const platform::FolderEvents::Change &change : changes) {
            if (!enteredLast.contains(change.name))
                order.append(change.name);
            enteredLast.insert(change.name, change.entered);
        }
        Changes net;
        for (const QByteArray &name : qAsConst(order)) {
            if (known.contains(name))
                net.gone.append(name);
            if (enteredLast.value(name) &&
                visitArchiveEntry(*held, name, technologyPattern(), [](QStringView, const QByteArray &) {}))
                net.added.append(name);
        }
        return net;
    }

    // Every checkInterval. Some removals raise no notification: a share's folder removed by another
    // machine, and on Windows a folder removed while a handle on it is open, which is only pending
    // deletion until the last handle closes (the watch's own among them; under Wine it is even still
    // listed and opened as if nothing had happened). There the watch is renewed each time, so that
    // such a removal completes and is seen. The renewal is no gap: whatever was written in the moment
    // without a watch moved the folder's times, and the look lists the folder only then, so that a
    // folder of a million files is not listed every few seconds while nothing lands.
    void lookNow()
    {
        endedEvents.clear();
        if (ended)
            return;
        if (!identity) {
            if (followName)
                reattach();
            return;
        }
        const bool renew = platform::removedFoldersWaitForHandles() && !watcher->directories().isEmpty();
        if (renew) {
            watcher->removePaths(watcher->directories() + watcher->files());
            renewing = true;
        }
        look(false);
        renewing = false;
        // The files waited for are watched again (a look that listed has done so already).
        if (renew && watcher) {
            const QStringList watchedFiles = watcher->files();
            for (const QByteArray &name : waiting.keys()) {
                if (watchable(name) && !watchedFiles.contains(pathOf(name)))
                    watcher->addPath(pathOf(name));
            }
        }
        retryChangedFiles();
    }

    void apply(const Changes &changes)
    {
        for (const QByteArray &gone : changes.gone) {
            stopWaiting(gone);
            known.remove(gone);
            emit owner.fileRemoved(watchedFile(gone));
        }
        QList<QByteArray> added;
        for (const QByteArray &name : changes.added) {
            known.insert(name, unknownTime);
            if (!(followed && seen.contains(name)))
                added.append(name);
        }
        for (auto time = changes.times.cbegin(); time != changes.times.cend(); ++time) {
            if (known.contains(time.key()))
                known.insert(time.key(), time.value());
        }
        std::sort(added.begin(), added.end());
        // A file written anew under its name (a rename over it) is another file, which the watch of
        // the old one does not see: the files still waited for are watched again and read once more.
        const QStringList watchedFiles = watcher->files();
        for (const QByteArray &name : waiting.keys()) {
            if (watchable(name) && !watchedFiles.contains(pathOf(name)))
                watcher->addPath(pathOf(name));
            tryFile(name, false);
        }
        for (const QByteArray &name : qAsConst(added))
            await(name);
    }

    void await(const QByteArray &name)
    {
        auto *quiet = new QTimer(&context);
        quiet->setSingleShot(true);
        quiet->setInterval(quietMsecs);
        QObject::connect(quiet, &QTimer::timeout, &context, [this, name] { tryFile(name, true); });
        waiting.insert(name, Waited{quiet, std::nullopt, false});
        // Watched before it is read: whatever is written after the read then raises a change. A
        // name the system's encoding cannot decode cannot be watched by name: the looks every
        // checkInterval compare its stamp instead.
        if (watchable(name))
            watcher->addPath(pathOf(name));
        quiet->start();
        tryFile(name, false);
    }

    void fileChanged(const QString &path)
    {
        const QByteArray name = platform::encodeFileName(path.mid(folder.size() + 1));
        const auto waited = waiting.constFind(name);
        if (waited == waiting.constEnd())
            return;
        waited->quiet->start();
        tryFile(name, false);
    }

    // Files waited for whose stamps changed without a notification (names that cannot be watched,
    // a share written by another machine).
    void retryChangedFiles()
    {
        for (const QByteArray &name : waiting.keys()) {
            const auto waited = waiting.constFind(name);
            if (waited == waiting.constEnd() ||
                platform::regularFileStamp(encodedFolder + name) == waited->stamp)
                continue;
            waited->quiet->start();
            tryFile(name, false);
        }
    }

    void tryFile(const QByteArray &name, bool quietPeriodOver)
    {
        const auto waited = waiting.find(name);
        if (waited == waiting.end())
            return;
        std::optional<platform::FileStamp> stamp;
        const std::optional<measurement::Measurement> read =
            measurement::readMeasurementFile(encodedFolder + name, &stamp);
        waited->stamp = stamp;
        if (read && !read->findings.documentNotParsed) {
            ArrivedMeasurement arrived;
            static_cast<WatchedFile &>(arrived) = watchedFile(name);
            arrived.technology = technologyOfFile(arrived.fileName);
            arrived.moment = momentOfFile(arrived.fileName);
            arrived.digest = measurement::digestOf(*read);
            arrived.stamp = stamp.value_or(platform::FileStamp());
            arrived.read = std::make_shared<const measurement::Measurement>(*read);
            seen.insert(name);
            // The file as it was read is the one told of: a later time is a file written again.
            if (stamp && known.contains(name))
                known.insert(name, stamp->modifiedMsecs());
            stopWaiting(name);
            emit owner.measurementArrived(arrived);
            return;
        }
        // A station may open its file long before it writes the recording: the file stays waited
        // for, and arrives once it parses, however late.
        if (!quietPeriodOver || waited->named)
            return;
        waited->named = true;
        IncompleteFile incomplete;
        static_cast<WatchedFile &>(incomplete) = watchedFile(name);
        if (read)
            incomplete.findings = read->findings;
        else
            incomplete.unreadableReason = incomplete.undecodableName
                                              ? QCoreApplication::translate("archive", "cannot be read")
                                              : language::unreadableReason(pathOf(name));
        emit owner.stillIncomplete(incomplete);
    }

    void stopWaiting(const QByteArray &name)
    {
        const auto waited = waiting.find(name);
        if (waited == waiting.end())
            return;
        if (watcher && watchable(name))
            watcher->removePath(pathOf(name));
        waited->quiet->stop();
        waited->quiet->deleteLater(); // it may be the timer whose timeout is being delivered
        waiting.erase(waited);
    }
};

ArchiveWatcher::ArchiveWatcher(const QString &directory, QObject *parent)
    : QObject(parent), engine(std::make_unique<WatchEngine>(*this, directory))
{
    qRegisterMetaType<ArrivedMeasurement>();
    qRegisterMetaType<IncompleteFile>();
    qRegisterMetaType<Loss>();
}

ArchiveWatcher::~ArchiveWatcher() = default;

QString ArchiveWatcher::directory() const
{
    return engine->directory;
}

void ArchiveWatcher::setQuietPeriod(int msecs)
{
    engine->quietMsecs = msecs;
}

int ArchiveWatcher::quietPeriod() const
{
    return engine->quietMsecs;
}

void ArchiveWatcher::setFollowName(bool follow)
{
    engine->followName = follow;
}

bool ArchiveWatcher::followsName() const
{
    return engine->followName;
}

bool ArchiveWatcher::start()
{
    return engine->start();
}

QString ArchiveWatcher::failureReason() const
{
    return engine->failure;
}

bool ArchiveWatcher::isWatching() const
{
    return engine->watching();
}

} // namespace archive
