// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/foundmatches.h"

#include "output/resultcolumns.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <functional>

namespace output {

namespace {

QString csvRow(const query::FoundMeasurement &f, const CsvFormat &format)
{
    return csvLine(resultCsvCells(f, format), format, resultTextColumns());
}

// One match as an element of QJsonDocument's indented array: the object's own lines, four spaces in.
QString jsonElement(const query::FoundMeasurement &f)
{
    QByteArray object = QJsonDocument(resultJson(f)).toJson(QJsonDocument::Indented);
    object.chop(1); // the document's closing line break
    object.replace("\n", "\n    ");
    return QString::fromUtf8("    " + object);
}

// Each match as `render` writes it, separated by `separator`, latest moment first.
void writeKept(QTextStream &out, query::KeptMatches &kept, const char *separator,
               const std::function<QString(const query::FoundMeasurement &)> &render)
{
    bool first = true;
    kept.visit([&](const query::FoundMeasurement &f) {
        if (!first)
            out << separator;
        first = false;
        out << render(f);
    });
}

} // namespace

void writeMatches(QTextStream &out, Format format, query::KeptMatches &found, const CsvFormat &csvFormat)
{
    switch (format) {
    case Format::json:
        // As QJsonDocument writes an array, element by element.
        out << "[\n";
        writeKept(out, found, ",\n", jsonElement);
        out << (found.isEmpty() ? "]\n" : "\n]\n");
        break;
    case Format::csv:
        out << csvStart(csvFormat) << csvLine(resultHeader(csvFormat), csvFormat);
        writeKept(out, found, "",
                  [&csvFormat](const query::FoundMeasurement &f) { return csvRow(f, csvFormat); });
        break;
    default:
        writeKept(out, found, "",
                  [](const query::FoundMeasurement &f) { return resultLine(f) + QLatin1Char('\n'); });
    }
}

void addMatchesSheet(XlsxBook &book, query::KeptMatches &found)
{
    CsvFormat spreadsheet;
    spreadsheet.spreadsheet = true;
    book.addSheet(QCoreApplication::translate("output", "Measurements"), resultHeader(spreadsheet));
    found.visit(
        [&book](const query::FoundMeasurement &f) { book.addRow(resultXlsxRow(f), false, f.shownName()); });
}

} // namespace output
