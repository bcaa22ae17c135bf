// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

using namespace support;

namespace {

constexpr int patienceMsecs = 10000; // an upper bound only: every wait ends as soon as its event comes

const QString present = QStringLiteral("steel_K1-2024_01_01-08_00_00.json");
const QString arriving = QStringLiteral("steel_K1-2024_01_02-09_30_00.json");
const QString sentinel = QStringLiteral("steel_K2-2024_01_03-10_00_00.json");

// The built program watching a folder, with the lines it has written so far.
class Watch
{
public:
    bool start(const QString &directory, const QStringList &options = {})
    {
        process.setProgram(steelArchiveProgram());
        process.setArguments(QStringList{QStringLiteral("watch"), directory} + options);
        process.start();
        return waitFor([this] { return errors.contains(QLatin1String("watching")); });
    }

    // The next line on standard output, or "<none>" when none comes in time.
    QString nextLine()
    {
        waitFor([this] { return lines.size() > taken; });
        return lines.size() > taken ? lines.at(taken++) : QStringLiteral("<none>");
    }

    bool waitFor(const std::function<bool()> &condition)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition() && clock.elapsed() < patienceMsecs && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(50);
            read();
        }
        read();
        return condition();
    }

    // The exit code once it has ended, -1 if it goes on.
    int exitCode()
    {
        waitFor([this] { return process.state() == QProcess::NotRunning; });
        if (process.state() != QProcess::NotRunning || process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }

#ifdef Q_OS_UNIX
    void signal(int number)
    {
        ::kill(pid_t(process.processId()), number);
    }
#endif

    ~Watch()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    QProcess process;
    QString errors;

private:
    QStringList lines;
    QString partial;
    int taken = 0;

    void read()
    {
        partial += QString::fromUtf8(process.readAllStandardOutput());
        errors += QString::fromUtf8(process.readAllStandardError());
        const int end = partial.lastIndexOf(QLatin1Char('\n'));
        if (end < 0)
            return;
        lines += partial.left(end).split(QLatin1Char('\n'));
        partial.remove(0, end + 1);
    }
};

QString fileOfLine(const QString &line)
{
    if (line.startsWith(QLatin1Char('{')))
        return QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("file")).toString();
    return line.section(QLatin1Char('\t'), -1);
}

void append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
}

enum class Arrival
{
    inOnePiece,
    inTwoPieces,
    renamedFromOutside,
    renamedFromTemporaryName,
};

} // namespace

Q_DECLARE_METATYPE(Arrival)

class WatchCommandTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString directory;

    void freshArchive()
    {
        directory = root.filePath(QStringLiteral("archive"));
        QDir(directory).removeRecursively();
        QVERIFY(QDir().mkpath(directory));
        writeFile(directory, present, goodMeasurement());
    }

