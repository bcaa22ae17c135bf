// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/measurementselection.h"

#include "archive/cascadeselection.h"
#include "mainwindow.h"

namespace app {

bool selectMeasurement(MainWindow *window, const QString &fileName)
{
    return window->archiveSelection()->chooseFile(fileName);
}

} // namespace app
