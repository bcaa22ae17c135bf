// SPDX-License-Identifier: GPL-3.0-or-later
//
// How long the viewer takes from process start to the first picture of its newest melt when its
// archive holds many files: with the archive's last listing kept in the index (the program's usual
// start), and without an index (its first start on an archive), next to the same with an empty
// archive and next to `ls -t` and the least the system must do to list those files. With the index
// it also times the listing made meanwhile until it has confirmed the melt shown. Prints figures
// only.
//
//   startupbench [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...]      (default size 100000)
//
// The viewer itself has no options, so each start is a child copy of this program run with --child:
// it opens the window as the viewer's main() does, notes the first paint of the plot with the melt
// it shows, and quits once the folder's listing has confirmed or corrected it. The child runs on the
// offscreen platform in a folder whose archive/ holds the files, which is where the window looks on
// start, with a cache folder of the benchmark's own for the index.

#include "archive/archivefolder.h"
#include "archive/cascadeselection.h"
#include "benchsupport.h"
#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char childOption[] = "--child";
// A child that paints nothing for this long is stuck; it gives up rather than hang the benchmark.
constexpr int childTimeoutMsecs = 120 * 1000;
constexpr int childStuckExitCode = 3;
// The one real measurement of the archive (the others are empty files): the newest, whose melt
// number tells that the first picture shows a melt.
const char benchMelt[] = "BENCH-1";
const char benchFile[] = "steel_BENCH-2099_12_31-23_59_59.json";

// Notes the first paint of the plot (the window is then on screen) with the melt it shows, then
// waits for the folder's listing to confirm or correct it and ends the child's event loop.
class FirstPictureWatch : public QObject
{
public:
    FirstPictureWatch(const QElapsedTimer &sinceMain, MainWindow *window)
        : sinceMain(sinceMain), window(window)
    {
        connect(window->archiveSelection(), &archive::CascadeSelection::changed, this,
                [this] { confirmed(); });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!painted && event->type() == QEvent::Paint && watched->isWidgetType() &&
            watched->objectName() == QLatin1String("customPlotSteel")) {
            painted = true;
            // The parent times the whole process; this figure leaves out loading and tearing down.
            std::printf("paint-ms %.3f\nmelt %s\n", msecs(), qPrintable(melt()));
            // How many times the window lists, so the parent can tell that it did read the archive.
            const auto *times = window->findChild<QComboBox *>(QStringLiteral("timeSteel"));
            std::printf("listed-times %d\n", times ? times->count() : -1);
            std::fflush(stdout);
            confirmed();
        }
        return false;
    }

private:
    double msecs() const { return double(sinceMain.nsecsElapsed()) / 1e6; }
    QString melt() const
    {
        const auto *field = window->findChild<QLabel *>(QStringLiteral("nameSteelSmelt"));
        return field ? field->text() : QString();
    }
    void confirmed()
    {
        if (!painted || done || window->archiveSelection()->isAwaitingListing())
            return;
        done = true;
        std::printf("confirmed-ms %.3f\nconfirmed-melt %s\n", msecs(), qPrintable(melt()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    const QElapsedTimer &sinceMain;
    MainWindow *window;
    bool painted = false;
    bool done = false;
};

int runChild(int argc, char **argv, const QElapsedTimer &sinceMain)
{
    // Exactly as the viewer starts.
    QStringList pluginPaths = QCoreApplication::libraryPaths();
    pluginPaths.append(QStringLiteral("."));
    pluginPaths.append(QStringLiteral("platforms"));
    QCoreApplication::setLibraryPaths(pluginPaths);

    QApplication application(argc, argv);
    QTimer::singleShot(childTimeoutMsecs, &application, [] { QCoreApplication::exit(childStuckExitCode); });

    MainWindow window(archive::defaultArchiveDirectory(), MainWindow::FirstListing::fromLastListing);
    FirstPictureWatch watch(sinceMain, &window);
    application.installEventFilter(&watch);
    window.show();
    return application.exec();
}

struct ChildRun
{
    bool ok = false;
    double paintMsecs = 0;     // from the child's main() to the first paint, as the child saw it
    double confirmedMsecs = 0; // to the listing's word on what the first paint showed
    QString melt;              // shown at the first paint
    QString confirmedMelt;     // shown once the listing had its word
    int listedTimes = -1;      // entries of the time list then, the "nothing chosen" entry included
    QString failure;
};

void readChildOutput(const QByteArray &output, ChildRun *run)
{
    for (const QByteArray &line : output.split('\n')) {
        const QByteArray value = line.mid(line.indexOf(' ') + 1);
        if (line.startsWith("paint-ms ")) {
            run->paintMsecs = value.toDouble();
        } else if (line.startsWith("confirmed-ms ")) {
            run->confirmedMsecs = value.toDouble();
            run->ok = true;
        } else if (line.startsWith("melt ")) {
            run->melt = QString::fromUtf8(value);
        } else if (line.startsWith("confirmed-melt ")) {
            run->confirmedMelt = QString::fromUtf8(value);
        } else if (line.startsWith("listed-times ")) {
            run->listedTimes = value.toInt();
        }
    }
}

ChildRun startChild(const QString &workingDirectory, const QString &cacheHome)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(childOption)});

    ChildRun run;
    if (!process.waitForFinished(childTimeoutMsecs + 10 * 1000)) {
        process.kill();
        process.waitForFinished(-1);
        run.failure = QStringLiteral("did not finish: %1").arg(process.errorString());
        return run;
    }
    // The child's own messages (the offscreen platform's remarks) matter only when it failed.
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        run.failure = process.exitCode() == childStuckExitCode
                          ? QStringLiteral("never painted the plot")
                          : QStringLiteral("ended with status %1").arg(process.exitCode());
        run.failure += QStringLiteral("\n") + errors;
        return run;
    }
    readChildOutput(process.readAllStandardOutput(), &run);
    if (!run.ok)
        run.failure = QStringLiteral("exited without painting the plot\n") + errors;
    return run;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The child's own figures of one kind of start, the warm-up run left out.
