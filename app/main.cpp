// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"
#include "viewerimages.h"

#include "platform/console.h"
#include "printing/shippedfonts.h"

#include <QApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char *argv[])
{
    platform::attachParentConsole(); // a Windows GUI program: answers in the console it was started from
    // A platform plug-in shipped beside the program (or in ./platforms) is found without an installer.
    QStringList pluginPaths = QCoreApplication::libraryPaths();
    pluginPaths.append(QStringLiteral("."));
    pluginPaths.append(QStringLiteral("platforms"));
    QCoreApplication::setLibraryPaths(pluginPaths);

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(STEEL_APP_ID));
    printing::loadShippedFonts();
    MainWindow window;
    // Test hook of the install check: whether the window found its images, answered without a screen.
    if (qEnvironmentVariableIsSet("STEEL_VIEWER_REPORT_IMAGES")) {
        QTextStream out(stdout);
        return viewerimages::reportImages(window, out);
    }
    window.show();
    return application.exec();
}
