// SPDX-License-Identifier: GPL-3.0-or-later
// The index on its own: a row is served only under the very stamp it was stored under, a damaged row
// or record is read again from the file, rows of other rules are never read, one folder has one index
// however it is spelt, and the index never opens a name that is not its own nor lies in the archive,
// however the cache folder is reached.
#include "archive/archivereader.h"
#include "archive/indexrecord.h"
#include "archive/lastlisting.h"
#include "archive/measurementindex.h"
#include "measurement/contentfindings.h"
#include "platform/filesystem.h"
#include "support/documents.h"
#include "support/files.h"
#ifdef Q_OS_UNIX
#include "support/posixfiles.h"
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

using support::measurementWithMelt;

const QString firstName = QStringLiteral("steel_K1-2024_01_10-08_00_00.json");

measurement::MeasurementDigest digestOf(const QByteArray &content)
{
    const measurement::Measurement read = measurement::parseMeasurement(content);
    return measurement::digestOf(read, measurement::contentFindingTexts(read));
}

// Files a row for `name` as if it had been read with `content` under `stamp`.
void fileRow(const QString &directory, const QString &name, const platform::FileStamp &stamp,
             const QByteArray &content)
{
    const std::unique_ptr<archive::MeasurementIndex> index =
        archive::MeasurementIndex::open(directory, measurement::contentRulesVersion());
    QVERIFY(index);
    index->store(name.toUtf8(), stamp, digestOf(content));
    index->finish();
}

// The melt of every file as the reader hands it over, or "unread".
QStringList melts(const QString &directory, bool useIndex)
{
    archive::ArchiveReadOptions options;
    options.useIndex = useIndex;
    QStringList seen;
    archive::readArchive(directory, options, [&seen](const archive::ArchiveFile &file) {
        seen << file.fileName + QLatin1Char(' ') +
                    (file.digest ? file.digest->smelt.value_or(QStringLiteral("none"))
                                 : QStringLiteral("unread"));
    });
    return seen;
}

// Runs SQL on the index file itself, as a hand edit or a damaged page would change it.
bool editIndex(const QString &path, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    const bool done = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

// An archive of two files, read once so that the index holds both.
struct IndexedArchive
{
    QTemporaryDir root;
    QString folder = root.filePath(QStringLiteral("arch"));

    void make()
    {
        QVERIFY(QDir().mkpath(folder));
        support::writeFile(folder, firstName, measurementWithMelt("A-1"));
        support::writeFile(folder, "steel_K1-2024_01_10-09_00_00.json", measurementWithMelt("B-1"));
        QTest::qWait(20);
    }
};

} // namespace

class MeasurementIndexTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Files written a moment ago go into the index too.
        archive::setIndexSettleMilliseconds(0);
    }

    void rowIsServedOnlyUnderItsOwnStamp_data()
    {
        QTest::addColumn<int>("field"); // of the stamp changed in the stored row; -1: none
        QTest::addColumn<bool>("served");
        QTest::newRow("the very stamp") << -1 << true;
        QTest::newRow("size") << 0 << false;
        QTest::newRow("modification seconds") << 1 << false;
        QTest::newRow("modification nanoseconds") << 2 << false;
        QTest::newRow("change seconds") << 3 << false;
        QTest::newRow("change nanoseconds") << 4 << false;
        QTest::newRow("inode") << 5 << false;
        QTest::newRow("device") << 6 << false;
        QTest::newRow("mount") << 7 << false;
    }

    // A row holding another melt than the file, stored under the file's stamp with one field changed:
    // only under the very stamp is the row's melt handed over.
    void rowIsServedOnlyUnderItsOwnStamp()
    {
        QFETCH(int, field);
        QFETCH(bool, served);
        QTemporaryDir dir;
        const QString path = support::writeFile(dir.path(), firstName, measurementWithMelt("A-1"));
        std::optional<platform::FileStamp> stamp = platform::regularFileStamp(path);
        QVERIFY(stamp);
        platform::FileStamp &s = *stamp;
        switch (field) {
        case 0:
            s.size += 1;
            break;
        case 1:
            s.modifiedSeconds += 1;
            break;
        case 2:
            s.modifiedNanoseconds ^= 1;
            break;
        case 3:
            s.changedSeconds += 1;
            break;
        case 4:
            s.changedNanoseconds ^= 1;
            break;
        case 5:
            s.inode ^= 1;
            break;
        case 6:
            s.device ^= 1;
            break;
        case 7:
            s.mount ^= 1;
            break;
        default:
            break;
        }
        fileRow(dir.path(), firstName, s, measurementWithMelt("Q-9"));
        const QString melt = served ? QStringLiteral("Q-9") : QStringLiteral("A-1");
        QCOMPARE(melts(dir.path(), true), QStringList{firstName + QLatin1Char(' ') + melt});
        QCOMPARE(melts(dir.path(), false), QStringList{firstName + QStringLiteral(" A-1")});
    }

    void damagedRowIsReadAgain_data()
    {
        QTest::addColumn<QByteArray>("sql"); // run on the index after the first reading
        QTest::addColumn<bool>("intact");    // every row, as the row scan sees them
        QTest::newRow("a record byte changed")
            << QByteArray("UPDATE files SET record = CAST(replace(CAST(record AS TEXT), 'A', 'Z') AS BLOB)")
            << false;
        QTest::newRow("checksum changed") << QByteArray("UPDATE files SET checksum = checksum + 1") << false;
        QTest::newRow("checksum missing") << QByteArray("UPDATE files SET checksum = NULL") << false;
        QTest::newRow("name stored as a blob")
            << QByteArray("UPDATE files SET name = CAST(name AS BLOB)") << false;
        QTest::newRow("record stored as text") << QByteArray("UPDATE files SET record = 'x'") << false;
        // Checksummed anew, so that only the record's own reading can refuse it.
        QTest::newRow("record cut short, checksum matching") << QByteArray("cut") << true;
    }

    void damagedRowIsReadAgain()
    {
        QFETCH(QByteArray, sql);
        QFETCH(bool, intact);
        IndexedArchive archive;
        archive.make();
        const QStringList fresh = melts(archive.folder, false);
        QCOMPARE(melts(archive.folder, true), fresh);
        const QString index = archive::MeasurementIndex::indexPath(archive.folder);
        if (sql == "cut") {
            std::unique_ptr<archive::MeasurementIndex> opened =
                archive::MeasurementIndex::open(archive.folder, measurement::contentRulesVersion());
            QVERIFY(opened);
            archive::MeasurementIndex::Row row;
            QVERIFY(opened->nextRow(&row));
            const QByteArray name(row.name, row.nameSize);
            const QByteArray cut(row.record, row.recordSize - 3);
            opened.reset();
            sql = "UPDATE files SET record = x'" + cut.toHex() + "', checksum = " +
                  QByteArray::number(
                      archive::indexRowChecksum(name.constData(), name.size(), cut.constData(), cut.size())) +
                  " WHERE name = '" + name + "'";
        }
        QVERIFY(editIndex(index, sql));
        {
            const std::unique_ptr<archive::MeasurementIndex> opened =
                archive::MeasurementIndex::open(archive.folder, measurement::contentRulesVersion());
            QVERIFY(opened);
            archive::MeasurementIndex::Row row;
            bool allIntact = true;
            int rows = 0;
            for (; opened->nextRow(&row); ++rows)
                allIntact = allIntact && row.intact;
            QCOMPARE(rows, 2);
            QCOMPARE(allIntact, intact);
        }
        QCOMPARE(melts(archive.folder, true), fresh);
        QCOMPARE(melts(archive.folder, true), fresh); // and from what that run filed anew
    }

    // A record cut anywhere, or holding an impossible length, is refused and never read past its end;
    // a whole one gives back exactly what was stored.
    void damagedRecordsAreRefused()
    {
        platform::FileStamp stamp;
        stamp.size = 42;
        stamp.modifiedNanoseconds = 999999999;
        stamp.inode = 7;
        const measurement::MeasurementDigest stored = digestOf(measurementWithMelt("A-1"));
        std::string bytes;
        archive::writeIndexRecord(bytes, stamp, stored);
        const QByteArray record(bytes.data(), int(bytes.size()));
        platform::FileStamp read;
        measurement::MeasurementDigest digest;
        QVERIFY(archive::readIndexRecord(record.constData(), record.size(), &read, &digest));
        QVERIFY(read == stamp);
        QVERIFY(digest == stored);
        for (int cut = 0; cut < record.size(); ++cut) {
            const QByteArray part = record.left(cut);
            QVERIFY2(!archive::readIndexRecord(part.constData(), part.size(), &read, &digest),
                     qPrintable(QString::number(cut)));
        }
        // The first text's length follows the stamp's eight integers.
        for (const qint32 length : {qint32(-2), qint32(record.size()), std::numeric_limits<qint32>::max()}) {
            QByteArray damaged = record;
            damaged.replace(64, int(sizeof length), reinterpret_cast<const char *>(&length),
                            int(sizeof length));
            QVERIFY(!archive::readIndexRecord(damaged.constData(), damaged.size(), &read, &digest));
        }
    }

    // The viewer's last listing is read back exactly as kept, or not at all: a damaged row, a table
    // missing, a file that is no index of ours all mean that the folder is listed first.
    void lastListingIsWholeOrNone_data()
    {
        QTest::addColumn<QByteArray>("sql"); // run on the index once the listing is kept
        QTest::addColumn<bool>("read");
        QTest::newRow("kept as it was") << QByteArray() << true;
        QTest::newRow("a time changed")
            << QByteArray("UPDATE listing SET modified = modified + 1 WHERE name LIKE '%K1%'") << false;
        QTest::newRow("a checksum changed")
            << QByteArray("UPDATE listing SET checksum = checksum + 1") << false;
        QTest::newRow("a name stored as a blob")
            << QByteArray("UPDATE listing SET name = CAST(name AS BLOB)") << false;
        QTest::newRow("an index the viewer never listed into") << QByteArray("DROP TABLE listing") << false;
        QTest::newRow("not an index of ours") << QByteArray("junk") << false;
    }

    void lastListingIsWholeOrNone()
    {
        QFETCH(QByteArray, sql);
        IndexedArchive archive;
        archive.make();
        const QVector<archive::ArchiveEntry> kept{{QStringLiteral("steel_ДСП-2025_01_26-10_00_00.json"),
                                                   qint64(1737885600) * 1000000000 + 123456789},
                                                  {firstName, -5}};
        QVERIFY(!archive::lastListedFirstView(archive.folder));
        archive::keepFirstView(archive.folder, kept);
        const QString index = archive::MeasurementIndex::indexPath(archive.folder);
        if (sql == "junk")
            support::writeFile(QFileInfo(index).path(), QFileInfo(index).fileName(), "not SQLite");
        else if (!sql.isEmpty())
            QVERIFY(editIndex(index, sql));
        QFETCH(bool, read);
        const std::optional<QVector<archive::ArchiveEntry>> back =
            archive::lastListedFirstView(archive.folder);
        QCOMPARE(back.has_value(), read);
        if (read) {
            QVector<archive::ArchiveEntry> sorted = *back;
            std::sort(sorted.begin(), sorted.end(),
                      [](const archive::ArchiveEntry &a, const archive::ArchiveEntry &b) {
                          return a.fileName < b.fileName;
                      });
            QCOMPARE(sorted, (QVector<archive::ArchiveEntry>{kept.at(1), kept.at(0)}));
        }
        // Kept anew, it is read again; the measurement rows beside it are untouched.
        const QStringList fresh = melts(archive.folder, false);
        archive::keepFirstView(archive.folder, kept);
        QCOMPARE(
            archive::lastListedFirstView(archive.folder).value_or(QVector<archive::ArchiveEntry>()).size(),
            2);
        QCOMPARE(melts(archive.folder, true), fresh);
    }

    void rowsOfOtherRulesAreNeverRead()
    {
        QTemporaryDir dir;
        support::writeFile(dir.path(), firstName, measurementWithMelt("A-1"));
        QTest::qWait(20);
        const auto findingsUnder = [&](const QString &rules, const QString &finding) {
            archive::ArchiveReadOptions options;
            options.rulesVersion = rules;
            options.findings = [finding](const measurement::Measurement &) { return QStringList{finding}; };
            QStringList seen;
            archive::readArchive(dir.path(), options, [&seen](const archive::ArchiveFile &file) {
                seen += file.digest ? file.digest->findings : QStringList{"unreadable"};
            });
            return seen;
        };
        QCOMPARE(findingsUnder("old", "old finding"), QStringList{"old finding"});
        QCOMPARE(findingsUnder("old", "not asked: from the index"), QStringList{"old finding"});
        QCOMPARE(findingsUnder("new", "new finding"), QStringList{"new finding"});
    }

    void indexIsKeyedByTheCanonicalPath_data()
    {
        QTest::addColumn<QString>("spelling"); // of "arch" in the root, from the root
        QTest::addColumn<bool>("same");
        QTest::newRow("relative") << "arch" << true;
        QTest::newRow("absolute") << "<root>/arch" << true;
        QTest::newRow("trailing slash and dots") << "./other/../arch/" << true;
#ifndef Q_OS_WIN // Windows: QFile::link makes a shell shortcut, not a link the file system follows
        QTest::newRow("through a link") << "link" << true;
#endif
        QTest::newRow("same relative name, other working directory") << "other:arch" << false;
    }

    void indexIsKeyedByTheCanonicalPath()
    {
        QFETCH(QString, spelling);
        QFETCH(bool, same);
        QTemporaryDir root;
        QVERIFY(QDir().mkpath(root.filePath("arch")) && QDir().mkpath(root.filePath("other/arch")));
        QVERIFY(QFile::link(root.filePath("arch"), root.filePath("link")));
        const QString working = QDir::currentPath();
        const auto back = qScopeGuard([working] { QDir::setCurrent(working); });
        QVERIFY(QDir::setCurrent(root.path()));
        const QString canonical = archive::MeasurementIndex::indexPath(root.filePath("arch"));
        QVERIFY(!canonical.isEmpty());
        if (spelling.contains(':')) {
            QVERIFY(QDir::setCurrent(root.filePath(spelling.section(':', 0, 0))));
            spelling = spelling.section(':', 1);
        }
        const QString spelt =
            archive::MeasurementIndex::indexPath(QString(spelling).replace("<root>", root.path()));
        QCOMPARE(spelt == canonical, same);
        QVERIFY(!spelt.isEmpty());
    }

