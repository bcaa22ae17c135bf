// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/csv.h"

#include <QString>

#include <optional>

class QCommandLineParser;
class QTextStream;

// The options of the commands that write CSV.
namespace cli {

// Adds --delimiter, --decimal-comma and --excel to a command that writes CSV.
void addCsvFormatOptions(QCommandLineParser &parser);
// The format those options ask for; std::nullopt after a usage error has been reported on `err`.
std::optional<output::CsvFormat> csvFormatOption(const QCommandLineParser &parser, const QString &command,
                                                 QTextStream &err);
// Whether --excel was given: a shorthand for a spreadsheet's file, so it asks for CSV by itself.
bool excelAsked(const QCommandLineParser &parser);
// The help text's lines on those options.
QString csvFormatHelpText();

} // namespace cli
