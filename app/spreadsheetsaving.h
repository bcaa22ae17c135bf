// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/outputfile.h"
#include "output/xlsx.h"
#include "statistics/controlchart.h"

#include <QString>

#include <functional>

// Spreadsheet files from the viewer, with the command line's columns and by its rule for outputs:
// never into the archive that is read, written whole or not at all. Each returns the empty text, or
// why the file was not written, in the command line's words where it refuses a place.
namespace app {

// A book filled by `fill` to `path` (which must end in .xlsx), for a window that reads `read`.
QString saveSpreadsheet(const QString &path, const output::ReadArchive &read,
                        const std::function<void(output::XlsxBook &book)> &fill);
// The melts of `selection` (technology and period, its last melts included) in the archive `folder`,
// newest first, with the columns of steel-archive find --xlsx.
QString saveMeltsSpreadsheet(const QString &path, const QString &folder,
                             const statistics::ChartSelection &selection);
// The curves and results of the measurement file `measurementPath`, as steel-archive export --xlsx
// writes them.
QString saveCurvesSpreadsheet(const QString &path, const QString &measurementPath);

} // namespace app
