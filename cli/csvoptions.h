// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commandoutput.h"
#include "output/csv.h"

#include <QCommandLineOption>
#include <QString>

#include <optional>

class QCommandLineParser;
class QTextStream;

// The options of the commands that write CSV.
namespace cli {

// Adds --delimiter, --decimal-comma, --excel and --xlsx to a command that writes CSV and spreadsheets.
void addCsvFormatOptions(QCommandLineParser &parser);
// The formats of find and stats: a table for a person, JSON, CSV or a spreadsheet file. Each CSV
// option asks for CSV by itself.
OutputFormats tableOutputFormats();
// The formats of export: CSV, or a spreadsheet file.
OutputFormats curveOutputFormats();
// The -o option of find and stats, and the help text's lines on it.
QCommandLineOption tableOutputOption();
QString tableOutputHelpText();
// The format those options ask for; std::nullopt after a usage error has been reported on `err`.
std::optional<output::CsvFormat> csvFormatOption(const QCommandLineParser &parser, const QString &command,
                                                 QTextStream &err);
// The help text's lines on those options.
QString csvFormatHelpText();

} // namespace cli
