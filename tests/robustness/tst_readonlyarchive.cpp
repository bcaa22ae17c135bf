// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer only reads the archive. This drives it through everything it does with a folder -- start-up,
// refreshes, a typed path, every measurement of every list, a printed page -- and the command-line tool
// through its reading commands, and proves that not one byte, permission or modification time changed,
// that nothing was added or removed, and (on Linux) that no file in the archive was even opened for
// writing.

#include "archivefixture.h"
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"
#include "support/posixfiles.h"

#include "mainwindow.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPrinter>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QtTest>

#if defined(Q_OS_LINUX)
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include <memory>

using fixture::instant;

namespace {

// Every kind of change to the folder's entries that a writer could make; reading makes none of them.
class ChangeWatch
{
public:
    explicit ChangeWatch(const QStringList &folders)
    {
#if defined(Q_OS_LINUX)
        fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        for (const QString &folder : folders) {
            ::inotify_add_watch(fd, QFile::encodeName(folder).constData(),
                                IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_MOVED_FROM | IN_MOVED_TO);
        }
#else
        Q_UNUSED(folders);
#endif
    }
    ~ChangeWatch()
    {
#if defined(Q_OS_LINUX)
        if (fd >= 0)
            ::close(fd);
#endif
    }
    ChangeWatch(const ChangeWatch &) = delete;
    ChangeWatch &operator=(const ChangeWatch &) = delete;

    bool isWatching() const
    {
        return fd >= 0;
    }

    // The names of the entries something happened to since the watch began.
    QStringList changes()
    {
        QStringList names;
#if defined(Q_OS_LINUX)
        alignas(struct inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0)
                break;
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + at);
                names << QStringLiteral("%1 (mask %2)")
                             .arg(event->len ? QFile::decodeName(event->name) : QStringLiteral("<folder>"))
                             .arg(event->mask, 0, 16);
                at += ssize_t(sizeof(struct inotify_event) + event->len);
            }
        }
#endif
        return names;
    }

private:
    int fd = -1;
};

} // namespace

class ReadOnlyArchiveTest : public QObject
{
    Q_OBJECT

private:
    QString startDir;

private slots:
    void init() { startDir = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(startDir); }

