// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/filesystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QScopeGuard>
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

    // Every way into a folder leads up through the same folders: a link, "..", a bind mount. The chain
    // of identities is what the output rule compares, so it must not depend on the spelling.
    void folderAncestryFollowsTheSystemNotTheSpelling_data()
    {
        QTest::addColumn<QString>("spelling"); // "@" the folder arch/sub, reached another way
        QTest::addColumn<bool>("bindMount");   // "bind" is arch mounted a second time
        QTest::newRow("the path itself") << "arch/sub" << false;
        QTest::newRow("with dots") << "arch/./sub/../sub" << false;
        QTest::newRow("through a link to the archive") << "link/sub" << false;
        QTest::newRow("a link to the folder") << "sublink" << false;
        QTest::newRow("through a bind mount") << "bind/sub" << true;
    }
    void folderAncestryFollowsTheSystemNotTheSpelling()
    {
        QFETCH(QString, spelling);
        QFETCH(bool, bindMount);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("arch/sub"));
        QVERIFY(QDir(dir.path()).mkpath("bind"));
        QVERIFY(QFile::link(dir.filePath("arch"), dir.filePath("link")));
        QVERIFY(QFile::link(dir.filePath("arch/sub"), dir.filePath("sublink")));
        if (bindMount && ::geteuid() != 0)
            QSKIP("a bind mount needs root");
        const auto unmount = qScopeGuard([&] {
            if (bindMount)
                QProcess::execute("umount", {dir.filePath("bind")});
        });
        if (bindMount &&
            QProcess::execute("mount", {"--bind", dir.filePath("arch"), dir.filePath("bind")}) != 0)
            QSKIP("mount --bind failed here (a container without the right to mount)");

        const platform::FolderAncestry expected = platform::folderAncestry(dir.filePath("arch/sub"));
        QCOMPARE(expected.failure, QString());
        QVERIFY(expected.folders.size() >= 3);
        QCOMPARE(expected.folders[0], *platform::fileIdentity(dir.filePath("arch/sub")));
        QCOMPARE(expected.folders[1], *platform::fileIdentity(dir.filePath("arch")));
        QCOMPARE(expected.folders.back(), *platform::fileIdentity("/"));

        const platform::FolderAncestry reached = platform::folderAncestry(dir.filePath(spelling));
        QCOMPARE(reached.failure, QString());
        // Where the ways part, above the archive, the chains may differ (a bind mount leads up to
        // where it is mounted); the folder and the archive above it are the same.
        QCOMPARE(reached.folders[0], expected.folders[0]);
        QCOMPARE(reached.folders[1], expected.folders[1]);
        QCOMPARE(reached.folders.back(), expected.folders.back());
    }

    void folderAncestryOfAMissingFolderSaysWhy()
    {
        QTemporaryDir dir;
        const platform::FolderAncestry missing = platform::folderAncestry(dir.filePath("gone/sub"));
        QVERIFY(missing.folders.empty());
        QVERIFY(!missing.failure.isEmpty());
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

    void tellsFilesOfItsOwnFromOthers_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("state"); // platform::OwnFileState
        QTest::newRow("a file of its own") << "own" << int(platform::OwnFileState::own);
        QTest::newRow("missing") << "missing" << int(platform::OwnFileState::missing);
        QTest::newRow("second name of a file (hard link)")
            << "hard" << int(platform::OwnFileState::suspicious);
        QTest::newRow("first name of a file with two") << "shared" << int(platform::OwnFileState::suspicious);
        QTest::newRow("symbolic link to a file of its own")
            << "soft" << int(platform::OwnFileState::suspicious);
        QTest::newRow("named pipe") << "fifo" << int(platform::OwnFileState::suspicious);
        QTest::newRow("folder") << "folder" << int(platform::OwnFileState::suspicious);
        QTest::newRow("another user's file") << "foreign" << int(platform::OwnFileState::suspicious);
    }

    // Only a regular file with one link, owned by the user, is one of the program's own; only such a
    // file has its time set, and a file another name leads to keeps its time.
    void tellsFilesOfItsOwnFromOthers()
    {
        QFETCH(QString, entry);
        QFETCH(int, state);
        QTemporaryDir dir;
        const QDateTime old(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        for (const char *name : {"own", "shared", "lone", "foreign"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1 && file.flush());
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QCOMPARE(::link(QFile::encodeName(dir.filePath("shared")).constData(),
                        QFile::encodeName(dir.filePath("hard")).constData()),
                 0);
        QVERIFY(QFile::link(dir.filePath("lone"), dir.filePath("soft")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600), 0);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        if (entry == "foreign") {
            if (::geteuid() != 0)
                QSKIP("only root can give a file to another user");
            QCOMPARE(::chown(QFile::encodeName(dir.filePath("foreign")).constData(), 65534, 65534), 0);
        }

        const QString path = dir.filePath(entry);
        QCOMPARE(int(platform::ownFileState(path)), state);
        const QString timed = entry == "hard"   ? dir.filePath("shared")
                              : entry == "soft" ? dir.filePath("lone")
                                                : path;
        const bool own = state == int(platform::OwnFileState::own);
        QCOMPARE(platform::touchOwnFile(path), own);
        if (entry != "missing" && entry != "fifo" && entry != "folder")
            QCOMPARE(QFileInfo(timed).lastModified().toUTC() > old, own);
    }
};

QTEST_GUILESS_MAIN(FileSystemTest)
#include "tst_filesystem.moc"
