// SPDX-License-Identifier: GPL-3.0-or-later
//
// How long the viewer takes from process start to the first picture of its plot when its archive
// holds many files, next to the same with an empty archive and next to the least the system must do
// to list those files. Prints figures only.
//
//   startupbench [--runs N] [--dir PARENT] [--keep FOLDER] [SIZE...]      (default size 100000)
//
// The viewer itself has no options, so each start is a child copy of this program run with --child:
// it does what the viewer's main() does and quits as soon as the plot is first painted. The child
// runs on the offscreen platform in a folder whose archive/ holds the files, which is where the
// window looks on start.

#include "benchsupport.h"
#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
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

// Ends the child's event loop on the first paint of the plot: from then on the window is on screen.
class FirstPictureWatch : public QObject
{
public:
    explicit FirstPictureWatch(const QElapsedTimer &sinceMain) : sinceMain(sinceMain) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            watched->objectName() == QLatin1String("customPlotSteel")) {
            seen = true;
            // The parent times the whole process; this figure leaves out loading and tearing down.
            const double paintMsecs = double(sinceMain.nsecsElapsed()) / 1e6;
            // How many times the window lists, so the parent can tell that it did read the archive.
            const auto *times = static_cast<QWidget *>(watched)->window()->findChild<QComboBox *>(
                QStringLiteral("timeSteel"));
            std::printf("paint-ms %.3f\nlisted-times %d\n", paintMsecs, times ? times->count() : -1);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return false;
    }

private:
    const QElapsedTimer &sinceMain;
    bool seen = false;
};

int runChild(int argc, char **argv, const QElapsedTimer &sinceMain)
{
    // Exactly as the viewer starts.
    QStringList pluginPaths = QCoreApplication::libraryPaths();
    pluginPaths.append(QStringLiteral("."));
    pluginPaths.append(QStringLiteral("platforms"));
    QCoreApplication::setLibraryPaths(pluginPaths);

    QApplication application(argc, argv);
    FirstPictureWatch watch(sinceMain);
    application.installEventFilter(&watch);
    QTimer::singleShot(childTimeoutMsecs, &application, [] { QCoreApplication::exit(childStuckExitCode); });

    MainWindow window;
    window.show();
    return application.exec();
}

struct ChildRun
{
    bool ok = false;
    double paintMsecs = 0; // from the child's main() to the first paint, as the child saw it
    int listedTimes = -1;  // entries of the time list then, the "nothing chosen" entry included
    QString failure;
};

ChildRun startChild(const QString &workingDirectory)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("paint-ms ")) {
            run.paintMsecs = line.mid(9).toDouble();
            run.ok = true;
        } else if (line.startsWith("listed-times ")) {
            run.listedTimes = line.mid(13).toInt();
        }
    }
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

// One size's figures: the window's start on the archive and on an empty one, the listing's floor and
// ls -t. False, said on `out`, when a start did not list the archive as expected.
bool timeStart(QTextStream &out, int size, const QString &place, const QString &emptyPlace, int runs)
{
    const QString directory = place + QStringLiteral("/archive");
    const bench::RefreshChoice choice = bench::refresh(directory);
    const QStringList patterns = bench::refreshPatterns(choice);
    const QByteArray nativeDirectory = QFile::encodeName(directory);

    // The child's own figures, the warm-up run left out.
    std::vector<double> fullPaint;
    std::vector<double> emptyPaint;
    QString failure;
    // A start that did not list the archive as expected would time the wrong thing.
    const auto child = [&](const QString &workingDirectory, int expectedTimes,
                           std::vector<double> &paintMsecs) {
        if (!failure.isEmpty())
            return;
        const ChildRun run = startChild(workingDirectory);
        if (!run.ok)
            failure = workingDirectory + QStringLiteral(": ") + run.failure;
        else if (run.listedTimes != expectedTimes)
            failure = workingDirectory + QStringLiteral(": the window listed %1 times, not %2")
                                             .arg(run.listedTimes - 1)
                                             .arg(expectedTimes - 1);
        paintMsecs.push_back(run.paintMsecs);
    };
    const std::vector<double> medians = bench::medianMsecs(
        runs, {[&] { child(place, choice.times + 1, fullPaint); }, [&] { child(emptyPlace, 1, emptyPaint); },
               [&] { bench::floorRefresh(nativeDirectory, patterns); },
               [&] {
                   QProcess ls;
                   ls.setStandardOutputFile(QProcess::nullDevice());
                   ls.start(QStringLiteral("ls"), {QStringLiteral("-t"), directory});
                   ls.waitForFinished(-1);
               }});
    if (!failure.isEmpty()) {
        out << "the viewer's start in " << failure << "\n";
        return false;
    }
    const double startMs = medians[0];
    const double emptyMs = medians[1];
    const double floorMs = medians[2];
    const double targetMs = 2 * floorMs + emptyMs;
    const double lsMs = medians[3];

    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(size, 7)
               .arg(startMs, 12, 'f', 1)
               .arg(emptyMs, 9, 'f', 1)
               .arg(floorMs, 9, 'f', 2)
               .arg(targetMs, 10, 'f', 1)
               .arg(startMs / targetMs, 13, 'f', 2)
               .arg((startMs - emptyMs) / floorMs, 20, 'f', 2)
               .arg(lsMs, 9, 'f', 1)
               .arg(startMs / lsMs, 9, 'f', 2);
    out.flush();
    fullPaint.erase(fullPaint.begin());
    emptyPaint.erase(emptyPaint.begin());
    std::fprintf(stderr,
                 "  %d files: main() to first paint %.1f ms, with an empty archive %.1f ms; newest %s, "
                 "%s, day %s, %d times\n",
                 size, median(fullPaint), median(emptyPaint), qPrintable(choice.technology),
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
    const QList<int> &sizes = options->sizes;
    const int runs = options->runs;
    const QString &parent = options->parent;

    QTemporaryDir root(parent + QStringLiteral("/startupbench-XXXXXX"));
    const QString emptyPlace = root.path() + QStringLiteral("/empty");
    if (!root.isValid() || !QDir().mkpath(emptyPlace + QStringLiteral("/archive"))) {
        out << "cannot create a folder under " << parent << "\n";
        return 1;
    }

    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("files"), 7)
               .arg(QStringLiteral("start-up ms"), 12)
               .arg(QStringLiteral("empty ms"), 9)
               .arg(QStringLiteral("floor ms"), 9)
               .arg(QStringLiteral("target ms"), 10)
               .arg(QStringLiteral("start/target"), 13)
               .arg(QStringLiteral("(start-empty)/floor"), 20)
               .arg(QStringLiteral("ls -t ms"), 9)
               .arg(QStringLiteral("start/ls"), 9);
    out.flush();

    for (int size : qAsConst(sizes)) {
        const QString place = bench::preparedPlace(*options, root.path(), size);
        if (place.isEmpty()) {
            out << "cannot create " << size << " files under " << root.path() << "\n";
            return 1;
        }
        if (!timeStart(out, size, place, emptyPlace, runs))
            return 1;
        if (options->keep.isEmpty())
            QDir(place).removeRecursively();
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
