// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folderevents.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The names the system tells of a folder's changes (Linux): each change once, in order, and a watch
// that cannot go on says so instead of falling silent.
class FolderEventsTest : public QObject
{
    Q_OBJECT

    struct Told
    {
        QStringList changes; // "+name" entered, "-name" left
        bool lost = false;
    };

    static bool touch(const QString &path) { return QFile(path).open(QIODevice::WriteOnly); }

private slots:
    void namesWhatEntersAndLeaves_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("created") << "create" << QStringList{"+new.json"};
        QTest::newRow("removed") << "remove" << QStringList{"-old.json"};
        QTest::newRow("moved in") << "move in" << QStringList{"+new.json"};
        QTest::newRow("moved away") << "move out" << QStringList{"-old.json"};
        QTest::newRow("renamed inside") << "rename" << QStringList{"-old.json", "+new.json"};
        QTest::newRow("written to, no name changes") << "write" << QStringList{};
    }
    void namesWhatEntersAndLeaves()
    {
        QFETCH(QString, change);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(touch(folder + QStringLiteral("/old.json")));
        QVERIFY(touch(root.filePath(QStringLiteral("new.json"))));
        Told told;
        platform::FolderEvents events([&](const QVector<platform::FolderEvents::Change> &changes, bool lost) {
            for (const platform::FolderEvents::Change &c : changes)
                told.changes.append((c.entered ? QLatin1Char('+') : QLatin1Char('-')) +
                                    QString::fromUtf8(c.name));
            told.lost = told.lost || lost;
        });
#ifndef Q_OS_LINUX
        QVERIFY(!events.watch(folder));
        QSKIP("only Linux names its changes here; the watch lists the folder instead");
#endif
        QVERIFY(events.watch(folder));

        const QString old = folder + QStringLiteral("/old.json");
        if (change == QLatin1String("create"))
            QVERIFY(touch(folder + QStringLiteral("/new.json")));
        else if (change == QLatin1String("remove"))
            QVERIFY(QFile::remove(old));
        else if (change == QLatin1String("move in"))
            QVERIFY(QFile::rename(root.filePath(QStringLiteral("new.json")),
                                  folder + QStringLiteral("/new.json")));
        else if (change == QLatin1String("move out"))
            QVERIFY(QFile::rename(old, root.filePath(QStringLiteral("elsewhere.json"))));
        else if (change == QLatin1String("rename"))
            QVERIFY(QFile::rename(old, folder + QStringLiteral("/new.json")));
        else
            QVERIFY(QFile(old).open(QIODevice::Append));
        // A marker last: once it is told, everything before it has been.
        QVERIFY(touch(folder + QStringLiteral("/marker")));
        QTRY_VERIFY_WITH_TIMEOUT(told.changes.contains(QStringLiteral("+marker")), 5000);
        told.changes.removeAll(QStringLiteral("+marker"));
        QTEST(told.changes, "told");
        QVERIFY(!told.lost);
        QVERIFY(events.isWatching());
    }

    void anEndedWatchSaysSo_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("folder removed") << "remove";
        QTest::newRow("folder moved away") << "move";
        QTest::newRow("queue overflowed") << "overflow";
    }
    void anEndedWatchSaysSo()
    {
#ifndef Q_OS_LINUX
        QSKIP("only Linux names its changes here");
#endif
        QFETCH(QString, end);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(folder));
        Told told;
        platform::FolderEvents events([&](const QVector<platform::FolderEvents::Change> &, bool lost) {
            told.lost = told.lost || lost;
        });
        QVERIFY(events.watch(folder));
        if (end == QLatin1String("remove")) {
            QVERIFY(QDir(folder).removeRecursively());
        } else if (end == QLatin1String("move")) {
            QVERIFY(QDir().rename(folder, root.filePath(QStringLiteral("moved"))));
        } else {
            QFile limit(QStringLiteral("/proc/sys/fs/inotify/max_queued_events"));
            QVERIFY(limit.open(QIODevice::ReadOnly));
            const int queue = limit.readAll().trimmed().toInt();
            if (queue > 100000)
                QSKIP("the system's queue is too long to overflow in a test");
            // Without a turn of the event loop, so that nothing is read meanwhile.
            for (int i = 0; i <= queue; ++i)
                QVERIFY(touch(folder + QStringLiteral("/f") + QString::number(i)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(told.lost, 5000);
        // A folder gone or moved ends the watch; after an overflow the watch goes on.
        QCOMPARE(events.isWatching(), end == QLatin1String("overflow"));
    }
};

QTEST_GUILESS_MAIN(FolderEventsTest)
#include "tst_folderevents.moc"
