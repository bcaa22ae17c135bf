// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csv.h"
#include "xlsx.h"

#include "measurement/measurementfile.h"

#include <QString>

// A measurement's two curves as export writes them: one row for each of the 160 sample times, every
// value exactly the number the viewer draws, a missing sample an empty cell.
namespace output {

// CSV: a header line "time_s,emf_mV,temperature_C", then the rows.
QString curvesCsv(const measurement::Measurement &measurement, const CsvFormat &format = CsvFormat());
// A spreadsheet: a sheet of the samples, then a sheet of the file's results as find writes them.
void addCurvesSheets(XlsxBook &book, const QString &fileName, const measurement::Measurement &m);

} // namespace output
