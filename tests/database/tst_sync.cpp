// SPDX-License-Identifier: GPL-3.0-or-later
// sync against a real PostgreSQL 15 of the test's own: after every run the database answers what
// `find --json --no-index` answers, whatever happened to the archive in between and whatever its
// files hold.
#include "synctestsupport.h"

#include "database/binarycopy.h"
#include "measurement/measurementfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace synctest;

namespace {

enum class Change
{
    none,
    rewritten,        // new content, a new size
    rewrittenInPlace, // new content of the same size with the old modification time
    removed,
    renamed,
    added,
    replacedByFolder, // a folder where a file was: no longer a file
    manyRewritten,    // every file, across several transactions
};

const QDateTime baseTime(QDate(2024, 3, 1), QTime(6, 0), Qt::UTC);

QString fileName(int i)
{
    return QStringLiteral("steel_%1-2024_03_0%2-06_%3_00.json")
        .arg(i % 2 ? QStringLiteral("K1") : QStringLiteral("DSP"))
        .arg(1 + i % 3)
        .arg(10 + i);
}

void applyChange(const QString &directory, Change change)
{
    const QString first = directory + QLatin1Char('/') + fileName(0);
    switch (change) {
    case Change::none:
        break;
    case Change::rewritten:
        writeFile(directory, fileName(0), melt(0, "-rewritten, longer"), baseTime);
        break;
    case Change::rewrittenInPlace: {
        const QByteArray before = melt(0);
        QByteArray after = before;
        after.replace("41000", "49999");
        QVERIFY(after.size() == before.size());
        writeFile(directory, fileName(0), after, baseTime);
        break;
    }
    case Change::removed:
        QVERIFY(QFile::remove(first));
        break;
    case Change::renamed:
        QVERIFY(QFile::rename(first, directory + QStringLiteral("/steel_K9-2024_04_01-00_00_00.json")));
        break;
    case Change::added:
        writeFile(directory, QStringLiteral("steel_K2-2024_05_01-00_00_00.json"), melt(99), baseTime);
        break;
    case Change::replacedByFolder:
        QVERIFY(QFile::remove(first));
        QVERIFY(QDir(directory).mkdir(fileName(0)));
        break;
    case Change::manyRewritten:
        for (int i = 0; i < 5; ++i)
            writeFile(directory, fileName(i), melt(i, "-again"), baseTime);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Change)

class SyncTest : public QObject
{
    Q_OBJECT

    TestServer server;
    QString unavailable;

private slots:
    void initTestCase() { unavailable = server.startOrReason(); }

    void init()
    {
        // The help needs no server.
        if (!unavailable.isEmpty() && qstrcmp(QTest::currentTestFunction(), "help") != 0)
            QSKIP(qPrintable(unavailable));
    }

    // The help speaks the locale's language within 80 columns, and names each option once.
    void help_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("usage");
        QTest::newRow("English") << QStringLiteral("C.UTF-8") << QStringLiteral("Usage: steel-archive sync");
        QTest::newRow("Russian") << QStringLiteral("ru_RU.UTF-8")
                                 << QStringLiteral("Использование: steel-archive sync");
    }

    void help()
    {
        QFETCH(QString, locale);
        QFETCH(QString, usage);
        const CommandResult shown = runProgram({QStringLiteral("sync"), QStringLiteral("--help")},
                                               {QStringLiteral("LC_ALL=") + locale});
        QCOMPARE(shown.exitCode, 0);
        QVERIFY2(shown.out.startsWith(usage), qPrintable(shown.out.left(80)));
        for (const QString &line : shown.out.split(QLatin1Char('\n')))
            QVERIFY2(line.size() <= 80, qPrintable(line));
        for (const char *option : {"--to", "--schema", "--keep-removed", "--batch", "--watch"})
            QCOMPARE(shown.out.count(QLatin1String("  ") + QLatin1String(option) + QLatin1Char(' ')), 1);
    }

    // An archive of five files, synced; then one change to it and a second sync.
    void changes_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QVector<int>>(
            "counts"); // of the second run: added, changed, removed, failed, unchanged

        const QStringList none;
        QTest::newRow("nothing changed") << Change::none << none << none << QVector<int>{0, 0, 0, 0, 5};
        QTest::newRow("changed") << Change::rewritten << none << none << QVector<int>{0, 1, 0, 0, 4};
        QTest::newRow("changed, same size and modification time")
            << Change::rewrittenInPlace << none << none << QVector<int>{0, 1, 0, 0, 4};
        QTest::newRow("removed") << Change::removed << none << none << QVector<int>{0, 0, 1, 0, 4};
        QTest::newRow("removed, kept") << Change::removed << QStringList{QStringLiteral("--keep-removed")}
                                       << none << QVector<int>{0, 0, 1, 0, 4};
        QTest::newRow("renamed") << Change::renamed << none << none << QVector<int>{1, 0, 1, 0, 4};
        QTest::newRow("added") << Change::added << none << none << QVector<int>{1, 0, 0, 0, 5};
        QTest::newRow("replaced by a folder")
            << Change::replacedByFolder << none << none << QVector<int>{0, 0, 1, 0, 4};
        QTest::newRow("all changed, two files a transaction")
            << Change::manyRewritten << QStringList{QStringLiteral("--batch"), QStringLiteral("2")} << none
            << QVector<int>{0, 5, 0, 0, 0};
        // Changed within the settling time of both runs: sent, but counted waiting by each (a sixth
        // count, for the first run too), never added or changed; read again until settled.
        QTest::newRow("changed a moment before the first run")
            << Change::none << QStringList{QStringLiteral("--settle-ms=600000")} << none
            << QVector<int>{0, 0, 0, 0, 0, 5};
    }

