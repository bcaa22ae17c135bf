// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/posixfiles.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace support {

namespace {

QString typeOf(const struct stat &status)
{
    if (S_ISREG(status.st_mode))
        return QStringLiteral("file");
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("dir");
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("link");
    if (S_ISFIFO(status.st_mode))
        return QStringLiteral("fifo");
    return QStringLiteral("other");
}

QByteArray contentHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("unreadable");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

} // namespace

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

QMap<QString, QString> snapshot(const QString &root)
{
    QMap<QString, QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList paths{root};
    while (it.hasNext())
        paths << it.next();
    for (const QString &path : paths) {
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
            entries.insert(path, QStringLiteral("vanished"));
            continue;
        }
        QString description = QStringLiteral("%1 size %2 mode %3 modified %4.%5")
                                  .arg(typeOf(status))
                                  .arg(status.st_size)
                                  .arg(status.st_mode & 07777, 0, 8)
                                  .arg(status.st_mtim.tv_sec)
                                  .arg(status.st_mtim.tv_nsec);
        if (S_ISREG(status.st_mode))
            description += QStringLiteral(" sha256 ") + QString::fromLatin1(contentHash(path));
        if (S_ISLNK(status.st_mode))
            description += QStringLiteral(" -> ") + QFile::symLinkTarget(path);
        entries.insert(path.mid(root.size()), description);
    }
    return entries;
}

} // namespace support