    void viewerChangesNothingInTheArchive()
    {
        QTemporaryDir temporary;
        QTemporaryDir output;
        QVERIFY(temporary.isValid() && output.isValid());
        const QString archive = temporary.path() + QStringLiteral("/archive");
        QVERIFY(QDir().mkpath(archive + QStringLiteral("/old")));
        const auto add = [&](const QString &name, const QByteArray &content, int age) {
            return support::writeStampedFile(archive + QLatin1Char('/') + name, content, instant(age));
        };
        int age = 0;
        for (const QString &technology :
             {QStringLiteral("K1"), QStringLiteral("K2"), QStringLiteral("K 3")}) {
            for (const QString &moment :
                 {QStringLiteral("2019_01_31-23_59_59"), QStringLiteral("2019_03_07-09_00_00"),
                  QStringLiteral("2019_03_07-14_05_09"), QStringLiteral("2019_03_08-00_00_00")}) {
                QVERIFY(add(QStringLiteral("steel_%1-%2.json").arg(technology, moment),
                            support::measurementLine(technology + moment), age += 60));
            }
        }
        QVERIFY(add(QStringLiteral("steel_K1-2019_03_07-14_05_09.old.json"),
                    support::measurementLine(QStringLiteral("old")), 1));
        QVERIFY(add(QStringLiteral("STEEL_K2-2019_03_09-10_00_00.JSON"),
                    support::measurementLine(QStringLiteral("upper")), 2));
        QVERIFY(add(QStringLiteral("steel_x.json"), support::measurementLine(QStringLiteral("x")), 3));
        QVERIFY(add(QStringLiteral("steel_K1-2019_03_10-10_00_00.json"),
                    QByteArray("{\n\"Smelt\":\"1\"\n}\n"), 4));
        QVERIFY(add(QStringLiteral("steel_K1-2019_03_11-10_00_00.json"), QByteArray(), 5));
        QVERIFY(add(QStringLiteral(".steel_K1-2019_03_12-10_00_00.json"),
                    support::measurementLine(QStringLiteral("hidden")), 6));
        QVERIFY(add(QStringLiteral("old/steel_K1-2018_03_07-10_00_00.json"),
                    support::measurementLine(QStringLiteral("sub")), 7));
        QVERIFY(add(QStringLiteral("notes.txt"), QByteArray("shift notes\n"), 8));
        // A file the viewer could write to if it wanted, and one it could not.
        const QString readOnly = archive + QStringLiteral("/steel_K2-2019_03_07-15_00_00.json");
        QVERIFY(support::writeStampedFile(readOnly, support::measurementLine(QStringLiteral("read-only")),
                                          instant(9)));
        QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                    QFileDevice::ReadOther));
        QVERIFY(support::setModified(archive + QStringLiteral("/old"), instant(10)));
        QVERIFY(support::setModified(archive, instant(11)));

        const QMap<QString, QString> before = support::snapshot(archive);
        ChangeWatch watch({archive, archive + QStringLiteral("/old")});

        QDir::setCurrent(temporary.path());
        {
            MainWindow window;
            const fixture::Viewer viewer(&window);
            QCOMPARE(viewer.technology->currentText(), QStringLiteral("K 3"));
            QCOMPARE(viewer.smelt->text(), QStringLiteral("K 32019_03_08-00_00_00"));
            const int chosen = viewer.walkEverything();
            QVERIFY2(chosen >= 12, qPrintable(QString::number(chosen)));

            QTest::mouseClick(window.findChild<QWidget *>(QStringLiteral("refreshButton")), Qt::LeftButton);
            auto *path = window.findChild<QLineEdit *>(QStringLiteral("pathToDir"));
            path->clear();
            QTest::keyClicks(path, archive);
            QTest::keyClick(path, Qt::Key_Return);
            QCOMPARE(viewer.technology->currentText(), QStringLiteral("K 3"));
            viewer.walkEverything();

            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(output.filePath(QStringLiteral("page.pdf")));
            QVERIFY(QMetaObject::invokeMethod(&window, "printArch", Qt::DirectConnection,
                                              Q_ARG(QPrinter *, &printer)));
            QVERIFY(QFileInfo(output.filePath(QStringLiteral("page.pdf"))).size() > 0);
        }

        // The command-line companion reads the same folder; only its own outputs may be written, elsewhere.
        const QString measurementFile = archive + QStringLiteral("/steel_K1-2019_03_07-09_00_00.json");
        const QList<QStringList> commands{
            {QStringLiteral("ls"), archive},
            {QStringLiteral("ls"), archive, QStringLiteral("--json")},
            {QStringLiteral("check"), archive},
            {QStringLiteral("find"), archive, QStringLiteral("--melt"), QStringLiteral("K1")},
            {QStringLiteral("show"), measurementFile},
            {QStringLiteral("export"), measurementFile, QStringLiteral("-o"),
             output.filePath(QStringLiteral("m.csv"))},
            {QStringLiteral("render"), measurementFile, QStringLiteral("-o"),
             output.filePath(QStringLiteral("m.png"))},
            {QStringLiteral("render"), measurementFile, QStringLiteral("-o"),
             output.filePath(QStringLiteral("m.pdf"))},
        };
        for (const QStringList &command : commands) {
            const support::CommandResult run = support::runTool(command);
            QVERIFY2(run.exitCode == 0 || (command.first() == QLatin1String("check") && run.exitCode == 1),
                     qPrintable(command.join(QLatin1Char(' ')) + QStringLiteral(": ") + run.err));
        }

        QCOMPARE(support::snapshot(archive), before);
        if (watch.isWatching())
            QCOMPARE(watch.changes(), QStringList());
    }
};

QTEST_MAIN(ReadOnlyArchiveTest)
#include "tst_readonlyarchive.moc"
