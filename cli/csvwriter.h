// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;
class QTextStream;

namespace cli {

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

// Adds --delimiter, --decimal-comma and --excel to a command that writes CSV.
void addCsvFormatOptions(QCommandLineParser &parser);
// The format those options ask for; std::nullopt after a usage error has been reported on `err`.
std::optional<CsvFormat> csvFormatOption(const QCommandLineParser &parser, const QString &command,
                                         QTextStream &err);
// Whether --excel was given: a shorthand for a spreadsheet's file, so it asks for CSV by itself.
bool excelAsked(const QCommandLineParser &parser);
// The help text's lines on those options.
QString csvFormatHelpText();

// What goes before the first line: the byte-order mark where the format asks for one.
QString csvStart(const CsvFormat &format);
// One line of cells with its line end. A cell is quoted where it holds the delimiter, a quote or a
// line break; a text that a spreadsheet would run as a formula (one starting with =, +, -, @, a tab or
// a carriage return that is not a number) is quoted with a leading apostrophe, so that it shows as text.
QString csvLine(const QStringList &cells, const CsvFormat &format);
// A number written in C notation, with the decimal separator the format asks for.
QString csvNumber(const QString &cNotation, const CsvFormat &format);

} // namespace cli
