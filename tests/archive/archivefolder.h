// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivelisting.h"
#include "support/files.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include "support/posixfiles.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

// A real folder of real files with modification times set explicitly, so that the order of every
// listing is known in advance and does not depend on how fast the files were written.
class ArchiveFolder
{
public:
    ArchiveFolder() { QVERIFY2(dir.isValid(), "cannot create a temporary folder"); }
#ifdef Q_OS_UNIX
    // QTemporaryDir cannot remove names that are not valid UTF-8 by itself.
    ~ArchiveFolder()
    {
        for (const QByteArray &name : qAsConst(rawNames))
            ::unlink(nativePath(name).constData());
    }
#endif

    QString path() const
    {
        return dir.path();
    }
    QString filePath(const QString &name) const
    {
        return dir.filePath(name);
    }

    // Minutes after 2019-03-07 00:00 UTC: small numbers keep the tests readable.
    static qint64 minutes(int count)
    {
        return (qint64(1551916800) + qint64(count) * 60) * 1000;
    }

    void addFile(const QString &name, qint64 modifiedMsecs)
    {
        QVERIFY2(support::writeStampedFile(filePath(name), "{}\n",
                                           QDateTime::fromMSecsSinceEpoch(modifiedMsecs, Qt::UTC)),
                 qPrintable(name));
    }

    // Entries "minute name", e.g. "3 steel_K1-2019_03_07-14_05_09.json".
    void addFiles(const QStringList &entries)
    {
        for (const QString &entry : entries) {
            const int space = entry.indexOf(QLatin1Char(' '));
            addFile(entry.mid(space + 1), minutes(entry.left(space).toInt()));
        }
    }

    void setModified(const QString &name, qint64 modifiedMsecs)
    {
        QFile file(filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY2(file.setFileTime(QDateTime::fromMSecsSinceEpoch(modifiedMsecs, Qt::UTC),
                                  QFileDevice::FileModificationTime),
                 qPrintable(name));
    }

    void addDirectory(const QString &name)
    {
        QVERIFY(QDir(path()).mkdir(name));
    }

#ifdef Q_OS_UNIX
    QByteArray nativePath(const QByteArray &name) const
    {
        return QFile::encodeName(path()) + '/' + name;
    }

    // A name given as raw bytes, which need not be valid UTF-8.
    void addRawFile(const QByteArray &name, qint64 seconds, long nanoseconds = 0)
    {
        const QByteArray full = nativePath(name);
        QVERIFY2(support::writeRawNamedFile(full, QByteArray(), seconds, nanoseconds), full.constData());
        rawNames.append(name);
    }

    void addSymlink(const QString &target, const QString &name)
    {
        QVERIFY(::symlink(QFile::encodeName(target).constData(),
                          nativePath(QFile::encodeName(name)).constData()) == 0);
    }

    void addFifo(const QString &name)
    {
        QVERIFY(::mkfifo(nativePath(QFile::encodeName(name)).constData(), 0644) == 0);
    }

    void addSocket(const QString &name)
    {
        const QByteArray full = nativePath(QFile::encodeName(name));
        struct sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(full.size()) < sizeof(address.sun_path));
        qstrcpy(address.sun_path, full.constData());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        const int bound = ::bind(fd, reinterpret_cast<const struct sockaddr *>(&address), sizeof(address));
        ::close(fd);
        QVERIFY(bound == 0);
    }
#endif

private:
    QTemporaryDir dir;
    QList<QByteArray> rawNames;
};

// Every listing and scan case runs once per backend: add to a test class
//     void initTestCase_data() { addBackendRows(); }
//     void init() { useBackendOfRow(); }
inline void addBackendRows()
{
    QTest::addColumn<int>("backend");
#ifdef Q_OS_UNIX
    QTest::newRow("native") << int(archive::ListingBackend::Native);
#endif
    QTest::newRow("portable") << int(archive::ListingBackend::Portable);
}

inline void useBackendOfRow()
{
    QFETCH_GLOBAL(int, backend);
    archive::setListingBackend(archive::ListingBackend(backend));
}
