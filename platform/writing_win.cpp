// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/writing.h"

#include "platform/filesystem.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

// The C runtime's handles and Qt's file information. A file's identity is its volume serial number
// and file index, as the stamps have it, so that a hard link is the file it names; where the system
// gives none, its canonical path stands in.
namespace platform::writing {

namespace {

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

quint64 identityOf(const QString &path)
{
    return qHash(QFileInfo(path).canonicalFilePath().toLower());
}

// Windows says "path not found" both for a path through a missing folder and for one through a file,
// which POSIX tells apart (ENOTDIR): the nearest part of the path that exists tells here.
bool leadsThroughAFile(const QString &path)
{
    QString part = QFileInfo(path).absolutePath();
    for (int depth = 0; depth < 1000; ++depth) {
        const QFileInfo info(part);
        if (info.exists())
            return !info.isDir();
        const QString parent = info.path();
        if (parent == part)
            break;
        part = parent;
    }
    return false;
}

} // namespace

PathStatus pathStatus(const QString &path, bool followLinks)
{
    PathStatus status;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        if (leadsThroughAFile(path))
            status.failure = errorText(ENOTDIR);
        return status;
    }
    if (info.isSymLink() && !followLinks)
        status.kind = PathStatus::Kind::symbolicLink;
    else if (info.isDir())
        status.kind = PathStatus::Kind::folder;
    else if (info.isFile())
        status.kind = PathStatus::Kind::regular;
    else
        status.kind = PathStatus::Kind::other;
    const std::optional<platform::FileIdentity> identity =
        status.kind == PathStatus::Kind::symbolicLink ? std::nullopt : platform::fileIdentity(path);
    status.device = identity ? identity->device : 0;
    status.file = identity ? identity->file
                           : identityOf(followLinks ? info.canonicalFilePath() : info.absoluteFilePath());
    status.links = 1;
    status.permissions = info.isWritable() ? 0666u : 0444u;
    return status;
}

QString resolvedPath(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

QString entryOfFile(const QString &folder, quint64 device, quint64 file)
{
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString path = it.next();
        const std::optional<platform::FileIdentity> identity = platform::fileIdentity(path);
        if (identity ? identity->device == device && identity->file == file : identityOf(path) == file)
            return it.fileName();
    }
    return QString();
}

NewFile createUniqueFile(const QString &folder, const QString &prefix)
{
    NewFile created;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            folder + QLatin1Char('/') + prefix + QString::number(QRandomGenerator::global()->generate(), 36);
        int handle = -1;
        const errno_t error = _wsopen_s(&handle, nativePath(path).c_str(),
                                        _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                                        _S_IREAD | _S_IWRITE);
        if (error == 0) {
            created.handle = handle;
            created.path = path;
            return created;
        }
        if (error != EEXIST) {
            created.failure = errorText(error);
            return created;
        }
    }
    created.failure = errorText(EEXIST);
    return created;
}

int writeAll(int handle, const char *data, qint64 size)
{
    while (size > 0) {
        const unsigned int chunk = unsigned(std::min<qint64>(size, 1 << 30));
        const int written = _write(handle, data, chunk);
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        data += written;
        size -= written;
    }
    return 0;
}

int setPermissions(int handle, uint permissions)
{
    Q_UNUSED(handle)
    Q_UNUSED(permissions)
    return 0; // the file gets its folder's access rules
}

OwnerKept keepOwner(int handle, uint owner, uint group)
{
    Q_UNUSED(handle)
    Q_UNUSED(owner)
    Q_UNUSED(group) // the file gets its folder's access rules
    return OwnerKept();
}

uint defaultFilePermissions()
{
    return 0666u;
}

int setModificationTime(int handle, const QDateTime &moment)
{
    // FILETIME: 100 ns since 1601-01-01.
    const qint64 ticks = (moment.toMSecsSinceEpoch() + 11644473600000LL) * 10000LL;
    FILETIME time;
    time.dwLowDateTime = DWORD(ticks & 0xffffffff);
    time.dwHighDateTime = DWORD(quint64(ticks) >> 32);
    const HANDLE file = HANDLE(_get_osfhandle(handle));
    return SetFileTime(file, nullptr, &time, &time) ? 0 : EIO;
}

int syncToDisk(int handle)
{
    return _commit(handle) == 0 ? 0 : errno;
}

int closeHandle(int handle)
{
    return _close(handle) == 0 ? 0 : errno;
}

int replaceFile(const QString &source, const QString &target)
{
    if (MoveFileExW(nativePath(source).c_str(), nativePath(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return GetLastError() == ERROR_DISK_FULL ? ENOSPC : EACCES;
}

void syncFolder(const QString &folder)
{
    Q_UNUSED(folder) // MOVEFILE_WRITE_THROUGH has done it
}

QString writeAccessFailure(const QString &path)
{
    return QFileInfo(path).isWritable() ? QString() : errorText(EACCES);
}

void failWritesBeyondSizeLimit()
{
    // Windows has no file-size limit of a process.
}

void removeFile(const QString &path)
{
    _wremove(nativePath(path).c_str());
}

void keepOnInterruption(const QString &path)
{
    Q_UNUSED(path) // the console's Ctrl+C ends the process; the hidden file is left to the user
}

QString errorText(int error)
{
    char text[256];
    strerror_s(text, sizeof text, error);
    return QString::fromLocal8Bit(text);
}

bool isBrokenPipe(int error)
{
    return error == EPIPE || error == EINVAL; // a closed pipe's write fails with EINVAL in the C runtime
}

} // namespace platform::writing
