// SPDX-License-Identifier: GPL-3.0-or-later
// sync --watch against a real PostgreSQL 15: measurements that land are sent as they parse, the
// server restarted in the middle loses nothing, and the watch ends as watch does.
#include "synctestsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace synctest;

namespace {

QString fileName(int i)
{
    return QStringLiteral("steel_K3-2024_06_01-10_%1_00.json").arg(i, 2, 10, QLatin1Char('0'));
}

} // namespace

class SyncWatchTest : public QObject
{
    Q_OBJECT

    TestServer server;
    QString unavailable;

    // Starts the watch and waits for its first pass.
    void startWatch(QProcess &watch, const QString &database, const QString &directory)
    {
        watch.start(steelArchiveProgram(),
                    {QStringLiteral("sync"), directory, QStringLiteral("--to"), server.conninfo(database),
                     QStringLiteral("--watch"), QStringLiteral("--settle-ms=0")});
        QVERIFY(watch.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(watch.state() != QProcess::Running || watch.peek(1 << 20).contains("added"),
                                 60000);
        QCOMPARE(watch.state(), QProcess::Running);
    }

    // Ends the watch as a service manager would, and gives back what it said on standard error.
    QString stopWatch(QProcess &watch)
    {
        ::kill(pid_t(watch.processId()), SIGTERM);
        if (!watch.waitForFinished(60000))
            return QStringLiteral("still running");
        return QString::fromUtf8(watch.readAllStandardError());
    }

private slots:
    void initTestCase() { unavailable = server.startOrReason(); }

    void init()
    {
        if (!unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
        QString why;
        QVERIFY2(server.ensureRunning(&why), qPrintable(why));
    }

    // Files written, renamed in and written in two steps land in the database as they parse.
    void measurementsLand()
    {
        QTemporaryDir folder;
        QTemporaryDir elsewhere;
        const QString directory = folder.path();
        for (int i = 0; i < 3; ++i)
            writeFile(directory, fileName(i), melt(i));
        const QString database = server.freshDatabase();
        QProcess watch;
        startWatch(watch, database, directory);

        writeFile(directory, fileName(10), melt(10));
        writeFile(elsewhere.path(), fileName(11), melt(11));
        QVERIFY(QFile::rename(elsewhere.path() + QLatin1Char('/') + fileName(11),
                              directory + QLatin1Char('/') + fileName(11)));
        // Half a measurement first: it is sent once it parses.
        const QByteArray whole = melt(12);
        writeFile(directory, fileName(12), whole.left(whole.size() / 2));
        QTest::qWait(1500);
        writeFile(directory, fileName(12), whole);
        QTRY_COMPARE_WITH_TIMEOUT(databaseAnswer(server, database, directory), findAnswer(directory), 60000);

        const QString err = stopWatch(watch);
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);
        QCOMPARE(err.count(QLatin1Char('\n')), 1); // that it watches, and nothing else went wrong
    }

    // The server stopped while the watch runs, and measurements landing meanwhile: a line says so,
    // the watch tries again, and once the server is back the database misses nothing.
    void serverRestarted()
    {
        QTemporaryDir folder;
        const QString directory = folder.path();
        writeFile(directory, fileName(0), melt(0));
        const QString database = server.freshDatabase();
        QProcess watch;
        startWatch(watch, database, directory);

        QVERIFY(server.stop());
        writeFile(directory, fileName(1), melt(1));
        QString said;
        QTRY_VERIFY_WITH_TIMEOUT((said += QString::fromUtf8(watch.readAllStandardError()))
                                     .contains(QLatin1String("trying again in")),
                                 30000);
        QVERIFY(QFile::remove(directory + QLatin1Char('/') + fileName(0)));
        QTest::qWait(3000);
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
        QTRY_COMPARE_WITH_TIMEOUT(databaseAnswer(server, database, directory), findAnswer(directory), 120000);

        said += stopWatch(watch);
        QCOMPARE(watch.exitCode(), 0);
        QVERIFY2(said.contains(QLatin1String("the database answers again")), qPrintable(said));
    }

    // The folder removed: the watch ends with the archive's exit code and a line, as watch does.
    void folderRemoved()
    {
        QTemporaryDir parent;
        const QString directory = parent.path() + QStringLiteral("/archive");
        QVERIFY(QDir().mkpath(directory));
        writeFile(directory, fileName(0), melt(0));
        const QString database = server.freshDatabase();
        QProcess watch;
        startWatch(watch, database, directory);

        QVERIFY(QDir(directory).removeRecursively());
        QVERIFY(watch.waitForFinished(60000));
        QCOMPARE(watch.exitCode(), 1);
        const QString err = QString::fromUtf8(watch.readAllStandardError());
        QVERIFY2(err.endsWith(QLatin1String("\n")) && err.count(QLatin1Char('\n')) == 2, qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(SyncWatchTest)
#include "tst_syncwatch.moc"