    void changes()
    {
        QFETCH(Change, change);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(QVector<int>, counts);
        QTemporaryDir folder;
        const QString directory = folder.path();
        for (int i = 0; i < 5; ++i)
            writeFile(directory, fileName(i), melt(i), baseTime.addSecs(i * 60));
        const QString database = server.freshDatabase();

        const CommandResult first = sync(server, database, directory, arguments, environment);
        QCOMPARE(first.err, QString());
        const QString waiting = counts.size() > 5 ? QStringLiteral(", waiting %1\n").arg(counts[5]) : "\n";
        QCOMPARE(first.out, counts.size() > 5 ? summaryLine(directory, 0, 0, 0, 0, 0).chopped(1) + waiting
                                              : summaryLine(directory, 5, 0, 0, 0, 0));
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(databaseAnswer(server, database, directory), findAnswer(directory));

        applyChange(directory, change);
        const CommandResult second = sync(server, database, directory, arguments, environment);
        QCOMPARE(second.err, QString());
        QCOMPARE(second.out,
                 summaryLine(directory, counts[0], counts[1], counts[2], counts[3], counts[4]).chopped(1) +
                     waiting);
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(databaseAnswer(server, database, directory), findAnswer(directory));

        // Rows of removed files are kept only when asked, and then marked; never in "found".
        const QString kept = queryText(
            server, database, "SELECT count(*) FROM steel_archive.measurements WHERE removed IS NOT NULL");
        QCOMPARE(kept, QString::number(arguments.contains(QStringLiteral("--keep-removed")) ? 1 : 0));
        const QString runs =
            queryText(server, database,
                      "SELECT string_agg(outcome, ',' ORDER BY run_id) FROM steel_archive.sync_runs "
                      "WHERE ended IS NOT NULL");
        QCOMPARE(runs, QStringLiteral("complete,complete"));
    }

