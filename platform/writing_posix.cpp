// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/writing.h"

#include "platform/heldfolders_posix.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform::writing {

namespace {

PathStatus statusOf(const struct stat &info)
{
    PathStatus status;
    if (S_ISREG(info.st_mode))
        status.kind = PathStatus::Kind::regular;
    else if (S_ISDIR(info.st_mode))
        status.kind = PathStatus::Kind::folder;
    else if (S_ISLNK(info.st_mode))
        status.kind = PathStatus::Kind::symbolicLink;
    else
        status.kind = PathStatus::Kind::other;
    status.device = quint64(info.st_dev);
    status.file = quint64(info.st_ino);
    status.links = quint64(info.st_nlink);
    status.permissions = uint(info.st_mode) & 07777u;
    status.owner = uint(info.st_uid);
    status.group = uint(info.st_gid);
    return status;
}

} // namespace

PathStatus pathStatus(const QString &path, bool followLinks)
{
    struct stat info;
    const QByteArray encoded = QFile::encodeName(path);
    const int result = followLinks ? ::stat(encoded.constData(), &info) : ::lstat(encoded.constData(), &info);
    if (result != 0) {
        PathStatus status;
        if (errno != ENOENT)
            status.failure = errorText(errno);
        return status;
    }
    return statusOf(info);
}

QString resolvedPath(const QString &path)
{
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(path).constData(), resolved))
        return QString();
    return QFile::decodeName(resolved);
}

QString entryOfFile(const QString &folder, quint64 device, quint64 file)
{
    const QByteArray encodedFolder = QFile::encodeName(folder);
    DIR *listing = ::opendir(encodedFolder.constData());
    if (!listing)
        return QString();
    QString found;
    while (const struct dirent *entry = ::readdir(listing)) {
        // The listing's own number first: one status call only for the likely few.
        if (quint64(entry->d_ino) != file)
            continue;
        struct stat info;
        if (::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            quint64(info.st_dev) == device && quint64(info.st_ino) == file) {
            found = QFile::decodeName(entry->d_name);
            break;
        }
    }
    ::closedir(listing);
    return found;
}

int writeAll(int handle, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(handle, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC; // a device that takes nothing and says nothing is full
        data += written;
        size -= written;
    }
    return 0;
}

int setPermissions(int handle, uint permissions)
{
    return ::fchmod(handle, mode_t(permissions)) == 0 ? 0 : errno;
}

OwnerKept keepOwner(int handle, uint owner, uint group)
{
    if (::fchown(handle, uid_t(owner), gid_t(group)) != 0) {
        // Not ours to give away: the file stays the writer's.
    }
    OwnerKept kept;
    struct stat info;
    if (::fstat(handle, &info) == 0) {
        kept.owner = uint(info.st_uid) == owner;
        kept.group = uint(info.st_gid) == group;
    }
    return kept;
}

uint defaultFilePermissions()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~uint(mask);
}

int setModificationTime(int handle, const QDateTime &moment)
{
    const qint64 msecs = moment.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = time_t(msecs / 1000);
    times[0].tv_nsec = long(msecs % 1000) * 1000000L;
    times[1] = times[0];
    return ::futimens(handle, times) == 0 ? 0 : errno;
}

int syncToDisk(int handle)
{
    if (::fsync(handle) == 0 || errno == EINVAL || errno == EROFS)
        return 0;
    return errno;
}

int closeHandle(int handle)
{
    // After an interrupted close the handle is gone on Linux; trying again could close another's.
    if (::close(handle) == 0 || errno == EINTR)
        return 0;
    return errno;
}

void failWritesBeyondSizeLimit()
{
    ::signal(SIGXFSZ, SIG_IGN);
}

namespace {

// A handful of slots, read by the signal handler: no allocation, no lock, only unlinkat() relative
// to the held folder the file was made in. A slot is free, being filled by one thread, or in use
// (read by the handler).
constexpr int interruptionSlots = 8;
enum SlotState
{
    slotFree,
    slotFilling,
    slotUsed,
};
char interruptionPaths[interruptionSlots][NAME_MAX + 1];
int interruptionFolders[interruptionSlots];
std::atomic<int> interruptionSlotState[interruptionSlots];

// A slot holding `encoded` in `folder`, in use from now on; -1 when the name is too long or all are
// taken.
int claimInterruptionSlot(int folder, const QByteArray &encoded)
{
    if (encoded.size() > NAME_MAX)
        return -1;
    for (int i = 0; i < interruptionSlots; ++i) {
        int expected = slotFree;
        if (!interruptionSlotState[i].compare_exchange_strong(expected, slotFilling))
            continue;
        std::memcpy(interruptionPaths[i], encoded.constData(), size_t(encoded.size()) + 1);
        interruptionFolders[i] = folder;
        interruptionSlotState[i].store(slotUsed);
        return i;
    }
    return -1;
}

// The handler is reset to the default as it runs (SA_RESETHAND), so the signal raised again ends the
// process as the signal would have without us: same exit status, same core dump, no word of ours.
// The raised signal is blocked until the handler returns; a fault (SIGSEGV) simply happens again.
extern "C" void removeFilesAndEnd(int signalNumber)
{
    const int savedErrno = errno;
    for (int i = 0; i < interruptionSlots; ++i) {
        if (interruptionSlotState[i].load() == slotUsed)
            ::unlinkat(interruptionFolders[i], interruptionPaths[i], 0);
    }
    ::raise(signalNumber);
    errno = savedErrno;
}

// Every signal whose default ends the process and that a process may catch. SIGXFSZ is not among
// them: it is ignored, so that the write fails and says why (failWritesBeyondSizeLimit).
std::vector<int> endingSignals()
{
    std::vector<int> numbers{SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP, SIGABRT,
                             SIGBUS,  SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE,
                             SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGSYS};
#ifdef SIGPOLL
    numbers.push_back(SIGPOLL);
#endif
#ifdef SIGPWR
    numbers.push_back(SIGPWR);
#endif
#ifdef SIGSTKFLT
    numbers.push_back(SIGSTKFLT);
#endif
#ifdef SIGRTMIN
    for (int number = SIGRTMIN; number <= SIGRTMAX; ++number)
        numbers.push_back(number);
#endif
    return numbers;
}

void installInterruptionHandler()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const int signalNumber : endingSignals()) {
        struct sigaction previous;
        // A handler of the caller's (watch ends its loop itself, a sanitizer reports a crash) and a
        // signal the caller ignores (nohup) are left as they are.
        if (::sigaction(signalNumber, nullptr, &previous) != 0 || (previous.sa_flags & SA_SIGINFO) ||
            previous.sa_handler != SIG_DFL)
            continue;
        struct sigaction action = {};
        action.sa_handler = removeFilesAndEnd;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

} // namespace

