// SPDX-License-Identifier: GPL-3.0-or-later
// Outputs never land in an archive, and no failed write passes for success. Every writing command runs
// as the real program, against real folders, links and full disks.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

#include <atomic>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <thread>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif
#include <unistd.h>

using namespace support;

namespace {

const QString archiveFileName = QStringLiteral("steel_K1-2019_03_07-14_05_09.json");

// Files of ours that a failed or refused output must not leave behind.
QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".steel-archive-*")}, QDir::Files | QDir::Hidden);
}

QString extensionOf(const QString &command)
{
    return command == QLatin1String("export")   ? QStringLiteral("csv")
           : command == QLatin1String("render") ? QStringLiteral("png")
           : command == QLatin1String("find")   ? QStringLiteral("xlsx")
           : command == QLatin1String("stats")  ? QStringLiteral("csv")
                                                : QStringLiteral("pdf");
}

// The commands that write a file, and those of them that read a whole folder.
const char *const writingCommands[] = {"export", "render", "report", "find", "stats"};
bool readsAFolder(const QString &command)
{
    return command != QLatin1String("export") && command != QLatin1String("render");
}

// The command line of a writing command that reads `archive` (the folder for report, its file otherwise).
QStringList writingCommand(const QString &command, const QString &archive, const QString &output)
{
    const QString input = readsAFolder(command) ? archive : archive + QLatin1Char('/') + archiveFileName;
    QStringList arguments{command, input, QStringLiteral("-o"), output};
    if (readsAFolder(command))
        arguments << QStringLiteral("--no-index");
    return arguments;
}

// The built program with its standard output sent to `outputFile`, under `shell` (a wrapper
// command line that ends by running "$0" "$@"), when given.
CommandResult runWith(const QStringList &arguments, const QString &outputFile,
                      const QString &shell = QString())
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (shell.isEmpty())
        process.start(steelArchiveProgram(), arguments);
    else
        process.start(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"), shell, steelArchiveProgram()} + arguments);
    CommandResult result;
    if (!process.waitForFinished(120000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// Whether this test may mount file systems; the reason it may not otherwise.
QString mountProblem()
{
    return ::geteuid() == 0 ? QString() : QStringLiteral("mounting needs root");
}

// A mount of the test's own, undone when it goes.
class Mount
{
public:
    // `arguments` to mount(8), the mount point last.
    explicit Mount(const QStringList &arguments) : point(arguments.constLast())
    {
        mounted = QProcess::execute(QStringLiteral("mount"), arguments) == 0;
    }
    ~Mount()
    {
        if (mounted)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), point});
    }
    bool ok() const { return mounted; }
    bool remountReadOnly()
    {
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-o"), QStringLiteral("remount,ro"), point}) == 0;
    }

private:
    QString point;
    bool mounted = false;
};

// A symbolic link renamed in turn, as fast as it goes, to lead to each of `targets`, until it goes.
class LinkSwitcher
{
public:
    LinkSwitcher(const QString &link, const QStringList &targets)
    {
        const QByteArray next = QFile::encodeName(link + QStringLiteral(".next"));
        const QByteArray current = QFile::encodeName(link);
        QVector<QByteArray> encoded;
        for (const QString &target : targets)
            encoded.append(QFile::encodeName(target));
        switcher = std::thread([this, next, current, encoded] {
            for (int turn = 0; !stop.load(); ++turn) {
                ::unlink(next.constData());
                if (::symlink(encoded[turn % encoded.size()].constData(), next.constData()) == 0)
                    ::rename(next.constData(), current.constData());
            }
        });
    }
    ~LinkSwitcher()
    {
        stop = true;
        switcher.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread switcher;
};

} // namespace

class OutputSafetyTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archive;
    QString outside;
    QString fullDisk; // a tiny file system, full; empty where none can be mounted
    QString fullDiskProblem;

    // An archive whose report takes long enough to be caught at work: made once.
    QString manyMeasurements()
    {
        const QString many = root.filePath(QStringLiteral("many"));
        if (QDir(many).exists())
            return many;
        if (!QDir().mkpath(many))
            return QString();
        const QByteArray content = goodMeasurement();
        const QDateTime first(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
        for (int i = 0; i < 240; ++i) {
            const QDateTime moment = first.addSecs(qint64(i) * 3600);
            writeFile(many,
                      QStringLiteral("steel_K1-%1.json")
                          .arg(moment.toString(QStringLiteral("yyyy_MM_dd-hh_mm_ss"))),
                      content, moment);
        }
        return many;
    }

    void freshFolders()
    {
        archive = root.filePath(QStringLiteral("archive"));
        outside = root.filePath(QStringLiteral("out"));
        QDir(archive).removeRecursively();
        QDir(outside).removeRecursively();
        QVERIFY(QDir().mkpath(archive + QStringLiteral("/sub")));
        QVERIFY(QDir().mkpath(outside));
        const QString input = writeFile(archive, archiveFileName, goodMeasurement());
        writeFile(outside, QStringLiteral("ordinary.txt"), "an ordinary file\n");
        for (const char *command : writingCommands)
            writeFile(outside, QStringLiteral("existing.") + extensionOf(QLatin1String(command)),
                      "an earlier output\n");
        QCOMPARE(::link(QFile::encodeName(input).constData(),
                        QFile::encodeName(outside + QStringLiteral("/hard")).constData()),
                 0);
        QVERIFY(QFile::link(input, outside + QStringLiteral("/link")));
        QVERIFY(
            QFile::link(outside + QStringLiteral("/ordinary.txt"), outside + QStringLiteral("/to-ordinary")));
        // "sublink/.." is the archive to the system, the folder "out" to the spelling.
        QVERIFY(QFile::link(archive + QStringLiteral("/sub"), outside + QStringLiteral("/sublink")));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(root.filePath(QStringLiteral("cache"))));
#ifdef Q_OS_LINUX
        const QString mountPoint = root.filePath(QStringLiteral("full"));
        QVERIFY(QDir().mkpath(mountPoint));
        if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=256k") != 0) {
            fullDiskProblem = QStringLiteral("no small file system can be mounted here (%1)")
                                  .arg(QString::fromLocal8Bit(strerror(errno)));
            return;
        }
        fullDisk = mountPoint;
#else
        fullDiskProblem = QStringLiteral("a small file system is mounted on Linux only");