struct StartFigures
{
    std::vector<double> paint;
    std::vector<double> confirmed;
    void dropWarmUp()
    {
        paint.erase(paint.begin());
        confirmed.erase(confirmed.begin());
    }
};

// The archive's one real measurement, newer than every other file (a large archive's names run
// decades ahead): written once into a kept archive.
bool addBenchMeasurement(const QString &directory)
{
    QFile file(directory + QLatin1Char('/') + QLatin1String(benchFile));
    const QByteArray line = support::measurementLine(QString::fromLatin1(benchMelt));
    if (!file.exists()) {
        if (!file.open(QIODevice::WriteOnly) || file.write(line) != line.size() || !file.flush())
            return false;
        file.close();
    }
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime(QDate(2100, 1, 1), QTime(0, 0), Qt::UTC),
                            QFileDevice::FileModificationTime);
}

struct Place
{
    QString folder;     // its archive/ holds the files
    QString emptyPlace; // its archive/ is empty
    QString cacheHome;  // the children's cache folder, where the index is kept
};

// Runs the three starts and the baselines in turns. False, with `failure` set, when a start did not
// list the archive as expected (it would time the wrong thing) or did not show the newest melt.
bool runStarts(const Place &place, int runs, int expectedTimes, std::vector<double> *medians,
               StartFigures *indexed, StartFigures *unindexed, StartFigures *empty, QString *failure)
{
    const QString directory = place.folder + QStringLiteral("/archive");
    const QByteArray nativeDirectory = QFile::encodeName(directory);
    const bench::RefreshChoice choice = bench::refresh(directory);
    const QStringList patterns = bench::refreshPatterns(choice);
    const auto child = [&](const QString &workingDirectory, int times, const QString &melt,
                           StartFigures *figures) {
        if (!failure->isEmpty())
            return;
        const ChildRun run = startChild(workingDirectory, place.cacheHome);
        if (!run.ok)
            *failure = workingDirectory + QStringLiteral(": ") + run.failure;
        else if (run.listedTimes != times)
            *failure = workingDirectory + QStringLiteral(": the window listed %1 times, not %2")
                                              .arg(run.listedTimes - 1)
                                              .arg(times - 1);
        else if (!melt.isNull() && (run.melt != melt || run.confirmedMelt != melt))
            *failure =
                workingDirectory + QStringLiteral(": the window showed melt \"%1\", then \"%2\", not \"%3\"")
                                       .arg(run.melt, run.confirmedMelt, melt);
        figures->paint.push_back(run.paintMsecs);
        figures->confirmed.push_back(run.confirmedMsecs);
    };
    const QString melt = QString::fromLatin1(benchMelt);
    *medians =
        bench::medianMsecs(runs, {[&] {
                                      // Without an index: its first start on the archive, which keeps the
                                      // index for the next.
                                      QDir(place.cacheHome).removeRecursively();
                                      child(place.folder, expectedTimes, melt, unindexed);
                                  },
                                  [&] { child(place.folder, expectedTimes, melt, indexed); },
                                  [&] { child(place.emptyPlace, 1, QString(), empty); },
                                  [&] { bench::floorRefresh(nativeDirectory, patterns); },
                                  [&] {
                                      QProcess ls;
                                      ls.setStandardOutputFile(QProcess::nullDevice());
                                      ls.start(QStringLiteral("ls"), {QStringLiteral("-t"), directory});
                                      ls.waitForFinished(-1);
                                  }});
    return failure->isEmpty();
}