struct TargetFolder::Private
{
    int handle = -1;
    PathStatus failure;
};

TargetFolder::TargetFolder(const QString &path) : d(std::make_unique<Private>())
{
    // The path is looked up this once. A link on the way is followed here, as the folder's path is
    // the user's to spell; what counts is the folder reached, and every check is made on it.
    d->handle = ::open(QFile::encodeName(path.isEmpty() ? QStringLiteral(".") : path).constData(),
                       O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d->handle < 0 && errno != ENOENT)
        d->failure.failure = errorText(errno); // "Not a directory" among them
}

TargetFolder::~TargetFolder()
{
    if (d->handle >= 0)
        ::close(d->handle);
}

bool TargetFolder::isOpen() const
{
    return d->handle >= 0;
}

PathStatus TargetFolder::openFailure() const
{
    return d->failure;
}

FolderAncestry TargetFolder::ancestry() const
{
    return posix::ancestryOfHandle(d->handle);
}

PathStatus TargetFolder::entryStatus(const QString &name) const
{
    PathStatus status;
    struct stat info;
    if (::fstatat(d->handle, QFile::encodeName(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            status.failure = errorText(errno);
        return status;
    }
    return statusOf(info);
}

QString TargetFolder::firstRegularFile(const std::function<bool(const QString &)> &matches) const
{
    const int listed = ::fcntl(d->handle, F_DUPFD_CLOEXEC, 0);
    DIR *listing = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!listing) {
        if (listed >= 0)
            ::close(listed);
        return QString();
    }
    QString found;
    while (const struct dirent *entry = ::readdir(listing)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!matches(name))
            continue;
        struct stat info;
        if (::fstatat(d->handle, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode)) {
            found = name;
            break;
        }
    }
    ::closedir(listing);
    return found;
}

QString TargetFolder::writeAccessFailure(const QString &name) const
{
    // The effective user's rights, as the rename and the writes will meet them; a read-only mount
    // says so itself (EROFS), which is more help than "permission denied".
    if (::faccessat(d->handle, QFile::encodeName(name).constData(), W_OK, AT_EACCESS) == 0)
        return QString();
    return errorText(errno);
}

NewFile TargetFolder::createUniqueFile(const QString &prefix) const
{
    NewFile created;
    installInterruptionHandler();
    const QByteArray encodedPrefix = QFile::encodeName(prefix);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = encodedPrefix;
        for (int i = 0; i < 6; ++i)
            name +=
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[QRandomGenerator::global()
                                                                                     ->bounded(62)];
        // The name is in the handler's slot before the file exists, so that there is no moment in
        // which the file exists and a signal would not remove it; without a free slot it is made
        // unlisted. O_EXCL with O_NOFOLLOW: neither a file made meanwhile nor a link is ever used.
        const int slot = claimInterruptionSlot(d->handle, name);
        const int handle =
            ::openat(d->handle, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (handle >= 0) {
            created.handle = handle;
            created.name = QFile::decodeName(name);
            return created;
        }
        const int error = errno;
        if (slot >= 0)
            interruptionSlotState[slot].store(slotFree);
        if (error != EEXIST) {
            created.failure = errorText(error);
            return created;
        }
    }
    created.failure = errorText(EEXIST);
    return created;
}

int TargetFolder::replace(const QString &source, const QString &target) const
{
    return ::renameat(d->handle, QFile::encodeName(source).constData(), d->handle,
                      QFile::encodeName(target).constData()) == 0
               ? 0
               : errno;
}

void TargetFolder::sync() const
{
    ::fsync(d->handle);
}

void TargetFolder::remove(const QString &name) const
{
    ::unlinkat(d->handle, QFile::encodeName(name).constData(), 0);
}

void TargetFolder::keepOnInterruption(const QString &name) const
{
    const QByteArray encoded = QFile::encodeName(name);
    for (int i = 0; i < interruptionSlots; ++i) {
        if (interruptionSlotState[i].load() == slotUsed && interruptionFolders[i] == d->handle &&
            encoded == interruptionPaths[i])
            interruptionSlotState[i].store(slotFree);
    }
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isBrokenPipe(int error)
{
    return error == EPIPE;
}

} // namespace platform::writing
