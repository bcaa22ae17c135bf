// SPDX-License-Identifier: GPL-3.0-or-later
// Archives as they turn up on the plant's shares: entries that are no regular files, files that vanish
// or cannot be read, broken or huge contents and odd names. Whatever lies in the folder, the window must
// answer, list what the name rules list, and show either the previous values (a file that cannot be
// opened) or empty fields (a file that is not a measurement). The test finishing is itself the proof
// that nothing blocked the window.

#include "archivefixture.h"
#include "pipeguard.h"
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"
#include "support/posixfiles.h"

#include "app/cascade.h"
#include "archive/archivename.h"
#include "mainwindow.h"
#include "measurement/measurementfile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using fixture::instant;

namespace {

const QString goodName = QStringLiteral("steel_K1-2019_03_07-09_00_00.json");

// Six result fields and the status, all empty: what a file that is no measurement shows.
QStringList emptyFields()
{
    QStringList fields;
    for (int i = 0; i < 7; ++i)
        fields << QString();
    return fields;
}

// Root reads every file whatever its permissions; for the length of one step the test acts as an
// ordinary user instead.
class ActAsNobody
{
public:
    explicit ActAsNobody(bool wanted)
    {
        active = !wanted || ::geteuid() != 0 || (::setegid(65534) == 0 && ::seteuid(65534) == 0);
    }
    ~ActAsNobody()
    {
        if (::geteuid() != ::getuid())
            (void)::seteuid(::getuid());
        if (::getegid() != ::getgid())
            (void)::setegid(::getgid());
    }
    ActAsNobody(const ActAsNobody &) = delete;
    ActAsNobody &operator=(const ActAsNobody &) = delete;
    bool active = false;
};

} // namespace

class HostileArchiveTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> temporary;
    QString archive;
    QString startDir;

    QString inArchive(const QString &name) const { return archive + QLatin1Char('/') + name; }
    // The window starts in the temporary folder, so its default directory is the archive built there.
    std::unique_ptr<MainWindow> openViewer()
    {
        QDir::setCurrent(temporary->path());
        return std::make_unique<MainWindow>();
    }

    // One folder holding every kind of trouble at once; adds the named pipes in it to pipes.
    void buildEveryHostileEntry(QStringList &pipes)
    {
        const auto add = [&](const QString &name, const QByteArray &content, int age) {
            return support::writeStampedFile(inArchive(name), content, instant(age));
        };
        QVERIFY(add(QStringLiteral("steel_K1-2019_03_07-10_00_00.json"), QByteArray(), 10));
        QVERIFY(add(QStringLiteral("steel_K1-2019_03_08-10_00_00.json"), QByteArray("\x01\xff{[", 4), 20));
        QVERIFY(add(QStringLiteral("STEEL_K1-2019_03_08-11_00_00.JSON"),
                    support::measurementLine(QStringLiteral("upper")), 30));
        QVERIFY(
            support::makeFifo(inArchive(QStringLiteral("steel_K1-2019_03_08-11_00_00.json")), instant(31)));
        pipes << inArchive(QStringLiteral("steel_K1-2019_03_08-11_00_00.json"));
        QVERIFY(
            support::makeFifo(inArchive(QStringLiteral("steel_K2-2019_03_08-12_00_00.json")), instant(40)));
        pipes << inArchive(QStringLiteral("steel_K2-2019_03_08-12_00_00.json"));
        QVERIFY(QDir().mkdir(inArchive(QStringLiteral("steel_K3-2019_03_08-12_00_00.json"))));
        QVERIFY(support::makeSymlink(inArchive(QStringLiteral("nowhere")),
                                     inArchive(QStringLiteral("steel_K4-2019_03_08-12_00_00.json"))));
        QVERIFY(
            add(QStringLiteral("steel_x.json"), support::measurementLine(QStringLiteral("no moment")), 50));
        QVERIFY(add(QStringLiteral("steel_-2019_02_30-10_00_00.json"),
                    support::measurementLine(QStringLiteral("no day")), 60));
        QVERIFY(add(QStringLiteral("steel_K 5-2019_03_09-10_00_00.old.json"),
                    support::measurementLine(QStringLiteral("old")), 70));
        QVERIFY(support::writeSparseFile(inArchive(QStringLiteral("steel_K1-2019_03_09-10_00_00.json")), "{",
                                         qint64(64) * 1024 * 1024, instant(80)));
        QVERIFY(add(QStringLiteral("steel_K1*-2019_03_09-10_00_00.json"),
                    support::measurementLine(QStringLiteral("star")), 90));
    }

