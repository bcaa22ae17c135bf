// SPDX-License-Identifier: GPL-3.0-or-later
#include "curvestables.h"

#include "jsontext.h"
#include "resultcolumns.h"

#include "archive/archivename.h"
#include "measurement/measurementdigest.h"

#include <QCoreApplication>

#include <cmath>

namespace output {

namespace {

// The samples as spreadsheet cells: the time with its one decimal, the values exactly as read.
QVector<XlsxCell> sampleRow(const measurement::Measurement &m, int i)
{
    const auto cell = [i](const QVector<double> &curve) {
        return i < curve.size() && std::isfinite(curve[i]) ? XlsxCell::ofNumber(curve[i]) : XlsxCell();
    };
    // From the sample number, not from i * 0.1, which is not exactly a tenth.
    return {XlsxCell::ofNumber(QStringLiteral("%1.%2").arg(i / 10).arg(i % 10).toDouble(), 1), cell(m.emf),
            cell(m.temperature)};
}

} // namespace

QString curvesCsv(const measurement::Measurement &measurement, const CsvFormat &format)
{
    QString text =
        csvStart(format) + csvLine({csvHeader(QT_TRANSLATE_NOOP("columns", "time_s"), format),
                                    csvHeader(QT_TRANSLATE_NOOP("columns", "emf_mV"), format),
                                    csvHeader(QT_TRANSLATE_NOOP("columns", "temperature_C"), format)},
                                   format);
    const auto cell = [&format](const QVector<double> &curve, int i) {
        return i < curve.size() && !std::isnan(curve[i]) ? csvNumber(exactNumberText(curve[i]), format)
                                                         : QString();
    };
    for (int i = 0; i < measurement::samplesPerCurve; ++i) {
        // Written from the sample number, not from i * 0.1, which is not exactly a tenth.
        const QString time = QStringLiteral("%1.%2").arg(i / 10).arg(i % 10);
        text += csvLine({csvNumber(time, format), cell(measurement.emf, i), cell(measurement.temperature, i)},
                        format);
    }
    return text;
}

void addCurvesSheets(XlsxBook &book, const QString &fileName, const measurement::Measurement &m)
{
    CsvFormat spreadsheet;
    spreadsheet.spreadsheet = true;
    book.addSheet(QCoreApplication::translate("output", "Samples"),
                  {csvHeader(QT_TRANSLATE_NOOP("columns", "time_s"), spreadsheet),
                   csvHeader(QT_TRANSLATE_NOOP("columns", "emf_mV"), spreadsheet),
                   csvHeader(QT_TRANSLATE_NOOP("columns", "temperature_C"), spreadsheet)});
    for (int i = 0; i < measurement::samplesPerCurve; ++i)
        book.addRow(sampleRow(m, i));
    book.addSheet(QCoreApplication::translate("output", "Results"), resultHeader(spreadsheet));
    book.addRow(resultXlsxRow({fileName, archive::technologyOfFile(fileName), archive::momentOfFile(fileName),
                               measurement::digestOf(m)}),
                false, fileName);
}

} // namespace output
