// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

namespace output {

// How CSV is written: "," between cells and "." in numbers, or for spreadsheets set up for Russian
// another delimiter (";") and the decimal comma. A spreadsheet opened by double-click also wants to
// be told the encoding (a byte-order mark) and, on Windows, CRLF line ends.
struct CsvFormat
{
    QChar delimiter = QLatin1Char(',');
    bool decimalComma = false;
    bool byteOrderMark = false;
    bool crlf = false;
};

// What goes before the first line: the byte-order mark where the format asks for one.
QString csvStart(const CsvFormat &format);
// One line of cells with its line end. A cell is quoted where it holds the delimiter, a quote or a
// line break; a text that a spreadsheet would run as a formula (one starting with =, +, -, @, a tab or
// a carriage return that is not a number) is quoted with a leading apostrophe, so that it shows as text.
QString csvLine(const QStringList &cells, const CsvFormat &format);
// A number written in C notation, with the decimal separator the format asks for.
QString csvNumber(const QString &cNotation, const CsvFormat &format);

// The curves as CSV: header, then one row per sample time 0.0 to 15.9, empty cells for NaN samples.
QString csvText(const measurement::Measurement &measurement, const CsvFormat &format = CsvFormat());

} // namespace output
