// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivewatcher.h"
#include "archivefolder.h"
#include "platform/writing.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

using archive::ArchiveWatcher;

namespace {

constexpr int patience = 10000; // an upper bound only: every wait ends as soon as its event comes

const QByteArray undecodable = "steel_K1-\xff.json";
const QByteArray document = "{\"Smelt\":\"41521\",\"Temp\":\"1569\"}\n";

QByteArray name(int day)
{
    return "steel_K1-2024_01_" + QByteArray::number(day + 10) + "-09_30_00.json";
}

// By the name's bytes, so that a name no text can hold can be made too.
void write(const QString &folder, const QByteArray &fileName, const QByteArray &bytes)
{
    std::FILE *file = std::fopen((QFile::encodeName(folder) + '/' + fileName).constData(), "wb");
    QVERIFY(file);
    QCOMPARE(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file), size_t(bytes.size()));
    QCOMPARE(std::fclose(file), 0);
}

// A folder that takes the place of the one watched: a copy of the file there at the start of
// every watch, and a new file.
void makeFolder(const QString &folder)
{
    QVERIFY(QDir().mkpath(folder));
    write(folder, name(1), document);
    write(folder, name(3), document);
}

QList<QByteArray> namesOf(const QSignalSpy &arrivals)
{
    QList<QByteArray> names;
    for (const QList<QVariant> &arguments : arrivals)
        names.append(arguments.at(0).value<archive::ArrivedMeasurement>().encodedName);
    return names;
}

// Writes `sentinel` and waits for it: whatever was to be reported before it has been.
QList<QByteArray> namesUpTo(const QString &folder, const QSignalSpy &arrivals, const QByteArray &sentinel)
{
    write(folder, sentinel, document);
    // Without it, the comparison that follows shows what was reported instead.
    (void)QTest::qWaitFor([&] { return namesOf(arrivals).contains(sentinel); }, patience);
    return namesOf(arrivals);
}

#ifdef Q_OS_UNIX
// Root reads every folder whatever its mode: for a listing to fail, the test acts as the owner of
// its folders, an ordinary user, while it runs.
struct AsOrdinaryUser
{
    explicit AsOrdinaryUser(const QStringList &paths)
    {
        if (::geteuid() != 0)
            return;
        for (const QString &path : paths)
            active = ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
        active = active && ::seteuid(65534) == 0;
    }
    ~AsOrdinaryUser()
    {
        if (::geteuid() != ::getuid())
            (void)::seteuid(::getuid());
    }
    bool active = true;
};
#endif

} // namespace

class ArchiveWatcherTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString folder;
    QString mounted;

    QString at(const QString &relative) const { return root.filePath(relative); }