private slots:
    void init()
    {
        QVERIFY(root.isValid());
        freshArchive();
    }

    void newFileIsPrintedOnceComplete_data()
    {
        QTest::addColumn<Arrival>("arrival");
        QTest::addColumn<bool>("json");
        QTest::newRow("in one piece") << Arrival::inOnePiece << false;
        QTest::newRow("in two pieces") << Arrival::inTwoPieces << false;
        QTest::newRow("renamed from outside") << Arrival::renamedFromOutside << false;
        QTest::newRow("renamed from a temporary name") << Arrival::renamedFromTemporaryName << false;
        QTest::newRow("as JSON") << Arrival::inTwoPieces << true;
    }
    void newFileIsPrintedOnceComplete()
    {
        QFETCH(Arrival, arrival);
        QFETCH(bool, json);

        Watch watch;
        QVERIFY(watch.start(directory, json ? QStringList{QStringLiteral("--json")} : QStringList()));
        const QByteArray document = goodMeasurement();
        const QString target = directory + QLatin1Char('/') + arriving;
        switch (arrival) {
        case Arrival::inOnePiece:
            writeFile(directory, arriving, document);
            break;
        case Arrival::inTwoPieces:
            append(target, document.left(document.size() / 2));
            // A complete file written meanwhile comes first: the half-written one is not printed yet.
            writeFile(directory, sentinel, document);
            QCOMPARE(fileOfLine(watch.nextLine()), sentinel);
            append(target, document.mid(document.size() / 2));
            break;
        case Arrival::renamedFromOutside:
            QVERIFY(QFile::rename(writeFile(root.path(), arriving, document), target));
            break;
        case Arrival::renamedFromTemporaryName:
            QVERIFY(QFile::rename(writeFile(directory, QStringLiteral("incoming.part"), document), target));
            break;
        }
        const QString line = watch.nextLine();
        QCOMPARE(fileOfLine(line), arriving);
        if (json)
            QCOMPARE(
                QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("smelt")).toString(),
                QStringLiteral("41521"));
        else
            QCOMPARE(line.section(QLatin1Char('\t'), 0, 0), QStringLiteral("2024-01-02 09:30:00"));
    }

    void changesThatPrintNothing_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("a file there from the start deleted") << "delete present";
        QTest::newRow("a file there from the start rewritten") << "rewrite present";
        QTest::newRow("a half-written file deleted") << "delete half";
        QTest::newRow("a file that does not parse, before its quiet period") << "garbage";
        QTest::newRow("a name that is no archive name") << "notes";
    }
    void changesThatPrintNothing()
    {
        QFETCH(QString, change);

        Watch watch;
        QVERIFY(watch.start(directory));
        const QString half = directory + QLatin1Char('/') + arriving;
        if (change == QLatin1String("delete present")) {
            QVERIFY(QFile::remove(directory + QLatin1Char('/') + present));
        } else if (change == QLatin1String("rewrite present")) {
            writeFile(directory, present, goodMeasurement());
        } else if (change == QLatin1String("delete half")) {
            append(half, goodMeasurement().left(100));
            QVERIFY(QFile::remove(half));
        } else if (change == QLatin1String("garbage")) {
            append(half, "not a measurement\n");
        } else {
            writeFile(directory, QStringLiteral("notes.json"), goodMeasurement());
        }
        // What follows the change is the next line: the change itself printed nothing.
        writeFile(directory, sentinel, goodMeasurement());
        QCOMPARE(fileOfLine(watch.nextLine()), sentinel);
        QVERIFY2(!watch.errors.contains(QLatin1String("incomplete")), qPrintable(watch.errors));
    }

    // A station may open its file long before the recording is written into it.
    void fileIncompleteAfterQuietPeriodStaysWatched_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("quietPeriod");
        QTest::newRow("created empty, filled late") << QByteArray() << "fill"
                                                    << "0.3";
        QTest::newRow("half written, completed late") << QByteArray("{\"Smelt\":") << "fill"
                                                      << "0.3";
        QTest::newRow("deleted before it parses") << QByteArray("{\"Smelt\":") << "delete"
                                                  << "0.3";
        QTest::newRow("deleted, then written anew") << QByteArray() << "delete and write anew"
                                                    << "0.3";
        QTest::newRow("a quiet period typed with a decimal comma") << QByteArray() << "fill"
                                                                   << "0,3";
    }
    void fileIncompleteAfterQuietPeriodStaysWatched()
    {
        QFETCH(QByteArray, start);
        QFETCH(QString, then);
        QFETCH(QString, quietPeriod);

        Watch watch;
        QVERIFY(watch.start(directory, {QStringLiteral("--quiet-period"), quietPeriod}));
        const QString path = directory + QLatin1Char('/') + arriving;
        append(path, start);
        QVERIFY(watch.waitFor([&watch] { return watch.errors.contains(QLatin1String("incomplete")); }));
        QVERIFY2(
            watch.errors.contains(arriving + QStringLiteral(": incomplete: not a measurement after 0.3 s")),
            qPrintable(watch.errors));
        if (then == QLatin1String("fill")) {
            QVERIFY(QFile::resize(path, 0));
            append(path, goodMeasurement());
        } else {
            QVERIFY(QFile::remove(path));
            if (then == QLatin1String("delete and write anew"))
                writeFile(directory, arriving, goodMeasurement());
        }
        if (then != QLatin1String("delete"))
            QCOMPARE(fileOfLine(watch.nextLine()), arriving);
        // Printed once: what comes next is the next file.
        writeFile(directory, sentinel, goodMeasurement());
        QCOMPARE(fileOfLine(watch.nextLine()), sentinel);
        QCOMPARE(watch.errors.count(QStringLiteral("incomplete")), 1);
    }

    void howTheWatchEnds_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
#ifdef Q_OS_UNIX // Windows has no signals to send; its console events need a console shared with the watch
        QTest::newRow("SIGTERM") << "SIGTERM" << 0 << "";
        QTest::newRow("SIGINT") << "SIGINT" << 0 << "";
#endif
        QTest::newRow("folder removed") << "remove" << 1 << "the folder is gone";
        QTest::newRow("folder moved away") << "move" << 1 << "the folder is gone";
        // Gone or replaced, as the watch happens to look between the two steps.
        QTest::newRow("folder moved away, made anew") << "move, make anew" << 1 << "; stopped watching";
#ifdef Q_OS_UNIX
        QTest::newRow("link in the path pointed elsewhere")
            << "link" << 1 << "the folder was replaced; stopped watching";
