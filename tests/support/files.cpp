// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace support {

namespace {

QByteArray contentHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("unreadable");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

// One entry as the system has it, a link as itself; the empty text when it is gone.
QString describeEntry(const QString &path)
{
    QString description;
#ifndef Q_OS_WIN
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return QString();
    const char *type = S_ISREG(status.st_mode)    ? "file"
                       : S_ISDIR(status.st_mode)  ? "dir"
                       : S_ISLNK(status.st_mode)  ? "link"
                       : S_ISFIFO(status.st_mode) ? "fifo"
                                                  : "other";
    description = QStringLiteral("%1 size %2 mode %3 modified %4.%5")
                      .arg(QLatin1String(type))
                      .arg(status.st_size)
                      .arg(status.st_mode & 07777, 0, 8)
                      .arg(status.st_mtim.tv_sec)
                      .arg(status.st_mtim.tv_nsec);
    const bool regular = S_ISREG(status.st_mode);
#else
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return QString();
    const char *type = info.isSymLink() ? "link" : info.isDir() ? "dir" : info.isFile() ? "file" : "other";
    description = QStringLiteral("%1 size %2 mode %3 modified %4")
                      .arg(QLatin1String(type))
                      .arg(info.size())
                      .arg(int(info.permissions()), 0, 16)
                      .arg(info.lastModified().toMSecsSinceEpoch());
    const bool regular = info.isFile() && !info.isSymLink();
#endif
    if (regular)
        description += QStringLiteral(" sha256 ") + QString::fromLatin1(contentHash(path));
    const QString target = QFileInfo(path).symLinkTarget();
    if (!target.isEmpty() && !regular)
        description += QStringLiteral(" -> ") + target;
    return description;
}

} // namespace

QDateTime fixedTime()
{
    return QDateTime(QDate(2020, 1, 1), QTime(12, 0), Qt::UTC);
}

bool writeStampedFile(const QString &path, const QByteArray &content, const QDateTime &modified)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size() &&
           file.flush() && file.setFileTime(modified, QFileDevice::FileModificationTime);
}

bool writeStampedFile(const QString &path, const QByteArray &content, qint64 modifiedSecs)
{
    return writeStampedFile(path, content, QDateTime::fromSecsSinceEpoch(modifiedSecs, Qt::UTC));
}

QString writeFile(const QString &directory, const QString &fileName, const QByteArray &content,
                  const QDateTime &modified)
{
    const QString path = directory + QLatin1Char('/') + fileName;
    if (!writeStampedFile(path, content, modified))
        qFatal("cannot write the test file %s", qPrintable(path));
    return path;
}

QString freshFolder(const QTemporaryDir &root, const QString &name)
{
    const QString path = root.filePath(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

bool writeSparseFile(const QString &path, const QByteArray &head, qint64 size, qint64 modifiedSecs)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(head) == head.size() &&
           file.flush() && file.resize(size) &&
           file.setFileTime(QDateTime::fromSecsSinceEpoch(modifiedSecs, Qt::UTC),
                            QFileDevice::FileModificationTime);
}

bool readsUnreadableFiles()
{
#ifdef Q_OS_WIN
    return true;
#else
    return ::geteuid() == 0;
#endif
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
        const QString description = describeEntry(path);
        entries.insert(path.mid(root.size()),
                       description.isEmpty() ? QStringLiteral("vanished") : description);
    }
    return entries;
}

} // namespace support
