// SPDX-License-Identifier: GPL-3.0-or-later
#include "csvoptions.h"

#include "commandline.h"

#include "output/outputfile.h"
#include "output/xlsx.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

namespace {

const QString delimiterName = QStringLiteral("delimiter");
const QString decimalCommaName = QStringLiteral("decimal-comma");
const QString excelName = QStringLiteral("excel");
const QString xlsxName = QStringLiteral("xlsx");

QVector<QPair<QString, output::Format>> csvOptions()
{
    return {{excelName, output::Format::csv},
            {delimiterName, output::Format::csv},
            {decimalCommaName, output::Format::csv},
            {xlsxName, output::Format::xlsx}};
}

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
    parser.addOption(QCommandLineOption(
        xlsxName, QCoreApplication::translate("cli", "Write a spreadsheet file (.xlsx).")));
}

OutputFormats tableOutputFormats()
{
    OutputFormats formats;
    formats.formats = {output::Format::text, output::Format::json, output::Format::csv, output::Format::xlsx};
    formats.options = {{QStringLiteral("json"), output::Format::json},
                       {QStringLiteral("csv"), output::Format::csv}};
    formats.options += csvOptions();
    return formats;
}

QCommandLineOption tableOutputOption()
{
    return QCommandLineOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QCoreApplication::translate("cli", "Write to OUT instead of standard output (\"-\")."),
        QStringLiteral("OUT"));
}

QString tableOutputHelpText()
{
    return QCoreApplication::translate(
               "cli", "-o OUT writes the file OUT, whose suffix chooses the format where no option does\n"
                      "(.json, .csv, .xlsx; any other for the plain lines); -o - is standard output,\n"
                      "which takes a spreadsheet file too, unless it is a terminal.\n") +
           output::outputRuleHelpText() + output::exactValuesHelpText();
}

OutputFormats curveOutputFormats()
{
    OutputFormats formats;
    formats.formats = {output::Format::csv, output::Format::xlsx};
    formats.options = csvOptions();
    return formats;
}

QString csvFormatHelpText()
{
    return QCoreApplication::translate(
        "cli", "For a spreadsheet set up for Russian, --excel writes \";\" between the cells,\n"
               "decimal commas, a UTF-8 byte-order mark and CRLF line ends, the header in the\n"
               "reader's language and melt numbers kept as text (=\"00731\"), so that a\n"
               "double-click opens the file right; --delimiter and --decimal-comma set the\n"
               "first two alone. Each of them asks for CSV. A text cell that a spreadsheet\n"
               "would take for a formula (starting with =, +, - or @) is written with a leading\n"
               "apostrophe, so that it shows as text. --xlsx writes a spreadsheet file in\n"
               "Excel's format, which LibreOffice opens as well: melt numbers as text, results\n"
               "as numbers with the decimals they were written with, moments as dates, the\n"
               "header in the reader's language, frozen and with a filter.\n");
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
        format = {QLatin1Char(';'), true, true, true, true};
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