#endif
    }

    void cleanupTestCase()
    {
#ifdef Q_OS_LINUX
        if (!fullDisk.isEmpty())
            ::umount2(QFile::encodeName(fullDisk).constData(), MNT_DETACH);
#endif
    }

    void init()
    {
        freshFolders();
    }

    // A second way into the archive is the archive: `mount --bind archive bind` gives the same folders
    // under another name, which no comparison of spellings sees.
    void bindMountIsTheArchive_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("readThroughBind"); // the command reads the archive by its bind path
        QTest::addColumn<QString>("target");       // "~" the bind mount, "@" the archive, "EXT" the suffix
        QTest::addColumn<QString>("refusal");
        for (const char *command : {"export", "render", "report"}) {
            QTest::addRow("%s into the bind mount", command)
                << QString::fromLatin1(command) << false << "~/out.EXT"
                << "is in the archive folder";
            QTest::addRow("%s below the bind mount", command)
                << QString::fromLatin1(command) << false << "~/sub/out.EXT"
                << "inside the archive folder";
            QTest::addRow("%s onto the bind mount itself", command)
                << QString::fromLatin1(command) << false << "~"
                << "archive folder being read";
            QTest::addRow("%s reading through the bind mount, into the archive", command)
                << QString::fromLatin1(command) << true << "@/sub/out.EXT"
                << "inside the archive folder";
        }
    }
    void bindMountIsTheArchive()
    {
        QFETCH(QString, command);
        QFETCH(bool, readThroughBind);
        QFETCH(QString, target);
        QFETCH(QString, refusal);
        if (!mountProblem().isEmpty())
            QSKIP(qPrintable(mountProblem()));
        const QString bind = root.filePath(QStringLiteral("bind"));
        QVERIFY(QDir().mkpath(bind));
        const Mount mount({QStringLiteral("--bind"), archive, bind});
        if (!mount.ok())
            QSKIP("mount --bind failed here (a container without the right to mount)");
        const QString output = QString(target)
                                   .replace(QStringLiteral("EXT"), extensionOf(command))
                                   .replace(QLatin1Char('~'), bind)
                                   .replace(QLatin1Char('@'), archive);
        const QMap<QString, QString> archiveBefore = snapshot(archive);

        const CommandResult result =
            runProgram(writingCommand(command, readThroughBind ? bind : archive, output));

        QCOMPARE(snapshot(archive), archiveBefore);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(QRegularExpression(refusal)), qPrintable(result.err));
    }

    // Under `ulimit -f` a write beyond the limit raised SIGXFSZ, which ended the program without a
    // word and left its unfinished file. Now the write fails and the command says so in one line.
    void sizeLimitIsOneErrorLine_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "@" the archive folder, "#" its file, "OUT" the output
        QTest::newRow("export") << QStringList{"export", "#", "-o", "OUT.csv"};
        QTest::newRow("render png") << QStringList{"render", "#", "-o", "OUT.png"};
        QTest::newRow("render pdf") << QStringList{"render", "#", "-o", "OUT.pdf"};
        QTest::newRow("report") << QStringList{"report", "@", "--no-index", "-o", "OUT.pdf"};
        QTest::newRow("demo") << QStringList{"demo", "OUT"};
    }
    void sizeLimitIsOneErrorLine()
    {
        QFETCH(QStringList, arguments);
        const QString output = outside + QStringLiteral("/limited");
        for (QString &argument : arguments) {
            argument.replace(QStringLiteral("OUT"), output);
            if (argument == QLatin1String("@"))
                argument = archive;
            else if (argument == QLatin1String("#"))
                argument = archive + QLatin1Char('/') + archiveFileName;
        }
        const QMap<QString, QString> archiveBefore = snapshot(archive);

        // 1 KiB: less than any of these outputs (a demo file included).
        const CommandResult result =
            runWith(arguments, QString(), QStringLiteral("ulimit -f 1; exec \"$0\" \"$@\""));

        QCOMPARE(snapshot(archive), archiveBefore);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.endsWith(QStringLiteral("file too large\n")), qPrintable(result.err));
        QCOMPARE(leftovers(outside), QStringList());
        QCOMPARE(leftovers(output), QStringList());
    }

    // Whatever ends the program while it writes, its unfinished file goes with it. The program is
    // stopped once that file exists, so that the signal meets it at work, then signalled and let go.
    void aSignalLeavesNoUnfinishedFile_data()
    {
        QTest::addColumn<int>("signalNumber");
        const struct
        {
            const char *name;
            int number;
        } signals_[] = {
            {"SIGINT", SIGINT},   {"SIGTERM", SIGTERM},     {"SIGHUP", SIGHUP},   {"SIGQUIT", SIGQUIT},
            {"SIGUSR1", SIGUSR1}, {"SIGUSR2", SIGUSR2},     {"SIGPIPE", SIGPIPE}, {"SIGALRM", SIGALRM},
            {"SIGXCPU", SIGXCPU}, {"SIGVTALRM", SIGVTALRM}, {"SIGPROF", SIGPROF}, {"SIGABRT", SIGABRT},
            {"SIGSEGV", SIGSEGV}, {"SIGBUS", SIGBUS},       {"SIGSYS", SIGSYS},
        };
        for (const auto &entry : signals_)
            QTest::newRow(entry.name) << entry.number;
        QTest::newRow("SIGRTMIN") << int(SIGRTMIN);
    }
    void aSignalLeavesNoUnfinishedFile()
    {
        QFETCH(int, signalNumber);
        const QString many = manyMeasurements();
        const QString output = outside + QStringLiteral("/signalled.pdf");
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A sanitizer's own crash handlers would take the place of ours for the fault signals.
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":handle_segv=0:handle_sigbus=0:handle_sigfpe=0"));
        process.setProcessEnvironment(environment);
        // No core file for the signals that would leave one.
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), QStringLiteral("ulimit -c 0; exec \"$0\" \"$@\""),
                       steelArchiveProgram(), QStringLiteral("report"), many, QStringLiteral("--no-index"),
                       QStringLiteral("-o"), output});
        QVERIFY(process.waitForStarted());
        const pid_t pid = pid_t(process.processId());
        QTRY_VERIFY_WITH_TIMEOUT(!leftovers(outside).isEmpty(), 60000);
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        QVERIFY2(!leftovers(outside).isEmpty(), "the report was done before it could be stopped");

        QCOMPARE(::kill(pid, signalNumber), 0);
        QCOMPARE(::kill(pid, SIGCONT), 0);
        QVERIFY(process.waitForFinished(60000));

        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(leftovers(outside), QStringList());
        QVERIFY(!QFileInfo::exists(output));
    }

    // A set-user-ID or set-group-ID bit runs a program as its file's owner or group: kept where the
    // replacement keeps that owner or group, never given to the writer's own file.
    void specialBitsStayWithTheirOwner_data()
    {
        QTest::addColumn<uint>("owner"); // of the earlier output
        QTest::addColumn<uint>("group");
        QTest::addColumn<bool>("asNobody"); // written by user 65534 instead of root
        QTest::addColumn<uint>("mode");     // of the earlier output
        QTest::addColumn<uint>("expected"); // of the new one
        QTest::newRow("root's own file") << 0u << 0u << false << 06755u << 06755u;
        QTest::newRow("another's file, given back by root") << 65534u << 65534u << false << 06750u << 06750u;
        QTest::newRow("root's file replaced by another user") << 0u << 0u << true << 06757u << 0757u;
        QTest::newRow("group kept, owner not") << 0u << 65534u << true << 06775u << 02775u;
    }
    void specialBitsStayWithTheirOwner()
    {
        QFETCH(uint, owner);
        QFETCH(uint, group);
        QFETCH(bool, asNobody);
        QFETCH(uint, mode);
        QFETCH(uint, expected);
        if (::geteuid() != 0)
            QSKIP("files of other owners are made as root");
        if (asNobody && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv (util-linux) runs the program as another user");
        const QString asAnother =
            QStringLiteral("exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$0\" \"$@\"");
        // A build in root's own home (a clone in /root, mode 700) is out of another user's reach.
        if (asNobody && runWith({QStringLiteral("--version")}, QString(), asAnother).exitCode != 0)
            QSKIP("the program cannot be run by another user where it was built (a folder above it is "
                  "closed to others)");
        // Another user must reach the folders and the program.
        const QString shared = QDir::tempPath() + QStringLiteral("/steel-outputsafety-%1").arg(::getpid());
        QVERIFY(QDir().mkpath(shared));
        const auto removeShared = qScopeGuard([shared] { QDir(shared).removeRecursively(); });
        QVERIFY(QFile::setPermissions(shared, QFile::Permissions(0x7777)));
        QVERIFY(QDir(shared).mkdir(QStringLiteral("archive")) && QDir(shared).mkdir(QStringLiteral("out")));
        QVERIFY(QFile::setPermissions(shared + QStringLiteral("/out"), QFile::Permissions(0x7777)));
        const QString input = shared + QStringLiteral("/archive/") + archiveFileName;
        QVERIFY(QFile::copy(archive + QLatin1Char('/') + archiveFileName, input));
        QVERIFY(QFile::setPermissions(input, QFile::Permissions(0x7744)));
        const QString output =
            writeFile(shared + QStringLiteral("/out"), QStringLiteral("curves.csv"), "old\n");
        const QByteArray encoded = QFile::encodeName(output);
        QCOMPARE(::chown(encoded.constData(), owner, group), 0);
        QCOMPARE(::chmod(encoded.constData(), mode_t(mode)), 0);

        const QStringList arguments{QStringLiteral("export"), input, QStringLiteral("-o"), output};
        const CommandResult result =
            asNobody ? runWith(arguments, QString(), asAnother) : runProgram(arguments);

        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        struct stat written;
        QCOMPARE(::stat(encoded.constData(), &written), 0);
        QCOMPARE(uint(written.st_mode) & 07777u, expected);
        QCOMPARE(uint(written.st_uid), asNobody ? 65534u : owner);
        QVERIFY(written.st_size > 100);
    }

    // On a file system mounted read-only the reason is that, not "permission denied".
    void readOnlyMountIsNamedSo_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("an earlier output") << true;
        QTest::newRow("a new output") << false;
    }
    void readOnlyMountIsNamedSo()
    {
        QFETCH(bool, existing);
        if (!mountProblem().isEmpty())
            QSKIP(qPrintable(mountProblem()));
        const QString point = root.filePath(QStringLiteral("readonly"));
        QVERIFY(QDir().mkpath(point));
        Mount mount({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=1m"), QStringLiteral("tmpfs"), point});
        if (!mount.ok())
            QSKIP("a small file system cannot be mounted here");
        if (existing)
            writeFile(point, QStringLiteral("out.csv"), "earlier\n");
        QVERIFY(mount.remountReadOnly());

        const CommandResult result =
            runProgram(writingCommand(QStringLiteral("export"), archive, point + QStringLiteral("/out.csv")));

        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(QStringLiteral("read-only file system")), qPrintable(result.err));
    }

    void everyWritingCommandKeepsOutOfTheArchive_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>(
            "target"); // "@" the archive folder, "%" the ordinary folder, "EXT" the suffix
        QTest::addColumn<QString>("refusal"); // a pattern of the one error line; empty: written
        const struct
        {
            const char *name;
            const char *target;
            const char *refusal;
        } targets[] = {
            {"the archive file", "@/steel_K1-2019_03_07-14_05_09.json",
             "being read|named like an archive file"},
            {"the archive file spelled otherwise", "@/sub/../steel_K1-2019_03_07-14_05_09.json",
             "being read|named like an archive file"},
            {"a hard link to the archive file", "%/hard", "the same file under this name"},
            {"a symbolic link to the archive file", "%/link", "symbolic link to .*archive/steel_K1"},
            {"a new archive name in the archive", "@/steel_NEW-2030_01_01-00_00_00.json",
             "named like an archive file"},
            {"the archive folder itself", "@", "archive folder being read"},
            {"any name in the archive folder", "@/out.EXT", "in the archive folder"},
            {"a subfolder of the archive", "@/sub/out.EXT", "inside the archive folder"},
            {"an archive name elsewhere", "%/steel_K9-2030_01_01-00_00_00.json",
             "named like an archive file"},
            {"through a link into the archive and back up", "%/sublink/../out.EXT", "in the archive folder"},
            {"through a link into the archive, two folders up", "%/sublink/../sub/../out.EXT",
             "in the archive folder"},
            {"a symbolic link to an ordinary file", "%/to-ordinary",
             "symbolic link; outputs are written as new"},
            {"an ordinary folder", "%", "is a folder"},
            {"a new file elsewhere", "%/result.EXT", ""},
            {"an existing file elsewhere", "%/existing.EXT", ""},
        };
        for (const char *command : writingCommands) {
            for (const auto &target : targets)
                QTest::addRow("%s to %s", command, target.name)
                    << QString::fromLatin1(command) << QString::fromUtf8(target.target)
                    << QString::fromUtf8(target.refusal);
        }
    }
    void everyWritingCommandKeepsOutOfTheArchive()
    {
        QFETCH(QString, command);
        QFETCH(QString, target);
        QFETCH(QString, refusal);
        // The suffix first: a temporary folder's random name may hold "EXT" itself.
        const QString output = QString(target)
                                   .replace(QStringLiteral("EXT"), extensionOf(command))
                                   .replace(QLatin1Char('@'), archive)
                                   .replace(QLatin1Char('%'), outside);
        const QMap<QString, QString> archiveBefore = snapshot(archive);
        const QMap<QString, QString> outsideBefore = snapshot(outside);

        const CommandResult result = runProgram(writingCommand(command, archive, output));

        QCOMPARE(snapshot(archive), archiveBefore);
        QCOMPARE(leftovers(outside), QStringList());
        if (refusal.isEmpty()) {
            QVERIFY2(result.exitCode == 0, qPrintable(result.err));
            QVERIFY(QFileInfo(output).size() > 0);
            return;
        }
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.startsWith(QStringLiteral("steel-archive %1: %2: ").arg(command, output)),
                 qPrintable(result.err));
        QVERIFY2(result.err.contains(QRegularExpression(refusal)), qPrintable(result.err));
        QCOMPARE(snapshot(outside), outsideBefore);
    }

    // A folder switched at the output's path while the program runs: a link renamed in turn over the
    // output's folder (or a folder above it), leading now to a plain folder, now into the archive. The
    // program holds the folder it checked and writes there, so nothing ever lands in the archive, and a
    // run that met the archive says so rather than some other failure.
    void aSwitchedFolderNeverLeadsIntoTheArchive_data()
    {
        QTest::addColumn<QString>("below");   // the output's path below the switched link
        QTest::addColumn<QString>("refusal"); // the pattern of a run that met the archive
        QTest::newRow("the output's own folder")
            << QStringLiteral("x.csv") << QStringLiteral("is in the archive folder .* being read");
        QTest::newRow("a folder above the output's")
            << QStringLiteral("sub/x.csv") << QStringLiteral("is inside the archive folder .* being read");
    }
    void aSwitchedFolderNeverLeadsIntoTheArchive()
    {
        QFETCH(QString, below);
        QFETCH(QString, refusal);
        const QString race = root.filePath(QStringLiteral("race"));
        QDir(race).removeRecursively();
        const QString plain = race + QStringLiteral("/plain");
        QVERIFY(QDir().mkpath(plain + QStringLiteral("/sub")));
        const QString current = race + QStringLiteral("/cur");
        QVERIFY(QFile::link(plain, current));
        const QMap<QString, QString> archiveBefore = snapshot(archive);

        auto switcher = std::make_unique<LinkSwitcher>(current, QStringList{archive, plain});
        const QStringList arguments{QStringLiteral("export"), archive + QLatin1Char('/') + archiveFileName,
                                    QStringLiteral("-o"), current + QLatin1Char('/') + below};
        for (int run = 0; run < 60; ++run) {
            const CommandResult result = runProgram(arguments);
            QVERIFY2(result.exitCode == 0 || result.exitCode == 2, qPrintable(result.err));
            if (result.exitCode == 2)
                QVERIFY2(result.err.contains(QRegularExpression(refusal)), qPrintable(result.err));
            QCOMPARE(leftovers(archive), QStringList());
            QCOMPARE(leftovers(archive + QStringLiteral("/sub")), QStringList());
        }
        switcher.reset();
        QCOMPARE(snapshot(archive), archiveBefore);
    }

    // The same for the index: its folder, or the user's cache folder above it, switched between a
    // plain folder and the archive beside runs that keep an index. The index's folders are made and
    // its files opened relative to folders held open and checked, so none of it lands in the archive.
    void aSwitchedCacheFolderNeverLeadsIntoTheArchive_data()
    {
        QTest::addColumn<QString>("cacheHome"); // XDG_CACHE_HOME, below the race folder
        QTest::addColumn<QString>("switched");  // the link switched, below the race folder
        QTest::newRow("the user's cache folder") << QStringLiteral("cur") << QStringLiteral("cur");
        QTest::newRow("the program's folder in it")
            << QStringLiteral("cache") << QStringLiteral("cache/steel-archive");
    }
    void aSwitchedCacheFolderNeverLeadsIntoTheArchive()
    {
        QFETCH(QString, cacheHome);
        QFETCH(QString, switched);
        const QString race = root.filePath(QStringLiteral("cacherace"));
        QDir(race).removeRecursively();
        const QString plain = race + QStringLiteral("/plain");
        QVERIFY(QDir().mkpath(plain));
        QVERIFY(QDir().mkpath(QFileInfo(race + QLatin1Char('/') + switched).path()));
        QVERIFY(QFile::link(plain, race + QLatin1Char('/') + switched));
        const QMap<QString, QString> archiveBefore = snapshot(archive);

        auto switcher =
            std::make_unique<LinkSwitcher>(race + QLatin1Char('/') + switched, QStringList{archive, plain});
        for (int run = 0; run < 40; ++run) {
            const CommandResult result =
                runProgram({QStringLiteral("find"), archive, QStringLiteral("--melt"), QStringLiteral("none"),
                            QStringLiteral("--settle-ms=0")},
                           {QStringLiteral("XDG_CACHE_HOME=") + race + QLatin1Char('/') + cacheHome});
            QVERIFY2(result.exitCode >= 0, qPrintable(result.err));
        }
        switcher.reset();
        QCOMPARE(snapshot(archive), archiveBefore);
    }

    void replacedOutputKeepsItsPermissionsAndOwner()
    {
        const QString output = writeFile(outside, QStringLiteral("curves.csv"), "old\n");
        // Another user's file, where this test may give one away.
        const bool asRoot = ::geteuid() == 0;
        if (asRoot)
            QCOMPARE(::chown(QFile::encodeName(output).constData(), 65534, 65534), 0);
        const QFile::Permissions readableByGroup =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(output, readableByGroup));
        const CommandResult result = runProgram(writingCommand(QStringLiteral("export"), archive, output));
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(QFileInfo(output).permissions() & ~QFile::Permissions(QFile::ExeOwner | QFile::ExeUser),
                 readableByGroup);
        QVERIFY(QFileInfo(output).size() > 100);
        if (asRoot)
            QCOMPARE(QFileInfo(output).ownerId(), 65534u);
    }

    void failedWritesAreNeverSuccess_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "@" the archive folder, "#" its file, "OUT" the output
        QTest::addColumn<QString>("where");         // "stdout", "pipe", "full disk" or "size limit"
        QTest::addColumn<QString>("message");       // the end of standard error; empty: nothing at all
        const QString noSpace = QStringLiteral("steel-archive: write error: No space left on device\n");
        const QList<QStringList> printing{
            {"find", "@"},
            {"stats", "@", "--no-index"},
            {"show", "#"},
            {"export", "#", "-o", "-"},
            {"ls", "@"},
            {"check", "@", "--no-index"},
            {"--help"},
            // Pictures, documents and spreadsheets on standard output are checked the same way.
            {"report", "@", "--no-index", "-o", "-"},
            {"render", "#", "-o", "-"},
            {"find", "@", "--xlsx"},
        };
        for (const QStringList &arguments : printing)
            QTest::addRow("%s into /dev/full", qPrintable(arguments.constFirst()))
                << arguments << "stdout" << noSpace;
        QTest::newRow("find into a pipe its reader closed")
            << QStringList{"find", "@"} << "pipe" << QString();
        const QList<QStringList> writing{
            {"export", "#", "-o", "OUT.csv"},  {"render", "#", "-o", "OUT.png"},
            {"render", "#", "-o", "OUT.pdf"},  {"report", "@", "--no-index", "-o", "OUT.pdf"},
            {"export", "#", "-o", "OUT.xlsx"}, {"find", "@", "--no-index", "-o", "OUT.xlsx"},
        };
        // A picture larger than the writer's buffer: libpng meets the failed write itself.
        QTest::newRow("a large png on a full disk")
            << QStringList{"render", "#", "--size", "3000x3000", "-o", "OUT.png"} << "full disk"
            << QStringLiteral("no space left on device\n");
        for (const QStringList &arguments : writing) {
            const QString name = arguments.join(QLatin1Char(' '));
            QTest::addRow("%s on a full disk", qPrintable(name))
                << arguments << "full disk" << QStringLiteral("no space left on device\n");
            QTest::addRow("%s beyond the file size limit", qPrintable(name))
                << arguments << "size limit" << QStringLiteral("file too large\n");
        }
        // Too small to reach the size limit, but not to find the disk full.
        QTest::newRow("stats -o OUT.csv on a full disk")
            << QStringList{"stats", "@", "--no-index", "-o", "OUT.csv"} << "full disk"
            << QStringLiteral("no space left on device\n");
    }
    void failedWritesAreNeverSuccess()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, where);
        QFETCH(QString, message);
        QString folder = outside;
        if (where == QLatin1String("full disk")) {
            if (fullDisk.isEmpty())
                QSKIP(qPrintable(fullDiskProblem));
            folder = fullDisk;
        }
        const QString output = folder + QStringLiteral("/result");
        for (QString &argument : arguments) {
            argument.replace(QStringLiteral("OUT"), output);
            if (argument == QLatin1String("@"))
                argument = archive;
            else if (argument == QLatin1String("#"))
                argument = archive + QLatin1Char('/') + archiveFileName;
        }
        const QString target = arguments.constLast();
        QByteArray previous;
        if (where == QLatin1String("full disk") || where == QLatin1String("size limit")) {
            // A valid earlier output, then a disk with no room left for its replacement.
            previous = QByteArray(3000, 'x');
            QFile::remove(target);
            writeFile(folder, QFileInfo(target).fileName(), previous);
            if (where == QLatin1String("full disk")) {
                QFile filler(fullDisk + QStringLiteral("/filler"));
                QVERIFY(filler.open(QIODevice::WriteOnly));
                const QByteArray block(4096, '\0');
                while (filler.write(block) == block.size() && filler.flush()) {
                }
            }
        }
        const QMap<QString, QString> archiveBefore = snapshot(archive);

        CommandResult result;
        if (where == QLatin1String("stdout"))
            result = runWith(arguments, QStringLiteral("/dev/full"));
        else if (where == QLatin1String("pipe"))
            result = runWith(arguments, QString(), QStringLiteral("\"$0\" \"$@\" | true"));
        else if (where == QLatin1String("size limit"))
            result = runWith(arguments, QString(),
                             QStringLiteral("trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\""));
        else
            result = runWith(arguments, QString());
        if (where == QLatin1String("full disk"))
            QFile::remove(fullDisk + QStringLiteral("/filler"));

        QCOMPARE(snapshot(archive), archiveBefore);
        if (message.isEmpty()) {
            QCOMPARE(result.err, QString());
            return;
        }
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.endsWith(message), qPrintable(result.err));
        if (!previous.isEmpty()) {
            QVERIFY2(result.err.contains(target), qPrintable(result.err));
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), previous);
            QCOMPARE(leftovers(folder), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(OutputSafetyTest)
#include "tst_outputsafety.moc"