#endif
    }
    void howTheWatchEnds()
    {
        QFETCH(QString, ending);
        QFETCH(int, exitCode);
        QFETCH(QString, message);

        Watch watch;
        const QString link = root.filePath(QStringLiteral("current"));
        if (ending == QLatin1String("link"))
            QVERIFY(QFile::link(root.path(), link));
        QVERIFY(watch.start(ending == QLatin1String("link") ? link + QStringLiteral("/archive") : directory));
#ifdef Q_OS_UNIX
        if (ending == QLatin1String("link")) {
            // Pointed elsewhere in one step, as a deployment switches its "current" link.
            QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("other/archive"))));
            QVERIFY(QFile::link(root.filePath(QStringLiteral("other")), link + QStringLiteral(".new")));
            QCOMPARE(::rename(QFile::encodeName(link + QStringLiteral(".new")).constData(),
                              QFile::encodeName(link).constData()),
                     0);
        } else if (ending == QLatin1String("SIGTERM"))
            watch.signal(SIGTERM);
        else if (ending == QLatin1String("SIGINT"))
            watch.signal(SIGINT);
        else
#endif
            if (ending == QLatin1String("remove")) {
            QVERIFY(QDir(directory).removeRecursively());
        } else {
            QVERIFY(QDir().rename(directory, directory + QStringLiteral(".moved")));
            if (ending == QLatin1String("move, make anew"))
                QVERIFY(QDir().mkpath(directory));
        }
        QCOMPARE(watch.exitCode(), exitCode);
        QVERIFY2(watch.errors.contains(message), qPrintable(watch.errors));
        QDir(directory + QStringLiteral(".moved")).removeRecursively();
        QFile::remove(link);
    }

    // tail -F: the folder is followed by its name, and its files are printed once.
    void followingTheName_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("a missing folder, the name not followed: refused") << "refuse";
        QTest::newRow("a folder made after the start") << "make";
        QTest::newRow("the folder moved away, made anew") << "replace";
    }
    void followingTheName()
    {
        QFETCH(QString, change);

        Watch watch;
        if (change == QLatin1String("make") || change == QLatin1String("refuse"))
            QVERIFY(QDir(directory).removeRecursively());
        if (change == QLatin1String("refuse")) {
            // Without --follow-name a folder that is not there is an error at once, never waited for.
            QVERIFY(!watch.start(directory));
            QCOMPARE(watch.exitCode(), 2);
            QVERIFY2(watch.errors.contains(QLatin1String("no such folder")) &&
                         !watch.errors.contains(QLatin1String("waiting")),
                     qPrintable(watch.errors));
            QCOMPARE(watch.nextLine(), QStringLiteral("<none>"));
            return;
        }
        QVERIFY(watch.start(directory, {QStringLiteral("--follow-name")}));
        if (change == QLatin1String("make")) {
            QVERIFY2(watch.waitFor([&watch] {
                return watch.errors.contains(
                    QLatin1String("no such folder; waiting until it can be watched"));
            }),
                     qPrintable(watch.errors));
            QVERIFY(QDir().mkpath(directory));
        } else {
            QVERIFY(QDir().rename(directory, directory + QStringLiteral(".moved")));
            freshArchive(); // `present` again, which was there at the start
        }
        writeFile(directory, arriving, goodMeasurement());
        QCOMPARE(fileOfLine(watch.nextLine()), arriving);
        // The line on standard error and the one on standard output travel apart: either may come first.
        QVERIFY2(watch.waitFor([&watch] {
            return watch.errors.contains(QLatin1String("watching the folder now there"));
        }),
                 qPrintable(watch.errors));
        QDir(directory + QStringLiteral(".moved")).removeRecursively();
    }

    void undecodableNameIsPrintedAsFindPrintsIt()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows names are UTF-16: every name decodes");
#endif
        Watch watch;
        QVERIFY(watch.start(directory));
        const QByteArray path = QFile::encodeName(directory) + "/steel_K1-2024_01_02-09_30_0\xff.json";
        std::FILE *file = std::fopen(path.constData(), "wb");
        QVERIFY(file);
        const QByteArray document = goodMeasurement();
        QCOMPARE(std::fwrite(document.constData(), 1, size_t(document.size()), file),
                 size_t(document.size()));
        QCOMPARE(std::fclose(file), 0);
        const QString line = watch.nextLine();
        const QStringList found =
            runProgram({QStringLiteral("find"), directory}).out.split(QLatin1Char('\n'));
        std::remove(path.constData()); // QDir cannot remove a name it cannot decode
        QVERIFY2(found.contains(line), qPrintable(line));
        QVERIFY(line.endsWith(QLatin1String("0\\xff.json")));
    }
};

QTEST_GUILESS_MAIN(WatchCommandTest)
#include "tst_watchcommand.moc"
