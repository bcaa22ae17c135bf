// SPDX-License-Identifier: GPL-3.0-or-later
// The archive-wide commands at scale: ls built from one listing must say exactly what the scan-by-scan
// route says, and find and check must answer the same with their index as without it.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "archive/archivelisting.h"
#include "archive/archivereader.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "archive/measurementindex.h"
#include "cli/archivecommands.h"
#include "platform/filesystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cstdio>
#include <limits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

using namespace support;

namespace {

// Files written a moment ago go into the index of a run of the program too, as they do in this one.
const char *const settling = "--settle-ms=100";

// The listing as the viewer's cascade produces it, one scan per technology, month and day: slow on a
// big archive, but it is the definition that the one-listing route must match byte for byte.
QString listByScans(const QString &directory, bool json)
{
    // Plain text shows names as a terminal may show them; JSON keeps them as they are.
    const auto entry = [](const QString &text) {
        return text.isEmpty() ? QStringLiteral("(empty)") : archive::displayName(text);
    };
    const archive::TechnologyScan scan = archive::scanTechnologies(directory);
    QString text;
    QTextStream lines(&text);
    QJsonArray technologiesJson;
    for (const QString &technology : scan.technologies) {
        const bool newest = technology == scan.newestTechnology;
        lines << entry(technology) << (newest ? " (newest)" : "") << '\n';
        QJsonArray monthsJson;
        const QStringList months =
            technology.isEmpty() ? QStringList() : archive::scanYearMonths(directory, technology);
        for (const QString &month : months) {
            lines << "  " << entry(month) << '\n';
            QJsonArray daysJson;
            const QStringList days =
                month.isEmpty() ? QStringList() : archive::scanDays(directory, technology, month);
            for (const QString &day : days) {
                const QStringList times =
                    day.isEmpty() ? QStringList() : archive::scanTimes(directory, technology, month, day);
                QStringList shown;
                for (const QString &time : times)
                    shown.append(entry(time));
                lines << "    " << entry(day) << (times.isEmpty() ? "" : ": ") << shown.join(QLatin1Char(' '))
                      << '\n';
                daysJson.append(QJsonObject{{QStringLiteral("day"), day},
                                            {QStringLiteral("times"), QJsonArray::fromStringList(times)}});
            }
            monthsJson.append(
                QJsonObject{{QStringLiteral("month"), month}, {QStringLiteral("days"), daysJson}});
        }
        technologiesJson.append(QJsonObject{{QStringLiteral("technology"), technology},
                                            {QStringLiteral("newest"), newest},
                                            {QStringLiteral("months"), monthsJson}});
    }
    if (json)
        return QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("directory"), directory},
                                      {QStringLiteral("newestTechnology"), scan.newestTechnology},
                                      {QStringLiteral("technologies"), technologiesJson}})
                .toJson(QJsonDocument::Indented));
    lines.flush();
    return text;
}

QString indexFileOf(const QString &directory)
{
    return archive::MeasurementIndex::indexPath(directory);
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

QDateTime minutesAfter(int minutes)
{
    return QDateTime(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC).addSecs(qint64(minutes) * 60);
}

// Files a row for `name` as if it had been read with `digestOf` under `stamp`.
void fileRow(const QString &directory, const QString &name, const platform::FileStamp &stamp,
             const QByteArray &content)
{
    const std::unique_ptr<archive::MeasurementIndex> index =
        archive::MeasurementIndex::open(directory, measurement::contentRulesVersion());
    QVERIFY(index);
    const measurement::Measurement read = measurement::parseMeasurement(content);
    index->store(name.toUtf8(), stamp, measurement::digestOf(read, measurement::contentFindingTexts(read)));
    index->finish();
}

// Sets an environment variable for the rest of a test.
auto environmentFor(const char *name, const QByteArray &value)
{
    const QByteArray before = qgetenv(name);
    const bool was = qEnvironmentVariableIsSet(name);
    qputenv(name, value);
    return qScopeGuard([name, before, was] {
        if (was)
            qputenv(name, before);
        else
            qunsetenv(name);
    });
}

} // namespace

