// SPDX-License-Identifier: GPL-3.0-or-later
// sync when things go wrong: a database that refuses or cannot be reached leaves exit code 2, one
// line and the database as it was; a run cut off at any moment (killed, the server stopped) leaves
// rows that are each right, in whole batches, and the next run completes them; two runs of one
// archive at once never interleave.
#include "synctestsupport.h"

#include "database/syncschema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace synctest;

namespace {

enum class Setup
{
    none,
    wrongPassword,
    rightPassword,
    passwordFile,
    passwordOnCommandLine,
    unreachableServer,
    noSuchDatabase,
    readOnlyDatabase,
    readOnlyAfterFirstSync,
    foreignSchema,
    newerSchema,
    latin1Database,
    folderEmptied,
    olderTables,
    olderTablesBlocked,
};

enum class Interruption
{
    syncKilled,
    serverStopped,
    serverCrashed,
};

const QString secret = QStringLiteral("right horse");

void writeArchive(const QString &directory, int files)
{
    for (int i = 0; i < files; ++i)
        writeFile(directory,
                  QStringLiteral("steel_K1-2024_02_01-%1.json")
                      .arg(QTime(0, 0).addSecs(i * 7).toString(QStringLiteral("hh_mm_ss"))),
                  melt(i));
}

} // namespace

Q_DECLARE_METATYPE(Setup)
Q_DECLARE_METATYPE(Interruption)

class SyncFailuresTest : public QObject
{
    Q_OBJECT

    TestServer server;
    QString unavailable;

    // What a failed run must not change: the schemas and every row sync keeps of measurements.
    QString state(const QString &database)
    {
        const QString schemas =
            queryText(server, database,
                      "SELECT string_agg(nspname, ',' ORDER BY nspname) FROM pg_namespace "
                      "WHERE nspname NOT LIKE 'pg_%' AND nspname <> 'information_schema'");
        const QString rows = queryText(server, database,
                                       "SELECT count(*) || ' ' || coalesce(sum(hashtext(m::text)), 0) FROM "
                                       "steel_archive.measurements m");
        return schemas + QLatin1Char(';') +
               (rows.contains(QLatin1String("does not exist")) ? QString() : rows);
    }

    // Prepares the case: the connection string sync is given and the environment it runs in.
    void prepare(Setup setup, const QString &database, const QString &directory, const QString &passwordFile,
                 QString *conninfoGiven, QStringList *environmentGiven)
    {
        QString &conninfo = *conninfoGiven;
        QStringList &environment = *environmentGiven;
        conninfo = server.conninfo(database);
        const auto superuser = server.connect(database);
        switch (setup) {
        case Setup::none:
            break;
        case Setup::wrongPassword:
            conninfo = server.conninfo(database, QStringLiteral("syncer"));
            environment << QStringLiteral("PGPASSWORD=wrong horse");
            break;
        case Setup::rightPassword:
            conninfo = server.conninfo(database, QStringLiteral("syncer"));
            environment << QStringLiteral("PGPASSWORD=") + secret;
            break;
        case Setup::passwordFile: {
            conninfo = server.conninfo(database, QStringLiteral("syncer"));
            QFile file(passwordFile);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(("*:*:*:syncer:" + secret + '\n').toUtf8()) < 0 ||
                !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
                qFatal("cannot write the password file");
            environment << QStringLiteral("PGPASSFILE=") + passwordFile << QStringLiteral("PGPASSWORD=");
            break;
        }
        case Setup::passwordOnCommandLine:
            conninfo = server.conninfo(database, QStringLiteral("syncer")) + QStringLiteral(" password='") +
                       secret + QLatin1Char('\'');
            break;
        case Setup::unreachableServer:
            conninfo = QStringLiteral("host=%1/no-server dbname=%2 user=steel").arg(directory, database);
            break;
        case Setup::noSuchDatabase:
            conninfo = server.conninfo(QStringLiteral("no_such_database"));
            break;
        case Setup::readOnlyAfterFirstSync:
            QCOMPARE(sync(server, database, directory).exitCode, 0);
            writeFile(directory, QStringLiteral("steel_K2-2024_02_02-00_00_00.json"), melt(1000));
            Q_FALLTHROUGH();
        case Setup::readOnlyDatabase:
            QVERIFY(superuser->run("ALTER DATABASE " + superuser->identifier(database) +
                                   " SET default_transaction_read_only = on"));
            break;
        case Setup::foreignSchema:
            QVERIFY(superuser->run("CREATE SCHEMA steel_archive") &&
                    superuser->run("CREATE TABLE steel_archive.invoices (id integer)"));
            break;
        case Setup::newerSchema:
            QCOMPARE(sync(server, database, directory).exitCode, 0);
            QVERIFY(superuser->run("INSERT INTO steel_archive.schema_version (version) VALUES (99)"));
            break;
        case Setup::latin1Database:
            QVERIFY(superuser->run("DROP DATABASE IF EXISTS latin1") &&
                    server.connect(QStringLiteral("postgres"))
                        ->run("CREATE DATABASE latin1 ENCODING 'LATIN1' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE "
                              "template0"));
            conninfo = server.conninfo(QStringLiteral("latin1"));
            break;
        case Setup::olderTables:
        case Setup::olderTablesBlocked: {
            QString error;
            QVERIFY2(database::prepareSchema(*superuser, QStringLiteral("steel_archive"), &error, 1),
                     qPrintable(error));
            // The migration's index cannot be made there: the whole migration is undone.
            if (setup == Setup::olderTablesBlocked)
                QVERIFY(superuser->run("CREATE TABLE steel_archive.measurements_melt (x integer)"));
            break;
        }
        case Setup::folderEmptied:
            QCOMPARE(sync(server, database, directory).exitCode, 0);
            for (const QString &name : QDir(directory).entryList(QDir::Files))
                QVERIFY(QFile::remove(directory + QLatin1Char('/') + name));
            break;
        }
    }

