// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv.h"

#include "jsontext.h"

#include <QCoreApplication>

#include <cmath>

namespace output {

namespace {

bool isFiniteNumber(const QString &cell, const CsvFormat &format)
{
    bool ok = false;
    const double value =
        (format.decimalComma ? QString(cell).replace(QLatin1Char(','), QLatin1Char('.')) : cell)
            .toDouble(&ok);
    return ok && std::isfinite(value);
}

// The characters that make a spreadsheet read a cell as a formula.
bool startsLikeAFormula(const QString &cell)
{
    return !cell.isEmpty() && QStringLiteral("=+-@\t\r").contains(cell.at(0));
}

} // namespace

QString csvStart(const CsvFormat &format)
{
    return format.byteOrderMark ? QString(QChar(0xFEFF)) : QString();
}

QString csvLine(const QStringList &cells, const CsvFormat &format)
{
    QStringList written;
    written.reserve(cells.size());
    for (const QString &cell : cells) {
        const bool formula = startsLikeAFormula(cell) && !isFiniteNumber(cell, format);
        const bool quote = formula || cell.contains(format.delimiter) || cell.contains(QLatin1Char('"')) ||
                           cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'));
        written.append(quote ? (formula ? QStringLiteral("\"'") : QStringLiteral("\"")) +
                                   QString(cell).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                                   QLatin1Char('"')
                             : cell);
    }
    return written.join(format.delimiter) + (format.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"));
}

QString csvNumber(const QString &cNotation, const CsvFormat &format)
{
    return format.decimalComma ? QString(cNotation).replace(QLatin1Char('.'), QLatin1Char(',')) : cNotation;
}

QString csvText(const measurement::Measurement &measurement, const CsvFormat &format)
{
    QString text = csvStart(format) + csvLine({QStringLiteral("time_s"), QStringLiteral("emf_mV"),
                                               QStringLiteral("temperature_C")},
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
} // namespace output
