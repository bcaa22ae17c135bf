// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/csv.h"
#include "output/xlsx.h"
#include "query/foundmeasurements.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// A measurement's results as find and watch write them: a line for a person, JSON, and the columns of
// CSV and spreadsheet files (find, export).
namespace output {

// The header: names for scripts ("temperature_C"), for a spreadsheet in its user's language.
QStringList resultHeader(const output::CsvFormat &format);
// The columns of texts a spreadsheet is to keep as written: the melt ("00731") and the technology.
QVector<int> resultTextColumns();

// A result text as a CSV cell: empty for no value, a number written with the format's separator (by
// the one rule for results, "1598,5" is a number too), any other text as it stands.
QString resultCell(const std::optional<QString> &text, const output::CsvFormat &format);
// The same as a spreadsheet cell: a number with the decimals it was written with, or the text.
output::XlsxCell resultXlsxCell(const std::optional<QString> &text);

// One record on one tab-separated line that cannot steer a terminal; JSON keeps the exact texts.
QString resultLine(const query::FoundMeasurement &found);
QJsonObject resultJson(const query::FoundMeasurement &found);
// The same object on one line, for a feed of one measurement a line (watch --json).
QString resultJsonLine(const query::FoundMeasurement &found);

// Why the match cannot be written exactly as CSV or JSON ("steel_….json, column \"smelt\": the
// character U+D800 alone…"), or the empty text.
QString resultRefusal(const query::FoundMeasurement &found);

QStringList resultCsvCells(const query::FoundMeasurement &found, const output::CsvFormat &format);
QVector<output::XlsxCell> resultXlsxRow(const query::FoundMeasurement &found);

} // namespace output