class ArchiveWideTest : public QObject
{
    Q_OBJECT

    // Find and check in every form, without the index: what the index must never change.
    static QStringList answers(const QString &dir, bool useIndex)
    {
        QStringList out;
        for (const QStringList &command : {QStringList{"check", dir}, QStringList{"find", dir, "--json"},
                                           QStringList{"find", dir, "--melt", "b"}}) {
            const CommandResult result = runTool(useIndex ? command : command + QStringList{"--no-index"});
            out << QString::number(result.exitCode) + result.out + result.err;
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        // Files written a moment ago go into the index too, so that these tests see it at work.
        archive::setIndexSettleMilliseconds(100);
    }

    void indexedAnswersEqualFreshOnes_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("unchanged") << 0;
        QTest::newRow("rewritten in place, same size, old time restored") << 1;
        QTest::newRow("deleted") << 2;
        QTest::newRow("renamed") << 3;
        QTest::newRow("added") << 4;
        QTest::newRow("made unreadable") << 5;
        QTest::newRow("replaced by another file of the same size") << 6;
        // The index itself changed under the archive.
        QTest::newRow("index row with one byte changed") << 7;
        QTest::newRow("another file system at the same place: other device") << 8;
        QTest::newRow("another file system at the same place: same device, other mount") << 9;
    }

    void indexedAnswersEqualFreshOnes()
    {
        QFETCH(int, change);
        QTemporaryDir dir;
        const QString a = writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json",
                                    measurementWithMelt("A-1"), minutesAfter(1));
        const QString b = writeFile(dir.path(), "steel_K1-2024_01_10-09_00_00.json",
                                    measurementWithMelt("B-1"), minutesAfter(2));
        writeFile(dir.path(), "steel_K1-2024_01_10-09_00_00.old.json",
                  measurementWithMelt("B-0", "1569", "10"), minutesAfter(3));
        QTest::qWait(150); // past the settle time: the first run files everything
        const QStringList before = answers(dir.path(), true);
        QCOMPARE(before, answers(dir.path(), false));
        QVERIFY(QFile::exists(indexFileOf(dir.path())));