#ifdef Q_OS_UNIX
    void indexNeverUsesAFileNotItsOwn_data()
    {
        QTest::addColumn<QString>("suffix"); // of the index file's name: "" for the index itself
        QTest::addColumn<QString>("kind");
        QTest::newRow("nothing in the way") << ""
                                            << "none";
        for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
            const QString name = *suffix ? QString::fromLatin1(suffix) : QStringLiteral("index");
            QTest::addRow("%s: hard link to an archive file", qPrintable(name)) << suffix << "hard link";
            QTest::addRow("%s: symbolic link to an archive file", qPrintable(name))
                << suffix << "symbolic link";
        }
        QTest::newRow("index: hard link to an empty archive file") << ""
                                                                   << "hard link to empty";
        QTest::newRow("-shm: hard link to a file outside the archive") << "-shm"
                                                                       << "hard link elsewhere";
        QTest::newRow("-wal: a named pipe") << "-wal"
                                            << "fifo";
        QTest::newRow("-journal: a folder") << "-journal"
                                            << "folder";
        QTest::newRow("-shm: another user's file") << "-shm"
                                                   << "foreign owner";
    }

    // Something stands at a name the index would open: the run uses no index, reads every file, and
    // leaves the archive and the thing in the way as they were. Nothing in the way: the index is used.
    void indexNeverUsesAFileNotItsOwn()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, kind);
        IndexedArchive archive;
        archive.make();
        const QString target = archive.folder + QLatin1Char('/') + firstName;
        const QString empty =
            support::writeFile(archive.folder, "steel_K1-2024_01_10-10_00_00.json", QByteArray());
        const QStringList fresh = melts(archive.folder, false);
        const auto cache =
            qScopeGuard([before = qgetenv("XDG_CACHE_HOME")] { qputenv("XDG_CACHE_HOME", before); });
        qputenv("XDG_CACHE_HOME", QFile::encodeName(archive.root.filePath("cache")));
        QVERIFY(QDir().mkpath(archive::MeasurementIndex::cacheFolder()));
        const QString name = archive::MeasurementIndex::indexPath(archive.folder) + suffix;
        const QString elsewhere = support::writeFile(archive.root.path(), "elsewhere", "keep me");
        if (kind == "hard link" || kind == "hard link to empty" || kind == "hard link elsewhere") {
            const QString linked = kind == "hard link"             ? target
                                   : kind == "hard link elsewhere" ? elsewhere
                                                                   : empty;
            QVERIFY(::link(QFile::encodeName(linked).constData(), QFile::encodeName(name).constData()) == 0);
        } else if (kind == "symbolic link") {
            QVERIFY(support::makeSymlink(target, name));
        } else if (kind == "fifo") {
            QVERIFY(support::makeFifo(name, 0));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(name));
        } else if (kind == "foreign owner") {
            if (::geteuid() != 0)
                QSKIP("only root can give a file to another user");
            support::writeFile(QFileInfo(name).path(), QFileInfo(name).fileName(), "not ours");
            QVERIFY(::chown(QFile::encodeName(name).constData(), 65534, 65534) == 0);
        }
        const QMap<QString, QString> before = support::snapshot(archive.root.path());
        const bool used = kind == "none";
        QCOMPARE(bool(archive::MeasurementIndex::open(archive.folder, measurement::contentRulesVersion())),
                 used);
        QCOMPARE(melts(archive.folder, true), fresh);
        QCOMPARE(melts(archive.folder, true), fresh);
        if (!used)
            QCOMPARE(support::snapshot(archive.root.path()), before);
    }
