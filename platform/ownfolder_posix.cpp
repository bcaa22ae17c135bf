// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ownfolder.h"

#include "platform/heldfolders_posix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace posix {

FolderAncestry ancestryOfHandle(int handle)
{
    FolderAncestry ancestry;
    // Each step is ".." of the folder held before: the kernel walks up the mounts the folder was
    // reached through, so the top of a bind mount leads to the folder it was mounted on.
    int current = handle >= 0 ? ::fcntl(handle, F_DUPFD_CLOEXEC, 0) : -1;
    if (current < 0)
        ancestry.failure = QString::fromLocal8Bit(std::strerror(errno));
    while (current >= 0) {
        struct stat status;
        if (::fstat(current, &status) != 0) {
            ancestry.failure = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        const FileIdentity identity{quint64(status.st_dev), quint64(status.st_ino)};
        if (!ancestry.folders.empty() && ancestry.folders.back() == identity)
            break; // the root is its own parent
        ancestry.folders.push_back(identity);
        const int parent = ::openat(current, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0)
            ancestry.failure = QString::fromLocal8Bit(std::strerror(errno));
        ::close(current);
        current = parent;
    }
    if (current >= 0)
        ::close(current);
    return ancestry;
}

} // namespace posix

namespace {

// The held folders by their paths. A caller gets a handle of its own (a duplicate), so that a folder
// given up meanwhile never leaves it with a closed or reused one.
struct Held
{
    QByteArray path;
    int handle;
};
std::mutex heldLock;
std::vector<Held> heldFolders;

// A duplicate of the handle of the held folder `path`, or -1 when none is held there.
int heldHandle(const QByteArray &path)
{
    const std::lock_guard<std::mutex> lock(heldLock);
    for (const Held &held : heldFolders) {
        if (held.path == path)
            return ::fcntl(held.handle, F_DUPFD_CLOEXEC, 0);
    }
    return -1;
}

// The held folder of the file `path` and the file's name in it: a duplicate handle (-1 when the
// folder is not held) and the name's offset in `path`.
int folderOfName(const char *path, size_t *nameOffset)
{
    const char *slash = std::strrchr(path, '/');
    if (!slash || slash[1] == '\0')
        return -1;
    *nameOffset = size_t(slash - path) + 1;
    return heldHandle(slash == path ? QByteArray("/") : QByteArray(path, int(slash - path)));
}

int unlinkByName(const char *path)
{
    size_t nameOffset = 0;
    const int folder = folderOfName(path, &nameOffset);
    if (folder < 0)
        return ::unlink(path);
    const int result = ::unlinkat(folder, path + nameOffset, 0);
    const int error = errno;
    ::close(folder);
    errno = error;
    return result;
}

// The system-call stand-ins have the library's signatures.
int openCall(const char *path, int flags, int mode)
{
    return posix::openByName(path, flags, mode);
}

int unlinkCall(const char *path)
{
    return unlinkByName(path);
}

} // namespace

int posix::openByName(const char *path, int flags, int mode)
{
    size_t nameOffset = 0;
    const int folder = folderOfName(path, &nameOffset);
    if (folder >= 0) {
        const int result = ::openat(folder, path + nameOffset, flags | O_NOFOLLOW | O_CLOEXEC, mode_t(mode));
        const int error = errno;
        ::close(folder);
        errno = error;
        return result;
    }
    // The held folder itself, opened to sync it after a file in it was made or removed.
    const int whole = heldHandle(QByteArray(path));
    if (whole >= 0) {
        if ((flags & O_ACCMODE) == O_RDONLY && !(flags & O_CREAT))
            return whole;
        ::close(whole);
        errno = EISDIR;
        return -1;
    }
    return ::open(path, flags, mode_t(mode));
}

struct OwnFolder::Private
{
    int handle = -1;
    QByteArray path;
};

OwnFolder::OwnFolder(const QString &base, const QStringList &names,
                     const std::function<bool(const FolderAncestry &)> &mayUse)
    : d(std::make_unique<Private>())
{
    int handle = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int step = 0; handle >= 0; ++step) {
        if (!mayUse(posix::ancestryOfHandle(handle)))
            break;
        if (step == names.size()) {
            d->handle = handle;
            break;
        }
        const QByteArray name = QFile::encodeName(names[step]);
        if (::mkdirat(handle, name.constData(), 0700) != 0 && errno != EEXIST)
            break;
        const int next = ::openat(handle, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(handle);
        handle = next;
    }
    if (handle >= 0 && d->handle < 0)
        ::close(handle);
    if (d->handle < 0)
        return;
    // The spelling the library will use: the path as given, made absolute, which must be the path
    // without links of this very folder (a library that refuses links in a path finds none there).
    QString spelt = QDir::cleanPath(QFileInfo(base).absoluteFilePath());
    for (const QString &name : names)
        spelt += QLatin1Char('/') + name;
    const QByteArray encoded = QFile::encodeName(spelt);
    char resolved[PATH_MAX];
    struct stat named;
    struct stat held;
    if (!::realpath(encoded.constData(), resolved) || encoded != resolved || ::stat(resolved, &named) != 0 ||
        ::fstat(d->handle, &held) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino) {
        ::close(d->handle);
        d->handle = -1;
        return;
    }
    d->path = encoded;
    const std::lock_guard<std::mutex> lock(heldLock);
    heldFolders.push_back({d->path, d->handle});
}

OwnFolder::~OwnFolder()
{
    if (d->handle < 0)
        return;
    {
        const std::lock_guard<std::mutex> lock(heldLock);
        for (auto it = heldFolders.begin(); it != heldFolders.end(); ++it) {
            if (it->handle == d->handle) {
                heldFolders.erase(it);
                break;
            }
        }
    }
    ::close(d->handle);
}

bool OwnFolder::isOpen() const
{
    return d->handle >= 0;
}

QString OwnFolder::path() const
{
    return QFile::decodeName(d->path);
}

std::vector<LibraryCall> libraryCalls()
{
    return {{"open", reinterpret_cast<void (*)()>(&openCall)},
            {"unlink", reinterpret_cast<void (*)()>(&unlinkCall)}};
}

bool removeOwnFile(const QString &path)
{
    return unlinkByName(QFile::encodeName(path).constData()) == 0;
}

} // namespace platform