// One size's figures: the first picture of the newest melt with the index and without, the listing's
// confirmation, the start on an empty archive, the listing's floor and ls -t. False, said on `out`,
// when a start did not go as expected.
bool timeStart(QTextStream &out, int size, const Place &place, int runs)
{
    const QString directory = place.folder + QStringLiteral("/archive");
    if (!addBenchMeasurement(directory)) {
        out << "cannot write the newest measurement into " << directory << "\n";
        return false;
    }
    const bench::RefreshChoice choice = bench::refresh(directory);
    std::vector<double> medians;
    StartFigures indexed;
    StartFigures unindexed;
    StartFigures empty;
    QString failure;
    if (!runStarts(place, runs, choice.times + 1, &medians, &indexed, &unindexed, &empty, &failure)) {
        out << "the viewer's start in " << failure << "\n";
        return false;
    }
    indexed.dropWarmUp();
    unindexed.dropWarmUp();
    empty.dropWarmUp();
    const double lsMs = medians[4];
    const double firstMelt = median(indexed.paint);
    const double confirmed = median(indexed.confirmed);
    const double withoutIndex = median(unindexed.paint);
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(size, 7)
               .arg(firstMelt, 13, 'f', 1)
               .arg(confirmed, 12, 'f', 1)
               .arg(withoutIndex, 13, 'f', 1)
               .arg(median(empty.paint), 9, 'f', 1)
               .arg(medians[3], 9, 'f', 1)
               .arg(lsMs, 9, 'f', 1)
               .arg(firstMelt / lsMs, 14, 'f', 2)
               .arg(withoutIndex / lsMs, 16, 'f', 2);
    out.flush();
    std::fprintf(stderr,
                 "  %d files: process (wall) with the index %.1f ms, without %.1f ms, empty archive %.1f ms; "
                 "newest %s, %s, day %s, %d times\n",
                 size, medians[1], medians[0], medians[2], qPrintable(choice.technology),
                 qPrintable(choice.yearMonth), qPrintable(choice.day), choice.times);
    return true;
}

int runParent(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const std::optional<bench::Options> options =
        bench::parseOptions(app.arguments().mid(1), {100000}, QDir::tempPath());
    if (!options) {
        out << "usage: startupbench [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...]\n";
        return 2;
    }
    QTemporaryDir root(options->parent + QStringLiteral("/startupbench-XXXXXX"));
    Place place;
    place.emptyPlace = root.path() + QStringLiteral("/empty");
    place.cacheHome = root.path() + QStringLiteral("/cache");
    if (!root.isValid() || !QDir().mkpath(place.emptyPlace + QStringLiteral("/archive"))) {
        out << "cannot create a folder under " << options->parent << "\n";
        return 1;
    }
    // Milliseconds from the child's main() to the plot's first picture (with the index: of the melt
    // the last listing chose; then the listing's confirmation), whole-process medians for the rest.
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("files"), 7)
               .arg(QStringLiteral("first melt ms"), 13)
               .arg(QStringLiteral("confirmed ms"), 12)
               .arg(QStringLiteral("no index ms"), 13)
               .arg(QStringLiteral("empty ms"), 9)
               .arg(QStringLiteral("floor ms"), 9)
               .arg(QStringLiteral("ls -t ms"), 9)
               .arg(QStringLiteral("first melt/ls"), 14)
               .arg(QStringLiteral("no index/ls"), 16);
    out.flush();

    for (int size : qAsConst(options->sizes)) {
        place.folder = bench::preparedPlace(*options, root.path(), size);
        if (place.folder.isEmpty()) {
            out << "cannot create " << size << " files under " << root.path() << "\n";
            return 1;
        }
        if (!timeStart(out, size, place, options->runs))
            return 1;
        if (options->keep.isEmpty())
            QDir(place.folder).removeRecursively();
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], childOption) == 0)
            return runChild(argc, argv, sinceMain);
    }
    return runParent(argc, argv);
}