    // Starts a sync of `directory` and waits until it has committed some batches.
    void startAndWait(QProcess &process, const QString &database, const QString &directory, int batch)
    {
        process.start(steelArchiveProgram(),
                      {QStringLiteral("sync"), directory, QStringLiteral("--to"), server.conninfo(database),
                       QStringLiteral("--batch"), QString::number(batch), QStringLiteral("--settle-ms=0")});
        QVERIFY(process.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (queryText(server, database, "SELECT count(*) > 20 FROM steel_archive.measurements") !=
               QLatin1String("t")) {
            QVERIFY2(process.state() == QProcess::Running, "the run ended before it could be cut off");
            QVERIFY2(waited.elapsed() < 120000, "no batch arrived");
            QThread::msleep(5);
        }
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

    void refusals_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason"); // part of the one line on standard error

        QTest::newRow("password from PGPASSWORD") << Setup::rightPassword << 0 << QString();
        QTest::newRow("password from the password file") << Setup::passwordFile << 0 << QString();
        QTest::newRow("wrong password")
            << Setup::wrongPassword << 2
            << QStringLiteral("password authentication failed for user \"syncer\"");
        QTest::newRow("password on the command line")
            << Setup::passwordOnCommandLine << 2 << QStringLiteral("--to names a password");
        QTest::newRow("no server") << Setup::unreachableServer << 2
                                   << QStringLiteral("No such file or directory");
        QTest::newRow("no such database")
            << Setup::noSuchDatabase << 2 << QStringLiteral("database \"no_such_database\" does not exist");
        QTest::newRow("read-only database")
            << Setup::readOnlyDatabase << 2
            << QStringLiteral("cannot execute CREATE SCHEMA in a read-only transaction");
        QTest::newRow("read-only database, tables made before")
            << Setup::readOnlyAfterFirstSync << 2 << QStringLiteral("in a read-only transaction");
        QTest::newRow("someone else's schema")
            << Setup::foreignSchema << 2
            << QStringLiteral("the schema \"steel_archive\" holds tables that are not");
        QTest::newRow("tables of a newer steel-archive")
            << Setup::newerSchema << 2 << QStringLiteral("is at version 99, made by a newer steel-archive");
        QTest::newRow("database not in UTF-8")
            << Setup::latin1Database << 2 << QStringLiteral("the database's encoding is LATIN1");
        QTest::newRow("tables of the version before") << Setup::olderTables << 0 << QString();
        QTest::newRow("tables of the version before, the migration fails")
            << Setup::olderTablesBlocked << 2
            << QStringLiteral("relation \"measurements_melt\" already exists");
        QTest::newRow("folder emptied (a share not mounted)")
            << Setup::folderEmptied << 1 << QStringLiteral("the database's rows of it are kept");
    }

    void refusals()
    {
        QFETCH(Setup, setup);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        QTemporaryDir home;
        const QString directory = folder.path();
        writeArchive(directory, 3);
        const QString database = server.freshDatabase();
        QString conninfo;
        QStringList environment;
        prepare(setup, database, directory, home.path() + QStringLiteral("/pgpass"), &conninfo, &environment);
        if (QTest::currentTestFailed())
            return;
        const QString before = state(database);

        const CommandResult synced = runProgram({QStringLiteral("sync"), directory, QStringLiteral("--to"),
                                                 conninfo, QStringLiteral("--settle-ms=0")},
                                                environment);
        QCOMPARE(synced.exitCode, exitCode);
        QVERIFY2(!synced.err.contains(secret), qPrintable(synced.err));
        const QByteArray version = "SELECT max(version) FROM steel_archive.schema_version";
        if (exitCode == 0) {
            QCOMPARE(synced.err, QString());
            QCOMPARE(databaseAnswer(server, database, directory), findAnswer(directory));
            QCOMPARE(queryText(server, database, version), QString::number(database::schemaVersion));
            return;
        }
        QVERIFY2(synced.err.startsWith(QLatin1String("steel-archive sync: ")), qPrintable(synced.err));
        QVERIFY2(synced.err.contains(reason), qPrintable(synced.err));
        QCOMPARE(synced.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(synced.out, QString());
        QCOMPARE(state(database), before);
        if (setup == Setup::olderTablesBlocked)
            QCOMPARE(queryText(server, database, version), QStringLiteral("1"));
    }

    // A run cut off between two batches or in the middle of one.
    void interruptions_data()
    {
        QTest::addColumn<Interruption>("interruption");
        QTest::newRow("sync killed (kill -9)") << Interruption::syncKilled;
        QTest::newRow("server stopped") << Interruption::serverStopped;
        QTest::newRow("server crashed") << Interruption::serverCrashed;
    }

    void interruptions()
    {
        QFETCH(Interruption, interruption);
        QTemporaryDir folder;
        const QString directory = folder.path();
        constexpr int files = 3000;
        constexpr int batch = 3;
        writeArchive(directory, files);
        const QString database = server.freshDatabase();

        QProcess run;
        startAndWait(run, database, directory, batch);
        if (interruption == Interruption::syncKilled)
            run.kill();
        else
            QVERIFY(server.stop(interruption == Interruption::serverStopped ? QStringLiteral("fast")
                                                                            : QStringLiteral("immediate")));
        QVERIFY(run.waitForFinished(60000));
        if (interruption == Interruption::syncKilled) {
            QCOMPARE(run.exitStatus(), QProcess::CrashExit);
        } else {
            const QString err = QString::fromUtf8(run.readAllStandardError());
            QCOMPARE(run.exitCode(), 2);
            QVERIFY2(err.startsWith(QLatin1String("steel-archive sync: ")), qPrintable(err));
            QCOMPARE(err.count(QLatin1Char('\n')), 1);
            QString why;
            QVERIFY2(server.start(&why), qPrintable(why));
        }

        // Whole batches, each with its count, and every row as its file is.
        const QString kept = queryText(server, database, "SELECT count(*) FROM steel_archive.measurements");
        QCOMPARE(queryText(server, database, "SELECT sum(files_added) FROM steel_archive.sync_runs"), kept);
        QCOMPARE(kept.toInt() % batch, 0);
        const QStringList found = findAnswer(directory);
        for (const QString &row : databaseAnswer(server, database, directory))
            QVERIFY2(found.contains(row), qPrintable(row));
        // A crash may take the last commits with it (they do not wait for the disk), the run's own row
        // among them when no batch had reached the disk; never a part of a batch.
        const QString cutOff =
            queryText(server, database, "SELECT count(*) FROM steel_archive.sync_runs WHERE ended IS NULL");
        QVERIFY2(cutOff == QLatin1String("1") ||
                     (interruption == Interruption::serverCrashed && kept == QLatin1String("0")),
                 qPrintable(cutOff));

        const CommandResult next = sync(server, database, directory);
        QCOMPARE(next.err, QString());
        QCOMPARE(next.out, summaryLine(directory, files - kept.toInt(), 0, 0, 0, kept.toInt()));
        QCOMPARE(databaseAnswer(server, database, directory), found);
    }

    // The server's disk full in the middle of a run: the batch is undone, the run ends with one line,
    // and once there is room again the next run completes.
    void diskFull()
    {
        QTemporaryDir folder;
        const QString directory = folder.path();
        constexpr int files = 8000; // some 26 MB of rows, beyond the limit
        constexpr int batch = 50;
        writeArchive(directory, files);
        const QString database = server.freshDatabase();
        QString why;
        const auto restart = [&](qint64 limit) {
            server.setFileSizeLimit(limit);
            return server.stop() && server.start(&why);
        };
        // Above a WAL segment (16 MB), below the table's size.
        QVERIFY2(restart(20 * 1024 * 1024), qPrintable(why));
        const CommandResult full =
            sync(server, database, directory, {QStringLiteral("--batch"), QString::number(batch)});
        QVERIFY2(restart(0), qPrintable(why));
        QCOMPARE(full.exitCode, 2);
        QVERIFY2(full.err.contains(QLatin1String("File too large")), qPrintable(full.err));
        QCOMPARE(full.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(full.out, QString());

        const QString kept = queryText(server, database, "SELECT count(*) FROM steel_archive.measurements");
        QCOMPARE(queryText(server, database, "SELECT sum(files_added) FROM steel_archive.sync_runs"), kept);
        QCOMPARE(kept.toInt() % batch, 0);
        QVERIFY(kept.toInt() < files);
        const QStringList found = findAnswer(directory);
        for (const QString &row : databaseAnswer(server, database, directory))
            QVERIFY2(found.contains(row), qPrintable(row));

        const CommandResult next = sync(server, database, directory);
        QCOMPARE(next.err, QString());
        QCOMPARE(next.out, summaryLine(directory, files - kept.toInt(), 0, 0, 0, kept.toInt()));
        QCOMPARE(databaseAnswer(server, database, directory), found);
    }

    // Two runs of one archive at once, into a database without the tables yet: one waits for the
    // other, and neither's batches come between the other's.
    void twoAtOnce()
    {
        QTemporaryDir folder;
        const QString directory = folder.path();
        writeArchive(directory, 1500);
        const QString database = server.freshDatabase();
        QProcess runs[2];
        for (QProcess &run : runs) {
            run.start(steelArchiveProgram(),
                      {QStringLiteral("sync"), directory, QStringLiteral("--to"), server.conninfo(database),
                       QStringLiteral("--batch"), QStringLiteral("10"), QStringLiteral("--settle-ms=0")});
        }
        QString errors;
        for (QProcess &run : runs) {
            QVERIFY(run.waitForFinished(120000));
            QCOMPARE(run.exitCode(), 0);
            errors += QString::fromUtf8(run.readAllStandardError());
        }
        // Waiting is said, and is all that is said.
        for (const QString &line : errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            QVERIFY2(line.contains(QLatin1String("is running; waiting for it to end")), qPrintable(line));
        QCOMPARE(queryText(server, database,
                           "SELECT count(*) FROM steel_archive.sync_runs a JOIN steel_archive.sync_runs b ON "
                           "a.run_id < b.run_id AND a.started < b.ended AND b.started < a.ended"),
                 QStringLiteral("0"));
        QCOMPARE(
            queryText(server, database,
                      "SELECT sum(files_added) || ' ' || sum(files_unchanged) FROM steel_archive.sync_runs"),
            QStringLiteral("1500 1500"));
        QCOMPARE(databaseAnswer(server, database, directory), findAnswer(directory));
    }
};

QTEST_GUILESS_MAIN(SyncFailuresTest)
#include "tst_syncfailures.moc"
