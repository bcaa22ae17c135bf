// SPDX-License-Identifier: GPL-3.0-or-later
#include "csvoptions.h"

#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

namespace {

const QString delimiterName = QStringLiteral("delimiter");
const QString decimalCommaName = QStringLiteral("decimal-comma");
const QString excelName = QStringLiteral("excel");

} // namespace

void addCsvFormatOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(
        delimiterName,
        QCoreApplication::translate("cli", "Separate the cells with C instead of \",\" (e.g. \";\")."),
        QStringLiteral("C")));
    parser.addOption(QCommandLineOption(
        decimalCommaName,
        QCoreApplication::translate("cli", "Write numbers with \",\" as the decimal separator.")));
    parser.addOption(QCommandLineOption(
        excelName,
        QCoreApplication::translate("cli", "For a spreadsheet set up for Russian: \";\", decimal commas, a "
                                           "byte-order mark and CRLF line ends.")));
}

QString csvFormatHelpText()
{
    return QCoreApplication::translate(
        "cli", "For a spreadsheet set up for Russian, --excel writes \";\" between the cells, decimal\n"
               "commas, a UTF-8 byte-order mark and CRLF line ends, so that a double-click opens the file\n"
               "right; --delimiter and --decimal-comma set the first two alone. A text cell that a\n"
               "spreadsheet would take for a formula (starting with =, +, - or @) is written with a leading\n"
               "apostrophe, so that it shows as text.\n");
}

bool excelAsked(const QCommandLineParser &parser)
{
    return parser.isSet(excelName);
}

std::optional<output::CsvFormat> csvFormatOption(const QCommandLineParser &parser, const QString &command,
                                                 QTextStream &err)
{
    output::CsvFormat format;
    if (parser.isSet(excelName)) {
        if (parser.isSet(delimiterName)) {
            reportFailure(err, command,
                          QCoreApplication::translate("cli", "--excel and --delimiter exclude each other"));
            return std::nullopt;
        }
        format = {QLatin1Char(';'), true, true, true};
    }
    format.decimalComma = format.decimalComma || parser.isSet(decimalCommaName);
    if (parser.isSet(delimiterName)) {
        const QString text = parser.value(delimiterName);
        const QChar c = text.size() == 1 ? text.at(0) : QChar();
        // A character that can be part of a number, a quote or a line break would make cells ambiguous.
        if (text.size() != 1 || c.isLetterOrNumber() || QStringLiteral(".\"'+-\r\n").contains(c)) {
            reportFailure(err, command,
                          QCoreApplication::translate(
                              "cli", "--delimiter \"%1\" is not one character that can separate cells "
                                     "(such as \";\" or \",\")")
                              .arg(text));
            return std::nullopt;
        }
        format.delimiter = c;
    }
    if (format.decimalComma && format.delimiter == QLatin1Char(',')) {
        reportFailure(
            err, command,
            QCoreApplication::translate(
                "cli", "--decimal-comma needs another delimiter than \",\", such as --delimiter ';'"));
        return std::nullopt;
    }
    return format;
}
} // namespace cli
