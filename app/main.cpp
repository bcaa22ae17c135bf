// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    // A platform plug-in shipped beside the program (or in ./platforms) is found without an installer.
    QStringList pluginPaths = QCoreApplication::libraryPaths();
    pluginPaths.append(QStringLiteral("."));
    pluginPaths.append(QStringLiteral("platforms"));
    QCoreApplication::setLibraryPaths(pluginPaths);

    QApplication application(argc, argv);
    MainWindow window;
    window.show();
    return application.exec();
}