private slots:
    void init()
    {
        startDir = QDir::currentPath();
        temporary = std::make_unique<QTemporaryDir>();
        QVERIFY(temporary->isValid());
        archive = temporary->path() + QStringLiteral("/archive");
        QVERIFY(QDir().mkpath(archive));
        QVERIFY(support::writeStampedFile(inArchive(goodName),
                                          support::measurementLine(QStringLiteral("good")), instant(0)));
    }

    void cleanup()
    {
        QDir::setCurrent(startDir);
        temporary.reset();
    }

    void entriesThatAreNoRegularFilesAreNotListed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("directory named like a measurement") << QStringLiteral("directory");
        QTest::newRow("named pipe named like a measurement") << QStringLiteral("fifo");
        QTest::newRow("symbolic link to a missing file") << QStringLiteral("dangling");
        QTest::newRow("symbolic link loop") << QStringLiteral("loop");
        QTest::newRow("symbolic link to a named pipe") << QStringLiteral("link to fifo");
    }

    void entriesThatAreNoRegularFilesAreNotListed()
    {
        QFETCH(QString, kind);
        const QString hostile = inArchive(QStringLiteral("steel_K2-2019_04_01-10_00_00.json"));
        QStringList pipes;
        if (kind == QLatin1String("directory")) {
            QVERIFY(QDir().mkdir(hostile));
        } else if (kind == QLatin1String("fifo")) {
            QVERIFY(support::makeFifo(hostile, instant(1000)));
            pipes << hostile;
        } else if (kind == QLatin1String("dangling")) {
            QVERIFY(support::makeSymlink(inArchive(QStringLiteral("gone.json")), hostile));
        } else if (kind == QLatin1String("loop")) {
            const QString other = inArchive(QStringLiteral("steel_K3-2019_04_01-10_00_00.json"));
            QVERIFY(support::makeSymlink(other, hostile));
            QVERIFY(support::makeSymlink(hostile, other));
        } else {
            const QString pipe = temporary->path() + QStringLiteral("/pipe");
            QVERIFY(support::makeFifo(pipe, instant(1000)));
            QVERIFY(support::makeSymlink(pipe, hostile));
            pipes << pipe;
        }
        QVERIFY(support::setModified(hostile, instant(1000)));

        fixture::PipeGuard guard(pipes);
        const auto window = openViewer();
        const fixture::Viewer viewer(window.get());
        viewer.walkEverything();
        viewer.walkEverything();
        QVERIFY2(!guard.finish(), "the window blocked on a named pipe");

        QCOMPARE(viewer.entries(viewer.technology), QStringList({cascade::placeholderText(), "K1"}));
        QCOMPARE(viewer.technology->currentText(), QStringLiteral("K1"));
        QCOMPARE(viewer.time->currentText(), QStringLiteral("09:00:00"));
        QCOMPARE(viewer.smelt->text(), QStringLiteral("good"));
    }

    void unopenableFileEmptiesTheView_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file without read permission") << QStringLiteral("unreadable");
        QTest::newRow("named pipe under the name the loader builds") << QStringLiteral("fifo");
        QTest::newRow("directory under the name the loader builds") << QStringLiteral("directory");
        QTest::newRow("file removed between listing and loading") << QStringLiteral("removed");
    }

    void unopenableFileEmptiesTheView()
    {
        QFETCH(QString, kind);
        // The good file is the newest, so the window opens on it; the hostile entry is an earlier time
        // of the same day.
        QVERIFY(support::setModified(inArchive(goodName), instant(1000)));
        const QString loaderName = inArchive(QStringLiteral("steel_K1-2019_03_07-08_00_00.json"));
        // On a case-sensitive file system the listed file and the one the loader opens can differ.
        const QString listedUpper = inArchive(QStringLiteral("STEEL_K1-2019_03_07-08_00_00.JSON"));
        const QByteArray other = support::measurementLine(QStringLiteral("listed entry"));
        QStringList pipes;
        if (kind == QLatin1String("unreadable")) {
            QVERIFY(support::writeStampedFile(loaderName, other, instant(0)));
            QVERIFY(QFile::setPermissions(loaderName, QFileDevice::Permissions()));
            // Let an unprivileged reader reach the folder, so that only the file's own bits refuse it.
            QVERIFY(QFile::setPermissions(temporary->path(), QFileDevice::Permissions(0x7755)));
            QVERIFY(QFile::setPermissions(archive, QFileDevice::Permissions(0x7755)));
        } else if (kind == QLatin1String("fifo")) {
            QVERIFY(support::writeStampedFile(listedUpper, other, instant(0)));
            QVERIFY(support::makeFifo(loaderName, instant(2000)));
            pipes << loaderName;
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(support::writeStampedFile(listedUpper, other, instant(0)));
            QVERIFY(QDir().mkdir(loaderName));
            QVERIFY(support::setModified(loaderName, instant(2000)));
        } else {
            QVERIFY(support::writeStampedFile(loaderName, other, instant(0)));
        }

        fixture::PipeGuard guard(pipes);
        const auto window = openViewer();
        const fixture::Viewer viewer(window.get());
        QCOMPARE(viewer.smelt->text(), QStringLiteral("good"));
        const QStringList goodValues = viewer.shownValues();
        QCOMPARE(viewer.entries(viewer.time),
                 QStringList({cascade::placeholderText(), "09:00:00", "08:00:00"}));

        if (kind == QLatin1String("removed"))
            QVERIFY(QFile::remove(loaderName));
        {
            const ActAsNobody nobody(kind == QLatin1String("unreadable"));
            if (!nobody.active)
                QSKIP("running as root and the privileges cannot be dropped: an unreadable file cannot be "
                      "made");
            viewer.time->setCurrentIndex(2);
        }
        QVERIFY2(!guard.finish(), "the window blocked on a named pipe");
        QCOMPARE(viewer.time->currentText(), QStringLiteral("08:00:00"));
        QVERIFY(goodValues.first() == QStringLiteral("good"));
        if (kind == QLatin1String("fifo") || kind == QLatin1String("directory")) {
            // The time entry knows its file: the listed upper-case one, which opens; the pipe or
            // folder under the name a moment would spell is never touched.
            QCOMPARE(viewer.smelt->text(), QStringLiteral("listed entry"));
        } else {
            // Nothing of the good measurement stays beside the time of a file that cannot be opened,
            // and nothing of that file shows: the panel's texts before any measurement.
            const QString noData = measurement::noDataText();
            QCOMPARE(viewer.shownValues(), (QStringList{QStringLiteral("—"), noData, noData, noData, noData,
                                                        noData, QStringLiteral("СТАТУС")}));
        }

        // The window goes on working: the good file loads again.
        viewer.time->setCurrentIndex(1);
        QCOMPARE(viewer.smelt->text(), QStringLiteral("good"));
    }

    void fileThatIsNoMeasurementShowsEmptyFields_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("sparseSize");
        QTest::newRow("empty file") << QByteArray() << qint64(0);
        QByteArray random(64 * 1024, '\0');
        QRandomGenerator generator(20190307);
        for (char &byte : random)
            byte = static_cast<char>(generator.bounded(256));
        random[0] = '\xff';
        QTest::newRow("random bytes") << random << qint64(0);
        QTest::newRow("NUL bytes") << QByteArray(4096, '\0') << qint64(0);
        QTest::newRow("byte-order mark only") << QByteArray("\xef\xbb\xbf") << qint64(0);
        QTest::newRow("document over several lines")
            << QByteArray("{\n  \"Smelt\": \"x\",\n  \"Status\": \"8\"\n}\n") << qint64(0);
        // Only the first 16 MiB are read: the file must load at once and not fill the memory.
        QTest::newRow("200 MB without a line break")
            << QByteArray("{\"Smelt\":\"big\",\"Temp\":\"") << qint64(200) * 1024 * 1024;
    }

    void fileThatIsNoMeasurementShowsEmptyFields()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, sparseSize);
        const QString bad = inArchive(QStringLiteral("steel_K1-2019_03_07-10_00_00.json"));
        if (sparseSize > 0)
            QVERIFY(support::writeSparseFile(bad, content, sparseSize, instant(1000)));
        else
            QVERIFY(support::writeStampedFile(bad, content, instant(1000)));

        QElapsedTimer clock;
        clock.start();
        const auto window = openViewer();
        qInfo("window built on the archive in %lld ms", static_cast<long long>(clock.elapsed()));
        const fixture::Viewer viewer(window.get());
        QCOMPARE(viewer.time->currentText(), QStringLiteral("10:00:00"));
        QCOMPARE(viewer.shownValues(), emptyFields());

        viewer.time->setCurrentIndex(2);
        QCOMPARE(viewer.smelt->text(), QStringLiteral("good"));
        viewer.time->setCurrentIndex(1);
        QCOMPARE(viewer.shownValues(), emptyFields());
    }

    void oddNameLeadsToItsMeasurement_data()
    {
        QTest::addColumn<QString>("technology");
        QTest::newRow("spaces") << QStringLiteral(" K 1 ");
        QTest::newRow("newline") << QStringLiteral("K\n1");
        QTest::newRow("tab and carriage return") << QStringLiteral("K\t\r1");
        QTest::newRow("Cyrillic") << QStringLiteral("ДСП2");
        QTest::newRow("wildcard characters") << QStringLiteral("K*?[1]");
        QTest::newRow("quotes and backslash") << QStringLiteral("K'\"\\1");
        // 6 + 224 + 1 + 19 + 5 = 255 bytes, the longest name most file systems take.
        QTest::newRow("255-byte name") << QString(224, QLatin1Char('K'));
        QTest::newRow("255-byte name in two-byte letters") << QString(112, QChar(0x0416));
    }

    void oddNameLeadsToItsMeasurement()
    {
        QFETCH(QString, technology);
        const QString name =
            QStringLiteral("steel_") + technology + QStringLiteral("-2019_03_07-10_00_00.json");
        QVERIFY(QFile::encodeName(name).size() <= 255);
        QVERIFY(support::writeStampedFile(inArchive(name), support::measurementLine(QStringLiteral("odd")),
                                          instant(1000)));

        const auto window = openViewer();
        const fixture::Viewer viewer(window.get());
        QCOMPARE(viewer.entries(viewer.technology).size(), 3);
        QVERIFY(viewer.entries(viewer.technology).contains(technology));
        QCOMPARE(viewer.technology->currentText(), technology);
        QCOMPARE(viewer.yearMonth->currentText(), QStringLiteral("2019.03"));
        QCOMPARE(viewer.day->currentText(), QStringLiteral("07"));
        QCOMPARE(viewer.time->currentText(), QStringLiteral("10:00:00"));
        QCOMPARE(viewer.smelt->text(), QStringLiteral("odd"));

        viewer.technology->setCurrentIndex(viewer.technology->findText(QStringLiteral("K1")));
        viewer.yearMonth->setCurrentIndex(1);
        viewer.day->setCurrentIndex(1);
        viewer.time->setCurrentIndex(viewer.time->findText(QStringLiteral("09:00:00")));
        QCOMPARE(viewer.smelt->text(), QStringLiteral("good"));
    }

    void nameThatIsNoUtf8DoesNotDisturbTheRest()
    {
        const QByteArray rawName = QFile::encodeName(archive) + "/steel_K\xff\xfe-2019_03_07-10_00_00.json";
        const QByteArray content = support::measurementLine(QStringLiteral("raw"));
        const int fd = ::open(rawName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        // The temporary folder cannot remove a name that does not decode; the test does it.
        const auto removeRawName = qScopeGuard([&rawName] { ::unlink(rawName.constData()); });
        QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
        struct timespec times[2] = {{instant(1000), 0}, {instant(1000), 0}};
        QCOMPARE(::utimensat(AT_FDCWD, rawName.constData(), times, 0), 0);

        const auto window = openViewer();
        const fixture::Viewer viewer(window.get());
        viewer.walkEverything();
        QVERIFY(viewer.entries(viewer.technology).contains(QStringLiteral("K1")));
        viewer.technology->setCurrentIndex(viewer.technology->findText(QStringLiteral("K1")));
        viewer.yearMonth->setCurrentIndex(1);
        viewer.day->setCurrentIndex(1);
        viewer.time->setCurrentIndex(1);
        QCOMPARE(viewer.smelt->text(), QStringLiteral("good"));
    }

    void tenThousandFilesOfOneDay()
    {
        const int count = 10000;
        for (int i = 0; i < count; ++i) {
            const QTime clockTime = QTime(0, 0).addSecs(i * 8);
            const QString name = QStringLiteral("steel_K2-2019_03_07-%1.json")
                                     .arg(clockTime.toString(QStringLiteral("hh_mm_ss")));
            QVERIFY(support::writeStampedFile(inArchive(name), support::measurementLine(QString::number(i)),
                                              instant(1000 + i)));
        }

        QElapsedTimer clock;
        clock.start();
        const auto window = openViewer();
        qInfo("window built on %d files of one day in %lld ms", count,
              static_cast<long long>(clock.elapsed()));
        const fixture::Viewer viewer(window.get());
        QCOMPARE(viewer.technology->currentText(), QStringLiteral("K2"));
        QCOMPARE(viewer.time->count(), count + 1);
        QCOMPARE(viewer.time->currentText(), QStringLiteral("22:13:12"));
        QCOMPARE(viewer.smelt->text(), QString::number(count - 1));

        viewer.time->setCurrentIndex(count);
        QCOMPARE(viewer.time->currentText(), QStringLiteral("00:00:00"));
        QCOMPARE(viewer.smelt->text(), QStringLiteral("0"));

        clock.restart();
        viewer.day->setCurrentIndex(0);
        viewer.day->setCurrentIndex(1);
        qInfo("time list of %d entries refilled in %lld ms", count, static_cast<long long>(clock.elapsed()));
        QCOMPARE(viewer.time->count(), count + 1);
    }

    void everyHostileEntryAtOnce()
    {
        QStringList pipes;
        buildEveryHostileEntry(pipes);
        if (QTest::currentTestFailed())
            return;
        fixture::PipeGuard guard(pipes);
        const auto window = openViewer();
        const fixture::Viewer viewer(window.get());
        const int chosen = viewer.walkEverything();
        QVERIFY(chosen >= 6);
        QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("refreshButton")), Qt::LeftButton);
        viewer.walkEverything();
        QVERIFY2(!guard.finish(), "the window blocked on a named pipe");
        // The newest file has a wildcard in its technology; it still leads to its own measurement.
        QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("refreshButton")), Qt::LeftButton);
        QCOMPARE(viewer.technology->currentText(), QStringLiteral("K1*"));
        QCOMPARE(viewer.smelt->text(), QStringLiteral("star"));
    }

    void commandLineToolAnswersOnHostileArchive()
    {
        QStringList pipes;
        buildEveryHostileEntry(pipes);
        if (QTest::currentTestFailed())
            return;
        QTemporaryDir output;
        QVERIFY(output.isValid());

        fixture::PipeGuard guard(pipes);
        QCOMPARE(support::runTool({QStringLiteral("ls"), archive}).exitCode, 0);
        QCOMPARE(support::runTool({QStringLiteral("ls"), archive, QStringLiteral("--json")}).exitCode, 0);
        QCOMPARE(support::runTool({QStringLiteral("find"), archive}).exitCode, 0);
        // The empty, the broken and the cut-off files are problems the check must name.
        const support::CommandResult check = support::runTool({QStringLiteral("check"), archive});
        QCOMPARE(check.exitCode, 1);
        QVERIFY2(check.out.contains(QStringLiteral("steel_K1-2019_03_07-10_00_00.json")),
                 qPrintable(check.out));

        // Every entry given by name, whatever it is: a measurement is shown, anything else refused with the
        // exit code for unreadable input.
        const QStringList names =
            QDir(archive).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QVERIFY(names.size() >= 12);
        for (const QString &name : names) {
            const QString path = inArchive(name);
            const auto read = measurement::readMeasurementFile(path);
            const bool measurementFile = read && !read->findings.documentNotParsed;
            const QString csv = output.filePath(QStringLiteral("out.csv"));
            const QString png = output.filePath(QStringLiteral("out.png"));
            for (const QStringList &command :
                 {QStringList{QStringLiteral("show"), path},
                  QStringList{QStringLiteral("show"), path, QStringLiteral("--json")},
                  QStringList{QStringLiteral("export"), path, QStringLiteral("-o"), csv},
                  QStringList{QStringLiteral("render"), path, QStringLiteral("-o"), png}}) {
                const int exitCode = support::runTool(command).exitCode;
                QVERIFY2(exitCode == (measurementFile ? 0 : 2),
                         qPrintable(command.join(QLatin1Char(' ')) + QStringLiteral(" -> ") +
                                    QString::number(exitCode)));
            }
        }
        QVERIFY2(!guard.finish(), "steel-archive blocked on a named pipe");
    }
};

QTEST_MAIN(HostileArchiveTest)
#include "tst_hostilearchive.moc"
