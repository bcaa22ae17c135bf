// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/filesystem.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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
    return stamp;
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

std::optional<FileStamp> FolderEntry::regularFileStamp() const
{
    struct stat status;
    // Follows links: a link counts as the file it points at, with that file's times.
    if (::fstatat(static_cast<const OpenFolder *>(folder)->fd, name, &status, 0) != 0 ||
        !S_ISREG(status.st_mode))
        return std::nullopt;
    return stampOf(status);
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
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    openedStamp = stampOf(status);
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
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return stampOf(status);
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

QString lookupFailure(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString();
}

} // namespace platform
