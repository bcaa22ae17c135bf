// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/writing.h"

#include "platform/filesystem.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <iterator>
#include <vector>

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

void failWritesBeyondSizeLimit()
{
    // Windows has no file-size limit of a process.
}

// Windows has no openat() in its documented interface: a file is made, renamed and removed by a path.
// What it does have is a folder held open without delete sharing, which cannot be renamed, moved or
// removed while the handle is open. So the folder is opened once, its final path (every junction,
// link and mapped drive resolved) is taken from the handle, and the folder and every folder above it
// on that path are held that way until the output is in place: the path then leads to the held
// folder and nowhere else, and no component of it can be switched. What this cannot do that POSIX
// does: a file system that ignores the sharing (some network shares) could still move a folder
// above; the checks and the writes still spell the final path, but that path cannot change.
struct TargetFolder::Private
{
    std::vector<HANDLE> held; // the folder first, then each folder above it
    QString path;             // its final path, in Qt's spelling
    PathStatus failure;

    HANDLE open(const QString &folder)
    {
        return CreateFileW(nativePath(folder).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    }
    QString finalPath(HANDLE handle)
    {
        wchar_t buffer[32768];
        const DWORD size = GetFinalPathNameByHandleW(handle, buffer, DWORD(std::size(buffer)),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (size == 0 || size >= std::size(buffer))
            return QString();
        QString path = QString::fromWCharArray(buffer, int(size));
        if (path.startsWith(QLatin1String("\\\\?\\UNC\\")))
            path = QStringLiteral("\\\\") + path.mid(8);
        else if (path.startsWith(QLatin1String("\\\\?\\")))
            path = path.mid(4);
        return QDir::fromNativeSeparators(path);
    }
    QString entry(const QString &name) const
    {
        return path.endsWith(QLatin1Char('/')) ? path + name : path + QLatin1Char('/') + name;
    }
};

TargetFolder::TargetFolder(const QString &path) : d(std::make_unique<Private>())
{
    const HANDLE folder = d->open(path.isEmpty() ? QStringLiteral(".") : path);
    if (folder == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME)
            d->failure.failure = errorText(ENOTDIR);
        else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            d->failure.failure = errorText(EACCES);
        return;
    }
    d->held.push_back(folder);
    d->path = d->finalPath(folder);
    for (QString part = QFileInfo(d->path).path(); !d->path.isEmpty() && part != d->path;) {
        const HANDLE above = d->open(part);
        if (above == INVALID_HANDLE_VALUE)
            break; // \\server above a share: nothing there to switch
        d->held.push_back(above);
        const QString parent = QFileInfo(part).path();
        if (parent == part)
            break;
        part = parent;
    }
    // Taken again with all of it held: a switch between the first look and the holding shows here.
    if (d->path.isEmpty() || d->finalPath(folder) != d->path) {
        d->failure.failure = errorText(EBUSY);
        for (const HANDLE handle : d->held)
            CloseHandle(handle);
        d->held.clear();
    }
}

TargetFolder::~TargetFolder()
{
    for (const HANDLE handle : d->held)
        CloseHandle(handle);
}

bool TargetFolder::isOpen() const
{
    return !d->held.empty();
}

PathStatus TargetFolder::openFailure() const
{
    return d->failure;
}

FolderAncestry TargetFolder::ancestry() const
{
    FolderAncestry ancestry;
    for (const HANDLE handle : d->held) {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(handle, &info)) {
            ancestry.failure = errorText(EACCES);
            break;
        }
        ancestry.folders.push_back(FileIdentity{info.dwVolumeSerialNumber,
                                                (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow});
    }
    if (d->held.empty())
        ancestry.failure = errorText(EBADF);
    return ancestry;
}

PathStatus TargetFolder::entryStatus(const QString &name) const
{
    return pathStatus(d->entry(name), false);
}

QString TargetFolder::firstRegularFile(const std::function<bool(const QString &)> &matches) const
{
    QDirIterator it(d->path, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (matches(it.fileName()))
            return it.fileName();
    }
    return QString();
}

QString TargetFolder::writeAccessFailure(const QString &name) const
{
    return QFileInfo(d->entry(name)).isWritable() ? QString() : errorText(EACCES);
}

NewFile TargetFolder::createUniqueFile(const QString &prefix) const
{
    NewFile created;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = prefix + QString::number(QRandomGenerator::global()->generate(), 36);
        int handle = -1;
        const errno_t error = _wsopen_s(&handle, nativePath(d->entry(name)).c_str(),
                                        _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                                        _S_IREAD | _S_IWRITE);
        if (error == 0) {
            created.handle = handle;
            created.name = name;
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

int TargetFolder::replace(const QString &source, const QString &target) const
{
    if (MoveFileExW(nativePath(d->entry(source)).c_str(), nativePath(d->entry(target)).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return GetLastError() == ERROR_DISK_FULL ? ENOSPC : EACCES;
}

void TargetFolder::sync() const
{
    // MOVEFILE_WRITE_THROUGH has done it
}

void TargetFolder::remove(const QString &name) const
{
    _wremove(nativePath(d->entry(name)).c_str());
}

void TargetFolder::keepOnInterruption(const QString &name) const
{
    Q_UNUSED(name) // the console's Ctrl+C ends the process; the hidden file is left to the user
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
