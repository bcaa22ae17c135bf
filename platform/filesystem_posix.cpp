// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/filesystem.h"

#include "platform/heldfolders_posix.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/syscall.h>
#endif

namespace platform {

namespace {

// open(2) for reading that leaves the access time alone where the system allows it: a question
// about the archive should not change it.
int openLeavingAccessTime(const char *path, int flags)
{
#ifdef O_NOATIME
    // Refused (EPERM) for files of other owners; after the first refusal it is not asked again.
    static std::atomic<bool> refused{false};
    if (!refused.load(std::memory_order_relaxed)) {
        const int fd = ::open(path, flags | O_NOATIME);
        if (fd >= 0 || errno != EPERM)
            return fd;
        refused.store(true, std::memory_order_relaxed);
    }
#endif
    return ::open(path, flags);
}

#ifdef Q_OS_LINUX
#ifndef STATX_MNT_ID_UNIQUE
#define STATX_MNT_ID_UNIQUE 0x4000U // Linux 6.8; older headers lack the name
#endif

// One call for the stamp and the mount: what the index compares, with the file-system identity
// that a plain status lacks. The unique mount id is never handed to another mount, where the
// device number and the plain mount id are (a tmpfs mounted anew gets both again).
bool statusOf(int folder, const char *path, int flags, FileStamp *stamp, bool *regular)
{
    struct statx status;
    if (::statx(folder, path, flags | AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_MNT_ID_UNIQUE,
                &status) != 0)
        return false;
    *regular = S_ISREG(status.stx_mode);
    stamp->size = qint64(status.stx_size);
    stamp->modifiedSeconds = status.stx_mtime.tv_sec;
    stamp->modifiedNanoseconds = status.stx_mtime.tv_nsec;
    stamp->changedSeconds = status.stx_ctime.tv_sec;
    stamp->changedNanoseconds = status.stx_ctime.tv_nsec;
    stamp->inode = status.stx_ino;
    stamp->device = makedev(status.stx_dev_major, status.stx_dev_minor);
    stamp->mount = (status.stx_mask & STATX_MNT_ID_UNIQUE) ? status.stx_mnt_id : 0;
    return true;
}
#endif

FileStamp stampOf(const struct stat &status)
{
#if defined(Q_OS_DARWIN)
    const struct timespec &m = status.st_mtimespec;
    const struct timespec &c = status.st_ctimespec;
#else
    const struct timespec &m = status.st_mtim;
    const struct timespec &c = status.st_ctim;
#endif
    FileStamp stamp;
    stamp.size = status.st_size;
    stamp.modifiedSeconds = m.tv_sec;
    stamp.modifiedNanoseconds = m.tv_nsec;
    stamp.changedSeconds = c.tv_sec;
    stamp.changedNanoseconds = c.tv_nsec;
    stamp.inode = status.st_ino;
    stamp.device = quint64(status.st_dev);
    return stamp;
}

// The stamp of a path or of a file in an open folder (`folder` AT_FDCWD for a path, `path` empty
// with AT_EMPTY_PATH for an open file); std::nullopt unless it is a regular file.
std::optional<FileStamp> regularStamp(int folder, const char *path, int flags)
{
#ifdef Q_OS_LINUX
    FileStamp stamp;
    bool regular = false;
    if (statusOf(folder, path, flags, &stamp, &regular))
        return regular ? std::optional<FileStamp>(stamp) : std::nullopt;
    if (errno != ENOSYS)
        return std::nullopt;
#endif
    struct stat status;
    const int result =
        (flags & AT_EMPTY_PATH) ? ::fstat(folder, &status) : ::fstatat(folder, path, &status, flags);
    if (result != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return stampOf(status);
}

struct OpenFolder
{
    int fd;
};

} // namespace

QString decodeFileName(const QByteArray &encodedName)
{
    return QFile::decodeName(encodedName);
}

QByteArray encodeFileName(const QString &name)
{
    return QFile::encodeName(name);
}

QByteArray narrowRuntimePath(const QString &path)
{
    return encodeFileName(path);
}

std::optional<FileStamp> FolderEntry::regularFileStamp() const
{
    // Follows links: a link counts as the file it points at, with that file's times.
    return regularStamp(static_cast<const OpenFolder *>(folder)->fd, name, 0);
}

bool forEachFolderEntry(const QString &folder, const std::function<void(const FolderEntry &)> &visit)
{
    const QByteArray path = QFile::encodeName(folder);
    OpenFolder open{openLeavingAccessTime(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (open.fd < 0)
        return false;
    FolderEntry entry;
    entry.folder = &open;
    const auto hand = [&](const char *name, unsigned char type) {
        entry.name = name;
        entry.length = int(qstrlen(name));
        entry.kind = type == DT_REG                         ? FolderEntry::Kind::regular
                     : type == DT_LNK || type == DT_UNKNOWN ? FolderEntry::Kind::maybeFile
                                                            : FolderEntry::Kind::other;
        visit(entry);
    };

#ifdef Q_OS_LINUX
    // One big buffer per read: a folder of 100,000 names comes in a few dozen system calls
    // instead of the thousands that readdir's small buffer needs.
    struct LinuxDirent64
    {
        quint64 d_ino;
        qint64 d_off;
        unsigned short d_reclen;
        unsigned char d_type;
        char d_name[1];
    };
    constexpr size_t bufferSize = 256 * 1024;
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    for (;;) {
        const long bytes = ::syscall(SYS_getdents64, open.fd, buffer.get(), bufferSize);
        if (bytes <= 0)
            break;
        for (long offset = 0; offset < bytes;) {
            const auto *dirent = reinterpret_cast<const LinuxDirent64 *>(buffer.get() + offset);
            hand(dirent->d_name, dirent->d_type);
            offset += dirent->d_reclen;
        }
    }
    ::close(open.fd);
#else
    DIR *dir = ::fdopendir(open.fd);
    if (!dir) {
        ::close(open.fd);
        return false;
    }
    while (const struct dirent *dirent = ::readdir(dir))
        hand(dirent->d_name, dirent->d_type);
    ::closedir(dir);
#endif
    return true;
}

ReadOnlyFile::~ReadOnlyFile()
{
    close();
}

bool ReadOnlyFile::open(const QByteArray &encodedPath)
{
    close();
    const int fd =
        openLeavingAccessTime(encodedPath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    const std::optional<FileStamp> status = regularStamp(fd, "", AT_EMPTY_PATH);
    if (!status) {
        ::close(fd);
        return false;
    }
    openedStamp = *status;
    handle = fd;
    return true;
}

bool ReadOnlyFile::open(const QString &path)
{
    return open(QFile::encodeName(path));
}

qint64 ReadOnlyFile::read(char *buffer, qint64 bytes)
{
    if (handle < 0)
        return -1;
    ssize_t got;
    do {
        got = ::read(int(handle), buffer, size_t(bytes));
    } while (got < 0 && errno == EINTR);
    return got;
}

void ReadOnlyFile::close()
{
    if (handle >= 0)
        ::close(int(handle));
    handle = -1;
}

std::optional<FileStamp> regularFileStamp(const QString &path)
{
    return regularFileStamp(QFile::encodeName(path));
}

std::optional<FileStamp> regularFileStamp(const QByteArray &encodedPath)
{
    return regularStamp(AT_FDCWD, encodedPath.constData(), 0);
}

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{quint64(status.st_dev), quint64(status.st_ino)};
}

bool isSameFile(const QString &a, const QString &b)
{
    const std::optional<FileIdentity> first = fileIdentity(a);
    const std::optional<FileIdentity> second = fileIdentity(b);
    return first && second && *first == *second;
}

FolderStatus folderStatus(const QString &path)
{
    FolderStatus folder;
    const QByteArray encoded = QFile::encodeName(path);
    bool isFolder = false;
    int error = 0;
#ifdef Q_OS_LINUX
#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x1000U // Linux 5.8
#endif
    // The unique mount id where there is one; the older one, which a later mount may be given again,
    // still tells two mounts present at the same time apart.
    struct statx status;
    if (::statx(AT_FDCWD, encoded.constData(), AT_STATX_SYNC_AS_STAT,
                STATX_BASIC_STATS | STATX_MNT_ID | STATX_MNT_ID_UNIQUE, &status) == 0) {
        isFolder = S_ISDIR(status.stx_mode);
        folder.stamp.size = qint64(status.stx_size);
        folder.stamp.modifiedSeconds = status.stx_mtime.tv_sec;
        folder.stamp.modifiedNanoseconds = status.stx_mtime.tv_nsec;
        folder.stamp.changedSeconds = status.stx_ctime.tv_sec;
        folder.stamp.changedNanoseconds = status.stx_ctime.tv_nsec;
        folder.stamp.inode = status.stx_ino;
        folder.stamp.device = makedev(status.stx_dev_major, status.stx_dev_minor);
        if (status.stx_mask & (STATX_MNT_ID | STATX_MNT_ID_UNIQUE))
            folder.identity.mount = status.stx_mnt_id;
    } else if (errno != ENOSYS) {
        error = errno;
    } else
#endif
    {
        struct stat plain;
        if (::stat(encoded.constData(), &plain) == 0) {
            isFolder = S_ISDIR(plain.st_mode);
            folder.stamp = stampOf(plain);
        } else {
            error = errno;
        }
    }
    if (error == ENOENT || error == ENOTDIR) {
        folder.kind = FolderStatus::Kind::missing;
    } else if (error != 0) {
        folder.failure = QString::fromLocal8Bit(std::strerror(error));
    } else {
        folder.kind = isFolder ? FolderStatus::Kind::folder : FolderStatus::Kind::notAFolder;
        folder.identity.device = folder.stamp.device;
        folder.identity.file = folder.stamp.inode;
    }
    return folder;
}

FolderAncestry folderAncestry(const QString &folder)
{
    FolderAncestry ancestry;
    // "folder", "folder/..", "folder/../..": the kernel walks up the mounts the path came through,
    // so the top of a bind mount leads to the folder it was mounted on, not the folder it shows.
    // A path grows by three bytes a step; PATH_MAX allows some thousand folders, which no tree has.
    QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    for (;;) {
        struct stat status;
        if (::stat(path.constData(), &status) != 0) {
            ancestry.failure = QString::fromLocal8Bit(std::strerror(errno));
            return ancestry;
        }
        const FileIdentity identity{quint64(status.st_dev), quint64(status.st_ino)};
        if (!ancestry.folders.empty() && ancestry.folders.back() == identity)
            return ancestry; // the root is its own parent
        ancestry.folders.push_back(identity);
        path += "/..";
    }
}

EntryType entryType(const QString &path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? EntryType::missing : EntryType::unknown;
    if (S_ISLNK(status.st_mode))
        return EntryType::link;
    if (S_ISREG(status.st_mode))
        return EntryType::regular;
    if (S_ISDIR(status.st_mode))
        return EntryType::folder;
    return EntryType::other;
}

bool touchWithoutFollowing(const QString &path)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

namespace {

// A regular file with one link, owned by the user.
bool isOwn(const struct stat &status)
{
    return S_ISREG(status.st_mode) && status.st_nlink == 1 && status.st_uid == ::geteuid();
}

} // namespace

OwnFileState ownFileState(const QString &path)
{
    // lstat: the name itself, never what a link names. Not opened: closing a descriptor of a file
    // would drop every lock this process holds on it, SQLite's among them.
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? OwnFileState::missing : OwnFileState::suspicious;
    return isOwn(status) ? OwnFileState::own : OwnFileState::suspicious;
}

bool touchOwnFile(const QString &path)
{
    // Judged by the name first, so that nothing but a regular file is opened (a FIFO or a device
    // could answer an open), then by the open descriptor: the file whose time is set is the one judged.
    const QByteArray name = QFile::encodeName(path);
    struct stat named;
    if (::lstat(name.constData(), &named) != 0 || !isOwn(named))
        return false;
    // Relative to the held cache folder where it is held: the file touched is the one in that folder.
    const int fd =
        posix::openByName(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0)
        return false;
    struct stat opened;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
    const bool touched = ::fstat(fd, &opened) == 0 && isOwn(opened) && opened.st_dev == named.st_dev &&
                         opened.st_ino == named.st_ino && ::futimens(fd, times) == 0;
    ::close(fd);
    return touched;
}

bool removedFoldersWaitForHandles()
{
    return false; // a removed folder is gone at once, whoever holds it open
}

SystemKind systemKind()
{
    return SystemKind::posix;
}

bool mountsHaveUniqueIds()
{
#ifdef Q_OS_LINUX
    static const bool unique = [] {
        struct statx status;
        return ::statx(AT_FDCWD, "/", AT_STATX_SYNC_AS_STAT, STATX_MNT_ID_UNIQUE, &status) == 0 &&
               (status.stx_mask & STATX_MNT_ID_UNIQUE);
    }();
    return unique;
#else
    return false;
#endif
}

QString lookupFailure(const QString &path)
{
    return lookupFailure(QFile::encodeName(path));
}

QString lookupFailure(const QByteArray &encodedPath)
{
    struct stat status;
    if (::stat(encodedPath.constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

struct HeldFolder::Private
{
    int fd = -1;
};

HeldFolder::HeldFolder(const QString &folder) : d(std::make_unique<Private>())
{
    d->fd = ::open(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData(),
                   O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

HeldFolder::~HeldFolder()
{
    if (d->fd >= 0)
        ::close(d->fd);
}

bool HeldFolder::isOpen() const
{
    return d->fd >= 0;
}

std::optional<FileStamp> HeldFolder::regularFileStamp(const QByteArray &encodedName) const
{
    if (d->fd < 0 || encodedName.isEmpty() || encodedName.contains('/'))
        return std::nullopt;
    return regularStamp(d->fd, encodedName.constData(), 0);
}

void HeldFolder::visitEntry(const QByteArray &encodedName,
                            const std::function<void(const FolderEntry &)> &visit) const
{
    if (d->fd < 0 || encodedName.isEmpty() || encodedName.contains('/'))
        return;
    const OpenFolder open{d->fd};
    FolderEntry entry;
    entry.folder = &open;
    entry.name = encodedName.constData();
    entry.length = int(encodedName.size());
    entry.kind = FolderEntry::Kind::maybeFile;
    visit(entry);
}

} // namespace platform