        switch (change) {
        case 1: {
            QFile file(b);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(measurementWithMelt("Z-1")); // same length as "B-1"
            file.close();
            setModified(b, minutesAfter(2));
            break;
        }
        case 2:
            QVERIFY(QFile::remove(a));
            break;
        case 3:
            QVERIFY(QFile::rename(a, dir.filePath("steel_K2-2024_01_10-08_00_00.json")));
            break;
        case 4:
            writeFile(dir.path(), "steel_K1-2024_01_11-09_00_00.json", measurementWithMelt("B-2"),
                      minutesAfter(5));
            break;
        case 5:
#ifdef Q_OS_WIN
            QSKIP("Windows: Qt cannot take the right to read a file away");
#else
            if (::geteuid() == 0)
                QSKIP("root reads every file");
#endif
            QVERIFY(QFile::setPermissions(a, QFileDevice::Permissions()));
            break;
        case 6: {
            const QString other =
                writeFile(dir.path(), "other.tmp", measurementWithMelt("B-9", "1569", "7"), minutesAfter(1));
            QVERIFY(QFile::remove(a));
            QVERIFY(QFile::rename(other, a));
            setModified(a, minutesAfter(1));
            break;
        }
        case 7: {
            // What the index holds of melt "A-1", its texts being stored as UTF-16 code units.
            QFile file(indexFileOf(dir.path()));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            const int at = bytes.indexOf(QByteArray("A\0-\0"
                                                    "1\0",
                                                    6));
            QVERIFY(at >= 0);
            bytes[at] = 'Z';
            QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
            break;
        }
        case 8:
        case 9: {
            // The old file system's row: every field of the stamp alike but the file system's, and
            // what its file held. Under the very stamp of today's file it would be served.
            const std::optional<platform::FileStamp> stamp = platform::regularFileStamp(a);
            QVERIFY(stamp);
            const QString name = QFileInfo(a).fileName();
            fileRow(dir.path(), name, *stamp, measurementWithMelt("Q-9"));
            QVERIFY(answers(dir.path(), true) != before);
            platform::FileStamp old = *stamp;
            if (change == 8)
                old.device ^= 1;
            old.mount ^= 1;
            fileRow(dir.path(), name, old, measurementWithMelt("Q-9"));
            break;
        }
        default:
            break;
        }
        const QStringList fresh = answers(dir.path(), false);
        if (change != 0 && change < 7)
            QVERIFY(fresh != before);
        QCOMPARE(answers(dir.path(), true), fresh);
        QCOMPARE(answers(dir.path(), true), fresh); // and once more from what the run before filed
    }

    void damagedOrForeignIndexIsMadeAnew_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray(4096, 'x');
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << QByteArray("truncate");
        QTest::newRow("another program's database") << QByteArray("foreign");
    }

    void damagedOrForeignIndexIsMadeAnew()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json", measurementWithMelt("A-1"),
                  minutesAfter(1));
        writeFile(dir.path(), "steel_K1-2024_01_10-09_00_00.json", "{\"Smelt\":1}\n", minutesAfter(2));
        QTest::qWait(150);
        const QStringList fresh = answers(dir.path(), false);
        const QString index = indexFileOf(dir.path());
        QCOMPARE(answers(dir.path(), true), fresh);
        if (content == "truncate") {
            QFile file(index);
            QVERIFY(file.resize(file.size() / 2));
        } else if (content == "foreign") {
            QFile::remove(index);
            QProcess sqlite;
            sqlite.start(
                "sqlite3",
                {index, "CREATE TABLE files(name TEXT, size INT); INSERT INTO files VALUES('x', 1);"});
            if (!sqlite.waitForFinished() || sqlite.exitCode() != 0)
                QSKIP("the sqlite3 program is not installed");
        } else {
            QFile file(index);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        QCOMPARE(answers(dir.path(), true), fresh);
        QCOMPARE(answers(dir.path(), true), fresh);
    }

    void indexStaysOutOfTheArchive_data()
    {
        QTest::addColumn<QString>("trap");
        QTest::newRow("cache folder inside the archive") << "cache in archive";
#ifndef Q_OS_WIN // Windows: QFile::link makes a shell shortcut, not a link the file system follows
        QTest::newRow("cache folder a link to the archive") << "cache folder";
#endif
        QTest::newRow("index a link to a new name in the archive") << "";
        QTest::newRow("index a link to an archive file") << "steel_K1-2024_01_10-08_00_00.json";
        QTest::newRow("write-ahead log a link into the archive") << "-wal";
        QTest::newRow("shared memory a link into the archive") << "-shm";
        QTest::newRow("journal a link into the archive") << "-journal";
#ifdef Q_OS_UNIX // hard links made with POSIX calls
        QTest::newRow("index a hard link to an archive file") << "hard:";
        QTest::newRow("index a hard link to an empty archive file") << "hard:empty";
        QTest::newRow("write-ahead log a hard link to an archive file") << "hard:-wal";
        QTest::newRow("shared memory a hard link to an archive file") << "hard:-shm";
        QTest::newRow("journal a hard link to an archive file") << "hard:-journal";
#endif
#ifdef Q_OS_LINUX
        QTest::newRow("cache folder below a bind mount of the archive") << "bind";
#endif
    }

    // However the cache is set up or tampered with, the archive keeps every byte, name and time, and
    // the answers are the ones without an index.
    void indexStaysOutOfTheArchive()
    {
        QFETCH(QString, trap);
        QTemporaryDir root;
        const QString archive = root.filePath("arch");
        QVERIFY(QDir().mkpath(archive));
        writeFile(archive, "steel_K1-2024_01_10-08_00_00.json", measurementWithMelt("A-1"), minutesAfter(1));
        writeFile(archive, "steel_K1-2024_01_10-09_00_00.json", measurementWithMelt("B-1"), minutesAfter(2));
        const QString empty = writeFile(archive, "steel_K1-2024_01_10-10_00_00.json", "", minutesAfter(3));
        QTest::qWait(150);
        const QStringList fresh = answers(archive, false);
#ifdef Q_OS_LINUX
        const QByteArray bind = QFile::encodeName(root.filePath("bind"));
        if (trap == "bind") {
            QVERIFY(QDir().mkpath(root.filePath("bind")));
            if (::mount(QFile::encodeName(archive).constData(), bind.constData(), nullptr, MS_BIND,
                        nullptr) != 0)
                QSKIP("binding a folder needs the right to mount (root)");
        }
        const auto unmount = qScopeGuard([&] {
            if (trap == "bind")
                ::umount2(bind.constData(), MNT_DETACH);
        });
#endif

        const auto cache =
            environmentFor("XDG_CACHE_HOME", QFile::encodeName(trap == "cache in archive" ? archive
                                                               : trap == "bind" ? root.filePath("bind/sub")
                                                                                : root.filePath("cache")));
        const QString folder = archive::MeasurementIndex::cacheFolder();
        if (trap == "bind") {
            // Nothing to set up: the cache folder is reached through the second path to the archive.
        } else if (trap.startsWith("hard:")) {
#ifdef Q_OS_UNIX
            QVERIFY(QDir().mkpath(folder));
            const QString suffix = trap.mid(5);
            const QString linked = suffix == "empty" ? empty : archive + "/steel_K1-2024_01_10-08_00_00.json";
            const QString name =
                archive::MeasurementIndex::indexPath(archive) + (suffix.startsWith('-') ? suffix : "");
            QVERIFY(::link(QFile::encodeName(linked).constData(), QFile::encodeName(name).constData()) == 0);
#endif
        } else if (trap == "cache folder") {
            QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
            QVERIFY(QFile::link(archive, folder));
        } else if (trap != "cache in archive") {
            QVERIFY(QDir().mkpath(folder));
            const QString index = archive::MeasurementIndex::indexPath(archive);
            const bool companion = trap.startsWith('-');
            QVERIFY(QFile::link(archive + "/" + (trap.isEmpty() || companion ? "steel_X-new" + trap : trap),
                                index + (companion ? trap : QString())));
        }
        const QMap<QString, QString> before = snapshot(archive);
        QCOMPARE(answers(archive, true), fresh);
        QCOMPARE(answers(archive, true), fresh);
        QCOMPARE(snapshot(archive), before);
    }

    void batchesCarryNothingOver_data()
    {
        QTest::addColumn<bool>("useIndex");
        QTest::addColumn<int>("runs");
        QTest::newRow("read from disk") << false << 1;
        QTest::newRow("index filled by the run") << true << 1;
        QTest::newRow("index current") << true << 2;
    }

    // Files are handed over in batches, two at a time, whose places are reused. The files of the third
    // batch are of other kinds than those at the same places of the first (not parsed, empty, a status
    // out of range that differs from file to file), and some of the first are removed after the
    // listing: each must come out as itself, nothing left over.
    void batchesCarryNothingOver()
    {
        QFETCH(bool, useIndex);
        QFETCH(int, runs);
        constexpr int perBatch = 2048; // the reader's batch
        QTemporaryDir dir;
        const QDateTime first(QDate(2024, 1, 10), QTime(0, 0), Qt::UTC);
        QStringList names;
        const auto kindOf = [](int i) { return i < 2 * perBatch ? -1 : i % 3; };
        for (int i = 0; i < 3 * perBatch; ++i) {
            const QString name =
                first.addSecs(i).toString(QStringLiteral("'steel_K1-'yyyy_MM_dd-hh_mm_ss'.json'"));
            const int kind = kindOf(i);
            const QByteArray content =
                kind == -1  ? "{\"Smelt\":\"A-" + QByteArray::number(i) + "\"}\n"
                : kind == 0 ? QByteArray("{")
                : kind == 1 ? QByteArray()
                            : measurementWithMelt("B", "1569", "9999999999999" + QByteArray::number(i));
            writeFile(dir.path(), name, content, minutesAfter(1));
            names << name;
        }
        QTest::qWait(150);
        archive::ArchiveReadOptions options;
        options.useIndex = useIndex;
        options.rulesVersion = measurement::contentRulesVersion();
        options.findings = measurement::contentFindingTexts;
        const auto removed = [](int i) { return i % 7 == 3 && i < perBatch; };
        options.wanted = [&](QStringView name) {
            const int i = int(names.indexOf(name.toString()));
            if (removed(i))
                QFile::remove(dir.filePath(names[i]));
            return true;
        };
        QStringList seen;
        int visited = 0;
        for (int run = 0; run < runs; ++run) {
            seen.clear();
            visited = 0;
            archive::readArchive(dir.path(), options, [&](const archive::ArchiveFile &file) {
                ++visited;
                const int i = int(names.indexOf(file.fileName));
                const int kind = kindOf(i);
                const measurement::MeasurementDigest *d = file.digest;
                const QString smelt = d ? d->smelt.value_or(QString()) : QStringLiteral("(unread)");
                const QString findings = d ? d->findings.join(QLatin1Char('|')) : QString();
                const bool notParsed = findings.contains(QLatin1String("not a JSON object"));
                const bool outOfRange = findings.contains(QLatin1String("out of the range"));
                // The empty file and "{" are read, and hold nothing the viewer shows.
                const bool right =
                    kind == -1  ? smelt == "A-" + QString::number(i) && !notParsed && !outOfRange
                    : kind == 2 ? smelt == QLatin1String("B") && !notParsed &&
                                      findings.contains("\"9999999999999" + QString::number(i) + '"')
                                : smelt.isEmpty() && notParsed && !outOfRange;
                if (!right || removed(i))
                    seen << file.fileName + ": " + smelt + ' ' + findings;
            });
        }
        QCOMPARE(seen, QStringList());
        QCOMPARE(visited, int(names.size()) - (perBatch / 7 + 1));
        // And check names each out-of-range status as its own file has it.
        const QString report = runTool({"check", dir.path()}).out;
        for (int i = 2 * perBatch + (2 - 2 * perBatch % 3); i < names.size(); i += 3)
            QVERIFY2(report.contains(names[i] + ": status \"9999999999999" + QString::number(i) + '"'),
                     qPrintable(names[i]));
    }

    void twoRunsAtOnceBothAnswerRight()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 300; ++i)
            writeFile(dir.path(),
                      QStringLiteral("steel_K1-2024_01_10-%1_%2_00.json")
                          .arg(i / 60, 2, 10, QLatin1Char('0'))
                          .arg(i % 60, 2, 10, QLatin1Char('0')),
                      measurementWithMelt(QByteArray::number(1000 + i)), minutesAfter(i));
        QTest::qWait(150);
        const CommandResult expected = runTool({"check", dir.path(), "--no-index"});
        QList<QProcess *> runs;
        for (int i = 0; i < 3; ++i) {
            auto *run = new QProcess(this);
            run->start(steelArchiveProgram(), {"check", dir.path(), settling});
            runs.append(run);
        }
        for (QProcess *run : runs) {
            QVERIFY(run->waitForFinished(60000));
            QCOMPARE(run->exitCode(), expected.exitCode);
            QCOMPARE(QString::fromUtf8(run->readAllStandardOutput()), expected.out);
        }
        QCOMPARE(runTool({"check", dir.path()}).out, expected.out);
    }

    void oddNamesAreCountedAndNamed_data()
    {
        QTest::addColumn<QByteArray>("name"); // as stored
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("reason");
        QTest::newRow("invalid UTF-8")
            << QByteArray("steel_K1-2024_01_10-\xff.json") << "steel_K1-2024_01_10-\\xff.json"
            << "not valid UTF-8";
        QTest::newRow("truncated UTF-8 in the technology")
            << QByteArray("steel_K\xd0-2024_01_10-09_00_00.json") << "steel_K\\xd0-2024_01_10-09_00_00.json"
            << "leaves the file out of its lists";
        QTest::newRow("line break") << QByteArray("steel_K1-a\nb.json") << "steel_K1-a\\nb.json"
                                    << "does not follow";
        QTest::newRow("terminal escape") << QByteArray("steel_K1-\x1b[2J.json") << "steel_K1-\\x1b[2J.json"
                                         << "does not follow";
    }

    // A name that the file-name encoding cannot decode is read, counted and named; a name with control
    // characters stays one line. With the index as without.
    void oddNamesAreCountedAndNamed()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows names are UTF-16 without control characters: names like these cannot exist there");
