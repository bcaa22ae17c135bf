// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/measurementselection.h"

#include "archive/cascadeselection.h"
#include "mainwindow.h"

#include <QDir>

namespace app {

bool selectMeasurement(MainWindow *window, const QString &fileName)
{
    return window->archiveSelection()->chooseFile(fileName);
}

bool selectGivenMeasurement(MainWindow *window, const QString &fileName)
{
    if (selectMeasurement(window, fileName))
        return true;
    // The placeholder chosen empties the lists below it, and with them the plot and the panel.
    archive::CascadeSelection *selection = window->archiveSelection();
    selection->choose(archive::ListLevel::technology, 0);
    const QString path = QDir(selection->model().folder()).filePath(fileName);
    window->markFolder(QStringLiteral("Измерение из командной строки нельзя выбрать в списках окна: %1")
                           .arg(QDir::toNativeSeparators(path)));
    return false;
}

} // namespace app
