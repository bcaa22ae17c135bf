// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QVector>

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
    // For a spreadsheet's user: headers in the reader's language, and text columns written as a
    // spreadsheet's text formula (="00731"), which it shows as written instead of reading a number or
    // a date into it (731).
    bool spreadsheet = false;
};

// What goes before the first line: the byte-order mark where the format asks for one.
QString csvStart(const CsvFormat &format);
// One line of cells with its line end. A cell is quoted where it holds the delimiter, a quote or a
// line break; a text that a spreadsheet would run as a formula (one starting with =, +, -, @, a tab or
// a carriage return that is not a number) is quoted with a leading apostrophe, so that it shows as text.
// The cells of `textColumns` are texts a spreadsheet is to keep as written.
QString csvLine(const QStringList &cells, const CsvFormat &format, const QVector<int> &textColumns = {});
// A number written in C notation, with the decimal separator the format asks for.
QString csvNumber(const QString &cNotation, const CsvFormat &format);

// Why `text` cannot be written exactly in UTF-8, or the empty text: it holds half of a surrogate pair
// on its own (as a "\ud800" escape in a JSON file gives), which no UTF-8 text holds and which would
// come out as a replacement character. CSV, JSON and spreadsheets refuse such a value, never change it.
QString unwritableCharacter(const QString &text);

// A header cell: the name for scripts ("temperature_C"), for a spreadsheet in the reader's language.
QString csvHeader(const char *name, const CsvFormat &format);

} // namespace output