#endif
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json", measurementWithMelt("A-1"),
                  minutesAfter(1));
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        // QTemporaryDir cannot remove a name it cannot decode.
        const auto removeOdd = qScopeGuard([path] { std::remove(path.constData()); });
        {
            FILE *file = std::fopen(path.constData(), "wb");
            QVERIFY(file);
            const QByteArray content = measurementWithMelt("B-1");
            QCOMPARE(std::fwrite(content.constData(), 1, size_t(content.size()), file),
                     size_t(content.size()));
            std::fclose(file);
        }
        QTest::qWait(150);
        const CommandResult check = runTool({"check", dir.path(), "--no-index"});
        const QStringList lines = check.out.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.last().startsWith("checked 2 files: "), qPrintable(check.out));
        bool named = false;
        for (const QString &line : lines) {
            QVERIFY2(line.startsWith("steel_K1-2024_01_10-08") || line.startsWith(shown + ": ") ||
                         line.startsWith("checked "),
                     qPrintable(line));
            named = named || (line.startsWith(shown + ": ") && line.contains(reason));
        }
        QVERIFY2(named, qPrintable(check.out));
        QVERIFY(!check.out.contains(QChar(0x1b)));
        const CommandResult found = runTool({"find", dir.path(), "--json", "--no-index"});
        const QJsonArray results = QJsonDocument::fromJson(found.out.toUtf8()).array();
        QCOMPARE(results.size(), 2);
        QStringList melts;
        for (const QJsonValue &result : results)
            melts << result.toObject().value("smelt").toString();
        melts.sort();
        QCOMPARE(melts, (QStringList{"A-1", "B-1"}));
        const QStringList fresh = answers(dir.path(), false);
        QCOMPARE(answers(dir.path(), true), fresh);
        QCOMPARE(answers(dir.path(), true), fresh);
    }

    // show, export and render take a file name the encoding cannot decode as they were given it.
    void undecodableFileNameArgumentIsOpened()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows names are UTF-16 and its arguments too: no name or argument is undecodable there");
