// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/posixfiles.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace support {

bool setModified(const QString &path, qint64 modifiedSecs)
{
    struct timespec times[2];
    times[0].tv_sec = modifiedSecs;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool makeFifo(const QString &path, qint64 modifiedSecs)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0 && setModified(path, modifiedSecs);
}

bool makeSymlink(const QString &target, const QString &path)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0;
}

bool writeRawNamedFile(const QByteArray &encodedPath, const QByteArray &content, qint64 seconds,
                       long nanoseconds)
{
    const int fd = ::open(encodedPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    const struct timespec times[2] = {{time_t(seconds), nanoseconds}, {time_t(seconds), nanoseconds}};
    const bool stamped = ::futimens(fd, times) == 0;
    ::close(fd);
    return written && stamped;
}

} // namespace support
