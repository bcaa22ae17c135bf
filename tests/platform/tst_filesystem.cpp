// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/filesystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <sys/stat.h>

// The platform room's answers about what a path names, on real files of every kind.
class FileSystemTest : public QObject
{
    Q_OBJECT

private slots:
    void tellsWhatAPathNames_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("type");      // platform::EntryType, the link itself
        QTest::addColumn<bool>("readable"); // opened by ReadOnlyFile, with a stamp
        QTest::newRow("regular file") << "file" << int(platform::EntryType::regular) << true;
        QTest::newRow("folder") << "folder" << int(platform::EntryType::folder) << false;
        QTest::newRow("link to a file") << "link" << int(platform::EntryType::link) << true;
        QTest::newRow("dangling link") << "dangling" << int(platform::EntryType::link) << false;
        QTest::newRow("named pipe without a writer") << "fifo" << int(platform::EntryType::other) << false;
        QTest::newRow("missing") << "missing" << int(platform::EntryType::missing) << false;
    }

    void tellsWhatAPathNames()
    {
        QFETCH(QString, entry);
        QFETCH(int, type);
        QFETCH(bool, readable);
        QTemporaryDir dir;
        QFile file(dir.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{}\n") == 3);
        file.close();
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        QVERIFY(QFile::link(dir.filePath("file"), dir.filePath("link")));
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("dangling")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);

        const QString path = dir.filePath(entry);
        QCOMPARE(int(platform::entryType(path)), type);
        platform::ReadOnlyFile opened;
        QCOMPARE(opened.open(path), readable); // a FIFO must not block
        QCOMPARE(platform::regularFileStamp(path).has_value(), readable);
        // Looked up by name in the held folder: the same answer and the same stamp.
        const platform::HeldFolder held(dir.path());
        QVERIFY(held.isOpen());
        QCOMPARE(held.regularFileStamp(QFile::encodeName(entry)), platform::regularFileStamp(path));
        if (readable) {
            char bytes[8];
            QCOMPARE(opened.read(bytes, sizeof bytes), qint64(3));
            QCOMPARE(opened.stamp(), *platform::regularFileStamp(dir.filePath("file")));
            QCOMPARE(opened.stamp().size, qint64(3));
            QVERIFY(opened.stamp().device != 0 || opened.stamp().inode != 0);
        }
        QCOMPARE(platform::lookupFailure(path).isEmpty(), entry != "missing" && entry != "dangling");
    }

    // A held folder looks up names in itself only, and a folder that is not there holds nothing.
    void heldFolderLooksUpItsOwnNamesOnly()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QFile file(dir.filePath("sub/file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const platform::HeldFolder held(dir.path());
        QVERIFY(!held.regularFileStamp("sub/file"));
        QVERIFY(!held.regularFileStamp(""));
        QVERIFY(platform::HeldFolder(dir.filePath("sub")).regularFileStamp("file"));
        const platform::HeldFolder missing(dir.filePath("gone"));
        QVERIFY(!missing.isOpen());
        QVERIFY(!missing.regularFileStamp("file"));
    }

    // Hard and symbolic links are one file with their target; a copy is another.
    void sameFileByIdentity()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("a");
        QFile file(a);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        file.close();
        QCOMPARE(
            ::link(QFile::encodeName(a).constData(), QFile::encodeName(dir.filePath("hard")).constData()), 0);
        QVERIFY(QFile::link(a, dir.filePath("soft")));
        QVERIFY(QFile::copy(a, dir.filePath("copy")));
        QVERIFY(platform::isSameFile(a, dir.filePath("hard")));
        QVERIFY(platform::isSameFile(a, dir.filePath("soft")));
        QVERIFY(!platform::isSameFile(a, dir.filePath("copy")));
        QVERIFY(!platform::isSameFile(a, dir.filePath("missing")));
    }

    // The index's time is set on the index, never on a file a link in its place names.
    void touchLeavesALinksTargetAlone()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("target");
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QDateTime old(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(QFile::link(target, dir.filePath("link")));
        platform::touchWithoutFollowing(dir.filePath("link"));
        QCOMPARE(QFileInfo(target).lastModified().toUTC(), old);
        QVERIFY(platform::touchWithoutFollowing(target));
        QVERIFY(QFileInfo(target).lastModified().toUTC() > old);
    }
};

QTEST_GUILESS_MAIN(FileSystemTest)
#include "tst_filesystem.moc"