#endif
        QTemporaryDir dir;
        writeFile(dir.path(), "a.json", measurementWithMelt("A-1"), minutesAfter(1));
        QCOMPARE(std::rename(QFile::encodeName(dir.filePath("a.json")).constData(),
                             (QFile::encodeName(dir.path()) + "/steel_K1-\xff.json").constData()),
                 0);
        const auto removeOdd = qScopeGuard(
            [&dir] { std::remove((QFile::encodeName(dir.path()) + "/steel_K1-\xff.json").constData()); });
        QProcess run;
        run.start("/bin/sh", {"-c", "exec \"$0\" show \"$1/$(printf 'steel_K1-\\377.json')\"",
                              steelArchiveProgram(), dir.path()});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        QVERIFY2(run.readAllStandardOutput().contains("A-1"), run.readAllStandardError().constData());
    }

    void listingMatchesTheScanByScanRoute_data()
    {
        QTest::addColumn<QStringList>("names"); // modified one minute apart, in this order
        QTest::newRow("K and K1") << QStringList{
            "steel_K-2019_03_07-14_05_09.json", "steel_K1-2019_02_28-09_00_00.json",
            "steel_K1-2019_03_07-09_00_00.json", "steel_K-2019_03_08-00_00_00.json"};
        QTest::newRow("k1 and K1 twins")
            << QStringList{"steel_K1-2019_03_07-09_00_00.json", "steel_k1-2019_03_07-10_00_00.json",
                           "STEEL_K1-2019_03_07-11_00_00.JSON", "steel_k1-2019_04_01-00_00_00.json"};
#ifndef Q_OS_WIN // "*" and "?" cannot be part of a file name on Windows
        QTest::newRow("wildcard technologies")
            << QStringList{"steel_K*-2019_03_07-09_00_00.json",   "steel_K?-2019_03_07-10_00_00.json",
                           "steel_K[1]-2019_03_07-11_00_00.json", "steel_K1-2019_03_07-12_00_00.json",
                           "steel_[!a]-2019_03_07-13_00_00.json", "steel_a-2019_03_07-14_00_00.json"};
#endif
        QTest::newRow("invalid moments and odd technologies") << QStringList{
            "steel_x.json",
            "steel_-2019_03_07-14_05_09.json",
            "steel_K1-2019_02_30-10_00_00.json",
            "steel_A_B-2019_03_07-14_05_09.json",
            "steel_A-B-2019_03_07-14_05_09.json",
            "steel_K.1-2019_03_07-14_05_09.json",
            "steel_K1-2019_03xx-2020_01_01-00_00_00.json",
            "steel_K1-2019_03_07-25_00_00.json",
            "steel_Ünï-2019_03_07-14_05_09.json",
            "steel_ünï-2019_03_07-15_05_09.json",
#ifndef Q_OS_WIN // '"', '\\' and control characters cannot be part of a file name on Windows
            "steel_q\"\\\t-2019_03_07-14_05_09.json",
#endif
        };
        QTest::newRow("x.json and x.old.json, equal times")
            << QStringList{"steel_K1-2019_03_07-14_05_09.json", "steel_K1-2019_03_07-14_05_09.old.json",
                           "steel_K1-2019_03_07-14_05_09.json.bak", "steel_K1-2019_03_07-08_00_00.json"};
        QTest::newRow("empty folder") << QStringList{};
    }

    void listingMatchesTheScanByScanRoute()
    {
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        for (int i = 0; i < names.size(); ++i) {
            // The last row's first two files share their instant: equal times fall back to the names.
            const bool equalTimes =
                QTest::currentDataTag() == QLatin1String("x.json and x.old.json, equal times");
            writeFile(dir.path(), names[i], "{}\n", minutesAfter(equalTimes && i < 2 ? 0 : i));
        }
        for (const archive::ListingBackend backend :
             {archive::ListingBackend::Native, archive::ListingBackend::Portable}) {
            archive::setListingBackend(backend);
            for (const bool json : {false, true}) {
                const CommandResult result =
                    runTool(json ? QStringList{"ls", dir.path(), "--json"} : QStringList{"ls", dir.path()});
                QCOMPARE(result.out, listByScans(dir.path(), json));
            }
        }
        archive::setListingBackend(archive::ListingBackend::Native);
    }
};

QTEST_GUILESS_MAIN(ArchiveWideTest)
#include "tst_archivewide.moc"
