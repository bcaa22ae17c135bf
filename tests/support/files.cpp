// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/files.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace support {

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

} // namespace support
