// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/csv.h"
#include "output/outputformat.h"
#include "output/xlsx.h"
#include "query/keptmatches.h"

#include <QTextStream>

// find's matches in each of its formats.
namespace output {

// The matches, latest moment first, as lines for a person (Format::text), a JSON array as
// QJsonDocument indents it, or CSV with its header line; every other format is written as lines.
void writeMatches(QTextStream &out, Format format, query::KeptMatches &found, const CsvFormat &csvFormat);
// The matches as the sheet "Measurements" of a spreadsheet, its header in the reader's language.
void addMatchesSheet(XlsxBook &book, query::KeptMatches &found);

} // namespace output
