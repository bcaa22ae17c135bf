// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/followmode.h"
#include "app/measurementselection.h"
#include "app/screenscaling.h"
#include "app/toolkittranslation.h"
#include "app/viewerarguments.h"
#include "mainwindow.h"
#include "viewerimages.h"

#include "language/language.h"
#include "platform/console.h"
#include "printing/shippedfonts.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>

namespace {

// The install check's question (tests/install, the Windows installer's trial), asked of the program as
// installed: which images its window draws, answered on standard output without a screen. Taken only
// as the first argument, before the usual ones; an operator has no use for it, so --help leaves it out.
const QLatin1String reportImagesOption("--report-images");

// The command line once the toolkit has taken its own options: the arguments, or the exit code of
// arguments that cannot be understood, which end the program before any window opens. A path that
// is neither an archive folder nor a measurement file is said here and in the window, which still
// opens.
std::optional<app::ViewerArguments> readArguments(int &exitCode, bool *reportImages)
{
    QStringList given = QCoreApplication::arguments().mid(1);
    *reportImages = !given.isEmpty() && given.constFirst() == reportImagesOption;
    if (*reportImages)
        given.removeFirst();
    const app::ViewerArguments arguments = app::parseViewerArguments(given);
    const std::unique_ptr<QIODevice> errDevice =
        platform::openStandardStream(platform::StandardStream::error);
    QTextStream err(errDevice.get());
    err.setCodec("UTF-8");
    if (!arguments.usageError.isEmpty()) {
        err << "steel-viewer: " << arguments.usageError << "\n"
            << QCoreApplication::translate("steel-viewer", "Try 'steel-viewer --help'.") << "\n";
        exitCode = 2;
        return std::nullopt;
    }
    const QString problem = app::startPlace(arguments.path).problem;
    if (!problem.isEmpty())
        err << "steel-viewer: " << problem << "\n";
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    platform::attachParentConsole(); // a Windows GUI program: answers in the console it was started from
    if (const std::optional<int> answered = app::answerWithoutWindow(argc, argv))
        return *answered;
    app::scaleWithScreen();

    // A platform plug-in shipped beside the program (or in ./platforms) is found without an installer.
    QStringList pluginPaths = QCoreApplication::libraryPaths();
    pluginPaths.append(QStringLiteral("."));
    pluginPaths.append(QStringLiteral("platforms"));
    QCoreApplication::setLibraryPaths(pluginPaths);

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(STEEL_APP_ID));
    printing::loadShippedFonts();
    app::installToolkitTranslation();
    language::useLocaleLanguage(); // of what the program says on its command line
    int usageExitCode = 0;
    bool reportImages = false;
    const std::optional<app::ViewerArguments> arguments = readArguments(usageExitCode, &reportImages);
    if (!arguments)
        return usageExitCode;

    const app::StartPlace start = app::startPlace(arguments->path);
    // Made before the window, so that it keeps the listing of the window's first refresh.
    std::unique_ptr<app::FollowMode> follow;
    if (arguments->follow)
        follow = std::make_unique<app::FollowMode>();
    // The answer to the install check is the window's as built: nothing is kept for a next start.
    MainWindow window(start.folder, reportImages ? MainWindow::FirstListing::now
                                                 : MainWindow::FirstListing::fromLastListing);
    if (follow)
        follow->follow(&window);
    if (!start.fileName.isEmpty())
        app::selectGivenMeasurement(&window, start.fileName);
    if (reportImages) {
        QTextStream out(stdout);
        follow.reset();
        return window.reportImages(out);
    }
    window.show();
    const int exitCode = application.exec();
    follow.reset(); // before the window it follows
    return exitCode;
}