#endif

    void cacheFolderReachingTheArchiveIsRefused_data()
    {
        QTest::addColumn<QString>("cache"); // the user's cache folder, from the root
        QTest::addColumn<QString>("mount"); // "from:to" bound before the run, from the root; or empty
        QTest::newRow("in the archive") << "arch/sub"
                                        << "";
        QTest::newRow("the archive itself") << "arch"
                                            << "";
#ifndef Q_OS_WIN
        QTest::newRow("below a link to the archive") << "link/sub"
                                                     << "";
#endif
#ifdef Q_OS_LINUX
        QTest::newRow("below a bind mount of the archive") << "bind/sub"
                                                           << "arch:bind";
        QTest::newRow("the bind mount of the archive itself") << "bind"
                                                              << "arch:bind";
        QTest::newRow("the archive below a bind mount of its parent") << "bind/arch/sub"
                                                                      << ".:bind";
#endif
    }

    // However the cache folder reaches the archive, no index is made, not even an empty folder appears
    // in the archive, and every file is read.
    void cacheFolderReachingTheArchiveIsRefused()
    {
        QFETCH(QString, cache);
        QFETCH(QString, mount);
        IndexedArchive archive;
        archive.make();
        const QString root = archive.root.path();
        QVERIFY(QFile::link(archive.folder, archive.root.filePath("link")));
#ifdef Q_OS_LINUX
        const QString mountPoint = archive.root.filePath(mount.section(':', 1));
        if (!mount.isEmpty()) {
            QVERIFY(QDir().mkpath(mountPoint));
            const QByteArray from = QFile::encodeName(archive.root.filePath(mount.section(':', 0, 0)));
            if (::mount(from.constData(), QFile::encodeName(mountPoint).constData(), nullptr, MS_BIND,
                        nullptr) != 0)
                QSKIP("binding a folder needs the right to mount (root)");
        }
        const auto unmount = qScopeGuard([&] {
            if (!mount.isEmpty())
                ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
        });
#endif
        const QStringList fresh = melts(archive.folder, false);
        const auto restore =
            qScopeGuard([before = qgetenv("XDG_CACHE_HOME")] { qputenv("XDG_CACHE_HOME", before); });
        qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QLatin1Char('/') + cache));
        if (QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)) !=
            QDir::cleanPath(root + QLatin1Char('/') + cache))
            QSKIP("this system's cache folder does not follow XDG_CACHE_HOME (Windows asks the shell)");
        const QStringList before =
            QDir(archive.folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QVERIFY(!archive::MeasurementIndex::open(archive.folder, measurement::contentRulesVersion()));
        QCOMPARE(melts(archive.folder, true), fresh);
        archive::keepFirstView(archive.folder, {{firstName, 1}});
        QVERIFY(!archive::lastListedFirstView(archive.folder));
        QCOMPARE(QDir(archive.folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 before);
    }
};

QTEST_GUILESS_MAIN(MeasurementIndexTest)
#include "tst_measurementindex.moc"