private slots:
    // Each case watches through the native walk, which the programs use; on Linux, where the system
    // names what changes, once more through the portable walk, which lists the folder at each change
    // as the watch does elsewhere.
    void initTestCase_data()
    {
        QTest::addColumn<int>("backend");
        QTest::newRow("native") << int(archive::ListingBackend::Native);
#ifdef Q_OS_LINUX
        QTest::newRow("portable") << int(archive::ListingBackend::Portable);
#endif
    }
    void init()
    {
        useBackendOfRow();
        QVERIFY(root.isValid());
        folder = at(QStringLiteral("one/archive"));
        QVERIFY(QDir().mkpath(folder));
        write(folder, name(1), document);
    }
    void cleanup()
    {
#ifdef Q_OS_LINUX
        if (!mounted.isEmpty())
            ::umount(QFile::encodeName(mounted).constData());
#endif
        mounted.clear();
        // QDir cannot remove a name it cannot decode.
        std::remove((QFile::encodeName(folder) + '/' + undecodable).constData());
        for (const QString &entry :
             QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
            QVERIFY(QFile::remove(at(entry)) || QDir(at(entry)).removeRecursively());
    }

    void reportsWhatLands_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<QByteArray>>("reported");
        QTest::addColumn<int>("incomplete");
        QTest::newRow("new file") << "new" << QList<QByteArray>{name(2)} << 0;
        QTest::newRow("filled after the quiet period") << "late" << QList<QByteArray>{name(2)} << 1;
        QTest::newRow("removed before it parses") << "removed" << QList<QByteArray>{} << 0;
        QTest::newRow("moved in") << "moved in" << QList<QByteArray>{name(2)} << 0;
        // A station sending a measurement again: the file there at the start replaced in one step.
        QTest::newRow("renamed over a file there at the start")
            << "renamed over" << QList<QByteArray>{name(1)} << 0;
        QTest::newRow("name not valid UTF-8") << "undecodable" << QList<QByteArray>{undecodable} << 0;
    }
    void reportsWhatLands()
    {
        QFETCH(QString, how);
        QFETCH(QList<QByteArray>, reported);
        QFETCH(int, incomplete);
#ifdef Q_OS_WIN
        if (how == QLatin1String("undecodable"))
            QSKIP("Windows names are UTF-16: every name decodes");
#endif
        if (how == QLatin1String("undecodable") &&
            archive::listingBackend() == archive::ListingBackend::Portable)
            QSKIP("the portable walk cannot see a name that does not decode");
        ArchiveWatcher watcher(folder);
        watcher.setQuietPeriod(200);
        QSignalSpy arrivals(&watcher, &ArchiveWatcher::measurementArrived);
        QSignalSpy incompletes(&watcher, &ArchiveWatcher::stillIncomplete);
        QVERIFY(watcher.start());
        if (how == QLatin1String("late")) {
            write(folder, name(2), "{\"Smelt\":");
            QVERIFY(incompletes.wait(patience));
            write(folder, name(2), document);
        } else if (how == QLatin1String("moved in")) {
            const QString outside = at(QStringLiteral("one"));
            write(outside, name(2), document);
            QVERIFY(QFile::rename(outside + QLatin1Char('/') + QString::fromUtf8(name(2)),
                                  folder + QLatin1Char('/') + QString::fromUtf8(name(2))));
        } else if (how == QLatin1String("renamed over")) {
            // Its time unlike the first one's, even to a walk that knows only milliseconds.
            write(folder, "resent.tmp", document);
            QFile resent(folder + QStringLiteral("/resent.tmp"));
            QVERIFY(resent.open(QIODevice::ReadWrite));
            QVERIFY(resent.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                       QFileDevice::FileModificationTime));
            resent.close();
            QCOMPARE(platform::writing::TargetFolder(folder).replace(QStringLiteral("resent.tmp"),
                                                                     QString::fromUtf8(name(1))),
                     0);
        } else if (how == QLatin1String("removed")) {
            write(folder, name(2), "{\"Smelt\":");
            QVERIFY(QFile::remove(folder + QLatin1Char('/') + QString::fromUtf8(name(2))));
        } else {
            write(folder, reported.value(0), document);
        }
        QTRY_COMPARE_WITH_TIMEOUT(arrivals.count(), reported.size(), patience);
        QCOMPARE(namesUpTo(folder, arrivals, name(9)), reported + QList<QByteArray>{name(9)});
        QCOMPARE(incompletes.count(), incomplete);
        const auto first = arrivals.at(0).at(0).value<archive::ArrivedMeasurement>();
        QCOMPARE(first.digest.smelt, QStringLiteral("41521"));
        QCOMPARE(first.stamp.size, document.size());
        if (how == QLatin1String("undecodable")) {
            QVERIFY(first.undecodableName);
            QCOMPARE(first.fileName, QStringLiteral("steel_K1-\\xff.json"));
            QCOMPARE(first.technology, QStringLiteral("K1"));
        }
    }

    // More files at once than the system's queue of change notifications holds: once it overflows,
    // only a listing tells what came, and nothing may be missed.
    void aBurstBeyondTheNotificationQueueIsAllReported()
    {
#ifndef Q_OS_LINUX
        QSKIP("the queue is Linux's; elsewhere the watch lists the folder at each change");
#endif
        QFile limit(QStringLiteral("/proc/sys/fs/inotify/max_queued_events"));
        const int queue = limit.open(QIODevice::ReadOnly) ? limit.readAll().trimmed().toInt() : 0;
        if (queue > 100000)
            QSKIP("the system's queue is too long to overflow in a test");
        const int burst = std::max(queue, 1000) + 100;
        ArchiveWatcher watcher(folder);
        QSignalSpy arrivals(&watcher, &ArchiveWatcher::measurementArrived);
        QVERIFY(watcher.start());
        // Written without a turn of the event loop, so that the notifications pile up.
        for (int i = 0; i < burst; ++i)
            write(folder, "steel_K2-burst-" + QByteArray::number(i) + ".json", document);
        QTRY_COMPARE_WITH_TIMEOUT(arrivals.count(), burst, 6 * patience);
        const QList<QByteArray> names = namesOf(arrivals);
        QCOMPARE(QSet<QByteArray>(names.cbegin(), names.cend()).size(), burst);
    }

    void followsOrEndsWhenTheFolderIsReplaced_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("follow");
        QTest::addColumn<ArchiveWatcher::Loss>("loss");
        const auto replaced = ArchiveWatcher::Loss::replaced;
        for (const bool follow : {false, true}) {
            const char *how = follow ? ", name followed" : "";
            QTest::addRow("removed%s", how) << "remove" << follow << ArchiveWatcher::Loss::gone;
            QTest::addRow("moved away, made anew%s", how) << "move" << follow << replaced;
            QTest::addRow("parent moved away, made anew%s", how) << "move parent" << follow << replaced;
            QTest::addRow("link in the path pointed elsewhere%s", how) << "link" << follow << replaced;
            QTest::addRow("another folder mounted over it%s", how) << "mount" << follow << replaced;
        }
    }
    void followsOrEndsWhenTheFolderIsReplaced()
    {
        QFETCH(QString, change);
        QFETCH(bool, follow);
        QFETCH(ArchiveWatcher::Loss, loss);
#ifdef Q_OS_WIN
        if (change == QLatin1String("link") || change == QLatin1String("mount"))
            QSKIP("links and mounts of folders need rights a Windows test does not have");
#endif
        QString watched = folder;
        if (change == QLatin1String("link")) {
            QVERIFY(QFile::link(at(QStringLiteral("one")), at(QStringLiteral("link"))));
            watched = at(QStringLiteral("link/archive"));
        }
        ArchiveWatcher watcher(watched);
        watcher.setFollowName(follow);
        QSignalSpy arrivals(&watcher, &ArchiveWatcher::measurementArrived);
        QSignalSpy losses(&watcher, &ArchiveWatcher::folderLost);
        QSignalSpy reattachments(&watcher, &ArchiveWatcher::reattached);
        QVERIFY(watcher.start());
        write(folder, name(2), document);
        QVERIFY(arrivals.wait(patience));

        const QString two = at(QStringLiteral("two/archive"));
        if (change == QLatin1String("remove")) {
            QVERIFY(QDir(folder).removeRecursively());
        } else if (change == QLatin1String("move")) {
            QVERIFY(QDir().rename(folder, at(QStringLiteral("one/old"))));
            makeFolder(folder);
        } else if (change == QLatin1String("move parent")) {
            QVERIFY(QDir().rename(at(QStringLiteral("one")), at(QStringLiteral("old"))));
            makeFolder(folder);
        } else if (change == QLatin1String("link")) {
            makeFolder(two);
            QVERIFY(QFile::remove(at(QStringLiteral("link"))));
            QVERIFY(QFile::link(at(QStringLiteral("two")), at(QStringLiteral("link"))));
        } else {
#ifdef Q_OS_LINUX
            makeFolder(two);
            if (::mount(QFile::encodeName(two).constData(), QFile::encodeName(folder).constData(), nullptr,
                        MS_BIND, nullptr) != 0)
                QSKIP("bind mounts need root (CAP_SYS_ADMIN)");
            mounted = folder;
#else
            QSKIP("bind mounts are Linux's");
#endif
        }
        QTRY_COMPARE_WITH_TIMEOUT(losses.count(), 1, patience);
        QCOMPARE(losses.at(0).at(0).value<ArchiveWatcher::Loss>(), loss);
        if (!follow) {
            QVERIFY(!watcher.isWatching());
            return;
        }
        if (change == QLatin1String("remove"))
            makeFolder(folder);
        QTRY_COMPARE_WITH_TIMEOUT(reattachments.count(), 1, patience);
        // Day 1 was there at the start, and day 2, reported, is copied in late: only day 3 is new.
        write(watched, name(2), document);
        QCOMPARE(namesUpTo(watched, arrivals, name(9)), (QList<QByteArray>{name(2), name(3), name(9)}));
    }

    void listingFailureReprintsNothing_data()
    {
        QTest::addColumn<QString>("unreadable");
        QTest::newRow("the folder, mode 000") << "one/archive";
        QTest::newRow("the folder above it, mode 000") << "one";
    }
    void listingFailureReprintsNothing()
    {
#ifdef Q_OS_UNIX
        QFETCH(QString, unreadable);
        const AsOrdinaryUser user({root.path(), at(QStringLiteral("one")), folder,
                                   folder + QLatin1Char('/') + QString::fromUtf8(name(1))});
        if (!user.active)
            QSKIP("running as root and the privileges cannot be dropped");
        if (::getuid() != ::geteuid() && archive::listingBackend() == archive::ListingBackend::Portable)
            QSKIP("QDir asks for the right to read as the real user, which the test cannot drop");
        ArchiveWatcher watcher(folder);
        QSignalSpy arrivals(&watcher, &ArchiveWatcher::measurementArrived);
        QSignalSpy unlistable(&watcher, &ArchiveWatcher::folderUnlistable);
        QSignalSpy listable(&watcher, &ArchiveWatcher::folderListable);
        QVERIFY(watcher.start());
        QCOMPARE(::chmod(QFile::encodeName(at(unreadable)).constData(), 0), 0);
        QTRY_COMPARE_WITH_TIMEOUT(unlistable.count(), 1, patience);
        QVERIFY(!unlistable.at(0).at(0).toString().isEmpty());
        QCOMPARE(::chmod(QFile::encodeName(at(unreadable)).constData(), 0700), 0);
        write(folder, name(2), document);
        QCOMPARE(namesUpTo(folder, arrivals, name(9)), (QList<QByteArray>{name(2), name(9)}));
        QCOMPARE(listable.count(), 1);
        QCOMPARE(unlistable.count(), 1);
#else
        QSKIP("Qt cannot take the right to list a folder away on Windows");
#endif
    }
};

QTEST_GUILESS_MAIN(ArchiveWatcherTest)
#include "tst_archivewatcher.moc"
