// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class MainWindow;

namespace app {

// Chooses the measurement named `fileName` (a file of the archive folder the window lists) down the
// window's four lists, as a person would. Returns false, leaving the lists at the first level that
// lacks the entry, when the name does not lead through the lists.
bool selectMeasurement(MainWindow *window, const QString &fileName);

// The same for the file given on the command line, which the operator asked for by name: when the
// lists cannot lead to it, no other melt may stand in its place unnoticed. The lists go back to
// their placeholder (the plot and the panel empty) and the path field says which file it was.
bool selectGivenMeasurement(MainWindow *window, const QString &fileName);

} // namespace app