    // A role's search_path that puts a schema of its own ahead of PostgreSQL's catalog: its functions
    // of the built-ins' names (each logs its call) are never what sync calls.
    void aHostileSearchPathChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("function"); // name and arguments
        QTest::addColumn<QByteArray>("returns");  // type and the value it answers
        QTest::newRow("clock_timestamp") << QByteArray("clock_timestamp()")
                                         << QByteArray("timestamptz AS 'SELECT ''2000-01-01''::timestamptz'");
        QTest::newRow("now") << QByteArray("now()")
                             << QByteArray("timestamptz AS 'SELECT ''2000-01-01''::timestamptz'");
        QTest::newRow("pg_try_advisory_lock")
            << QByteArray("pg_try_advisory_lock(integer, integer)") << QByteArray("boolean AS 'SELECT true'");
        QTest::newRow("pg_advisory_lock")
            << QByteArray("pg_advisory_lock(integer, integer)") << QByteArray("void AS 'SELECT'");
        QTest::newRow("pg_advisory_unlock")
            << QByteArray("pg_advisory_unlock(integer, integer)") << QByteArray("boolean AS 'SELECT true'");
        QTest::newRow("pg_advisory_xact_lock")
            << QByteArray("pg_advisory_xact_lock(integer, integer)") << QByteArray("void AS 'SELECT'");
    }
    void aHostileSearchPathChangesNothing()
    {
        QFETCH(QByteArray, function);
        QFETCH(QByteArray, returns);
        QTemporaryDir folder;
        const QString directory = folder.path();
        for (int i = 0; i < 3; ++i)
            writeFile(directory, fileName(i), melt(i), baseTime.addSecs(i * 60));
        const QString database = server.freshDatabase();
        // SQL functions that log their call before they answer: the log is the proof of a call.
        const QByteArray body = returns.left(returns.indexOf(" AS "));
        const QByteArray answer = returns.mid(returns.indexOf(" AS ") + 4);
        for (const QByteArray &statement :
             {QByteArray("CREATE SCHEMA evil"), QByteArray("CREATE TABLE evil.calls (name text)"),
              QByteArray("GRANT ALL ON SCHEMA evil TO PUBLIC"),
              QByteArray("GRANT ALL ON evil.calls TO PUBLIC"),
              "CREATE FUNCTION evil." + function + " RETURNS " + body +
                  " LANGUAGE sql VOLATILE AS $$ INSERT INTO evil.calls VALUES ('" +
                  function.left(function.indexOf('(')) + "'); " +
                  answer.mid(1, answer.size() - 2).replace("''", "'") + " $$",
              "ALTER ROLE steel IN DATABASE " + database.toUtf8() + " SET search_path = evil, pg_catalog"})
            QCOMPARE(queryText(server, database, statement), QStringLiteral("no row"));

        for (int run = 0; run < 2; ++run) {
            const CommandResult result = sync(server, database, directory);
            QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        }

        QCOMPARE(queryText(server, database, "SELECT pg_catalog.count(*) FROM evil.calls"),
                 QStringLiteral("0"));
        QCOMPARE(queryText(server, database,
                           "SELECT pg_catalog.count(*) FROM steel_archive.sync_runs WHERE ended IS NULL "
                           "OR ended < '2001-01-01' OR started < '2001-01-01' OR outcome <> 'complete'"),
                 QStringLiteral("0"));
        QCOMPARE(databaseAnswer(server, database, directory), findAnswer(directory));
    }

    // What a run counts is what happened to the files' contents and names, whatever their times and
    // identities say; a file written too lately to be settled waits for the next run, which counts
    // it. sync_runs holds the numbers the summary line gives.
    void countsAreTheTruth_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QVector<int>>("counts"); // added, changed, removed, failed, unchanged, waiting
        QTest::addColumn<QVector<int>>("next");   // the run after it, every file settled
        QTest::newRow("copied with cp -a, two added, one edited, one removed")
            << QStringLiteral("copy") << QVector<int>{2, 1, 1, 0, 3, 0} << QVector<int>{0, 0, 0, 0, 6, 0};
        QTest::newRow("every file touched")
            << QStringLiteral("touch") << QVector<int>{0, 0, 0, 0, 5, 0} << QVector<int>{0, 0, 0, 0, 5, 0};
        QTest::newRow("one file edited just now")
            << QStringLiteral("young edit") << QVector<int>{0, 0, 0, 0, 4, 1}
            << QVector<int>{0, 1, 0, 0, 4, 0};
        QTest::newRow("one file added just now")
            << QStringLiteral("young file") << QVector<int>{0, 0, 0, 0, 5, 1}
            << QVector<int>{1, 0, 0, 0, 5, 0};
        QTest::newRow("one file written again just now as it was")
            << QStringLiteral("young same") << QVector<int>{0, 0, 0, 0, 4, 1}
            << QVector<int>{0, 0, 0, 0, 5, 0};
    }
    void countsAreTheTruth()
    {
        QFETCH(QString, scenario);
        QFETCH(QVector<int>, counts);
        QFETCH(QVector<int>, next);
        QTemporaryDir root;
        const QString directory = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(directory));
        for (int i = 0; i < 5; ++i)
            writeFile(directory, fileName(i), melt(i), baseTime.addSecs(i * 60));
        const QString database = server.freshDatabase();
        QCOMPARE(sync(server, database, directory).exitCode, 0);

        // Files written now are younger than an hour: not settled for a run that asks that much.
        QStringList settling;
        if (scenario == QLatin1String("copy")) {
            const QString copy = root.filePath(QStringLiteral("copy"));
            QCOMPARE(QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), directory, copy}), 0);
            QVERIFY(QDir(directory).removeRecursively());
            QVERIFY(QDir().rename(copy, directory));
            writeFile(directory, QStringLiteral("steel_K2-2024_05_01-00_00_00.json"), melt(98), baseTime);
            writeFile(directory, QStringLiteral("steel_K2-2024_05_02-00_00_00.json"), melt(99), baseTime);
            writeFile(directory, fileName(1), melt(1, "-edited"), baseTime);
            QVERIFY(QFile::remove(directory + QLatin1Char('/') + fileName(2)));
        } else if (scenario == QLatin1String("touch")) {
            for (int i = 0; i < 5; ++i)
                writeFile(directory, fileName(i), melt(i), baseTime.addSecs(3600 + i));
        } else {
            settling << QStringLiteral("--settle-ms=3600000");
            const QDateTime now = QDateTime::currentDateTimeUtc();
            if (scenario == QLatin1String("young edit"))
                writeFile(directory, fileName(1), melt(1, "-edited"), now);
            else if (scenario == QLatin1String("young same"))
                writeFile(directory, fileName(1), melt(1), now);
            else
                writeFile(directory, QStringLiteral("steel_K2-2024_05_01-00_00_00.json"), melt(98), now);
        }

        for (const QVector<int> &expected : {counts, next}) {
            const CommandResult result = sync(server, database, directory, settling);
            QCOMPARE(result.exitCode, 0);
            const QString waiting =
                expected[5] > 0 ? QStringLiteral(", waiting %1").arg(expected[5]) : QString();
            QCOMPARE(result.out,
                     summaryLine(directory, expected[0], expected[1], expected[2], expected[3], expected[4])
                             .chopped(1) +
                         waiting + QLatin1Char('\n'));
            const QStringList stored = QStringList{
                queryText(server, database,
                          "SELECT files_added || ',' || files_changed || ',' || files_removed || ',' || "
                          "files_failed || ',' || files_unchanged || ',' || files_waiting FROM "
                          "steel_archive.sync_runs ORDER BY run_id DESC LIMIT 1")};
            QCOMPARE(stored.constFirst(), QStringLiteral("%1,%2,%3,%4,%5,%6")
                                              .arg(expected[0])
                                              .arg(expected[1])
                                              .arg(expected[2])
                                              .arg(expected[3])
                                              .arg(expected[4])
                                              .arg(expected[5]));
            QCOMPARE(databaseAnswer(server, database, directory), findAnswer(directory));
            settling.clear(); // the next run finds every file settled
        }
    }

    // Texts reach the database as written: the file's text, the name's bytes, whatever they hold.
    void texts_data()
    {
        QTest::addColumn<QByteArray>("name");    // as the file system stores it
        QTest::addColumn<QByteArray>("results"); // JSON, without braces
        QTest::addColumn<QByteArray>("column");  // an expression on the file's row
        QTest::addColumn<QString>("expected");

        const QByteArray plain = "steel_K1-2024_01_01-00_00_00.json";
        QTest::newRow("SQL in the melt") << plain << QByteArray("\"Smelt\":\"'); DROP TABLE x; --\"")
                                         << QByteArray("melt") << QStringLiteral("'); DROP TABLE x; --");
        QTest::newRow("COPY's own markers") << plain << QByteArray("\"Smelt\":\"\\\\N\\t\\\\.\\n\\\\\\\\\"")
                                            << QByteArray("melt") << QStringLiteral("\\N\t\\.\n\\\\");
        QTest::newRow("quotes and line breaks") << plain << QByteArray("\"Smelt\":\"\\\"a\\\"\\r\\nb'c\"")
                                                << QByteArray("melt") << QStringLiteral("\"a\"\r\nb'c");
        QTest::newRow("Cyrillic and a surrogate pair")
            << plain << QByteArray("\"Smelt\":\"П-№5 \xf0\x9f\x94\xa5\"") << QByteArray("melt")
            << QString::fromUtf8("П-№5 \xf0\x9f\x94\xa5");
        QTest::newRow("a NUL character")
            << plain << QByteArray("\"Smelt\":\"a\\u0000b\"") << QByteArray("melt")
            << QString::fromUtf8("a\xef\xbf\xbd"
                                 "b");
        QTest::newRow("a NUL character is named among the findings")
            << plain << QByteArray("\"Smelt\":\"a\\u0000b\"")
            << QByteArray("findings[array_upper(findings, 1)] LIKE '%U+0000%'") << QStringLiteral("t");
        // "?", which is all UTF-8 can say of it; find refuses to write it rather than change it.
        QTest::newRow("half a surrogate pair")
            << plain << QByteArray("\"Smelt\":\"\\ud800x\"") << QByteArray("melt") << QStringLiteral("?x");
        QTest::newRow("a megabyte of melt number") << plain << "\"Smelt\":\"" + QByteArray(1 << 20, 'x') + '"'
                                                   << QByteArray("length(melt)") << QStringLiteral("1048576");
        QTest::newRow("decimal comma: the text as written")
            << plain << QByteArray("\"Temp\":\"1550,5\"") << QByteArray("temperature_text")
            << QStringLiteral("1550,5");
        QTest::newRow("decimal comma: a number, as find's --temp reads it")
            << plain << QByteArray("\"Temp\":\"1550,5\"") << QByteArray("temperature")
            << QStringLiteral("1550.5");
        QTest::newRow("no-value mark")
            << plain << QByteArray("\"Temp\":\"32767\"")
            << QByteArray("temperature_text IS NULL AND temperature IS NULL") << QStringLiteral("t");
        QTest::newRow("absent result: empty, not no value")
            << plain << QByteArray("\"Temp\":\"1600\"") << QByteArray("emf_text") << QString();
        QTest::newRow("status outside the table")
            << plain << QByteArray("\"Status\":\"10\"") << QByteArray("status || ' ' || status_code")
            << QStringLiteral("ОШИБКА 10");
        QTest::newRow("undecodable name: its bytes")
            << QByteArray("steel_K1-\xff\xfe.json") << QByteArray("\"Smelt\":\"1\"")
            << QByteArray("encode(file_name_bytes, 'hex')")
            << QString::fromLatin1(QByteArray("steel_K1-\xff\xfe.json").toHex());
        QTest::newRow("undecodable name: as find writes it")
            << QByteArray("steel_K1-\xff\xfe.json") << QByteArray("\"Smelt\":\"1\"")
            << QByteArray("file_name || ' ' || name_decodable")
            << QStringLiteral("steel_K1-\\xff\\xfe.json false");
        QTest::newRow("name with SQL and a line break")
            << QByteArray("steel_K1';--\n-2024_01_01-00_00_00.json") << QByteArray("\"Smelt\":\"1\"")
            << QByteArray("file_name") << QStringLiteral("steel_K1';--\n-2024_01_01-00_00_00.json");
        QTest::newRow("moment and modification time")
            << plain << QByteArray("\"Smelt\":\"1\"") << QByteArray("moment || ' ' || modified")
            << QStringLiteral("2024-01-01 00:00:00 2024-01-02 03:04:05+00");
    }

    void texts()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, results);
        QFETCH(QByteArray, column);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        const QString directory = folder.path();
        // By its bytes: a name that does not decode has no QString.
        const QByteArray path = QFile::encodeName(directory) + '/' + name;
        const auto removeFile = qScopeGuard([&path] { ::unlink(path.constData()); });
        const QByteArray content = measurementWith(results);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
        const struct timespec times[2] = {{1704164645, 0}, {1704164645, 0}}; // 2024-01-02 03:04:05 UTC
        QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
        const QString database = server.freshDatabase();

        const CommandResult synced = sync(server, database, directory);
        QCOMPARE(synced.err, QString());
        QCOMPARE(synced.exitCode, 0);
        const QStringList found = findAnswer(directory);
        if (found.isEmpty()) {
            // Only a value no UTF-8 text holds keeps find from answering: it refuses, naming it.
            const CommandResult refused = runProgram(
                {QStringLiteral("find"), directory, QStringLiteral("--json"), QStringLiteral("--no-index")});
            QCOMPARE(refused.exitCode, 2);
            QVERIFY2(refused.err.contains(QLatin1String("half of a pair")), qPrintable(refused.err));
        } else {
            QCOMPARE(databaseAnswer(server, database, directory), found);
        }
        QCOMPARE(queryText(server, database,
                           "SELECT " + column + " FROM steel_archive.measurements WHERE file_name_bytes = $1",
                           {database::Parameter{name, false, true, database::oid::bytea}}),
                 expected);
    }

    // A number in the database is a number where find's filters take one: the same range selects
    // the same files.
    void numbers()
    {
        QTemporaryDir folder;
        const QString directory = folder.path();
        const QList<QByteArray> temperatures{"1600", "1550.5", "1550,5", " 1580",   "1.6e3",
                                             "inf",  "nan",    "32767",  "NaN",     "",
                                             "abc",  "-0",     "0x10",   "1600.000"};
        for (int i = 0; i < temperatures.size(); ++i)
            writeFile(directory,
                      QStringLiteral("steel_K1-2024_01_01-00_00_%1.json").arg(i, 2, 10, QLatin1Char('0')),
                      measurementWith("\"Temp\":\"" + temperatures[i] + '"'));
        const QString database = server.freshDatabase();
        QCOMPARE(sync(server, database, directory).exitCode, 0);

        for (const auto &[low, high] : {std::pair<int, int>{1500, 1700}, {-1, 1}, {0, 40000}}) {
            const CommandResult found = runProgram(
                {QStringLiteral("find"), directory, QStringLiteral("--no-index"), QStringLiteral("--csv"),
                 QStringLiteral("--temp"), QStringLiteral("%1:%2").arg(low).arg(high)});
            QStringList foundFiles;
            for (const QString &line : found.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1))
                foundFiles.append(line.section(QLatin1Char(','), -1));
            foundFiles.sort();
            const QString selected =
                queryText(server, database,
                          "SELECT coalesce(string_agg(file_name, ',' ORDER BY file_name), '') FROM "
                          "steel_archive.measurements "
                          "WHERE temperature BETWEEN $1 AND $2",
                          {database::integerParameter(low), database::integerParameter(high)});
            QCOMPARE(selected, foundFiles.join(QLatin1Char(',')));
        }
    }

    // The curves as the viewer reads them: missing samples NULL, the missing tail left off.
    void curves()
    {
        QTemporaryDir folder;
        const QString directory = folder.path();
        const QStringList emf{QStringLiteral("1.5"),   QStringLiteral("nan"),   QStringLiteral("12,5"),
                              QStringLiteral("abc"),   QStringLiteral("1e400"), QStringLiteral("-0.25"),
                              QStringLiteral("32767"), QStringLiteral("nan")};
        const QByteArray content = measurementDocument(emf, ramp(160, 1400.1, 0.3), "\"Smelt\":\"1\"");
        writeFile(directory, QStringLiteral("steel_K1-2024_01_01-00_00_00.json"), content);
        const QString database = server.freshDatabase();
        QCOMPARE(sync(server, database, directory).exitCode, 0);

        const measurement::Measurement read = measurement::parseMeasurement(content);
        for (const auto &[column, samples] : {std::pair<QByteArray, QVector<double>>{"emf_curve", read.emf},
                                              {"temperature_curve", read.temperature}}) {
            QVector<double> expected = samples;
            while (!expected.isEmpty() && std::isnan(expected.last()))
                expected.removeLast();
            const QString stored = queryText(server, database,
                                             "SELECT array_to_string(" + column +
                                                 ", ' ', 'NULL') FROM steel_archive.measurements");
            const QStringList values = stored.split(QLatin1Char(' '));
            QCOMPARE(values.size(), expected.size());
            for (int i = 0; i < values.size(); ++i) {
                if (std::isnan(expected[i])) {
                    QCOMPARE(values[i], QStringLiteral("NULL"));
                } else if (std::isinf(expected[i])) {
                    QCOMPARE(values[i], QStringLiteral("Infinity"));
                } else {
                    bool ok = false;
                    QCOMPARE(values[i].toDouble(&ok), expected[i]);
                    QVERIFY(ok);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(SyncTest)
#include "tst_sync.moc"
