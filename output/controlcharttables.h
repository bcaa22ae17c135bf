// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csv.h"
#include "xlsx.h"

#include "statistics/controlchart.h"

#include <QString>
#include <QStringList>

class QTextStream;

// A control chart in each form it is written: a table for a person, CSV, JSON and a spreadsheet of
// two sheets (the points, the limits). The command line and the viewer both write through these, so
// that the two cannot disagree.
namespace output {

// The lines that name the chart: technology, result, period, counts, the limits, the rules, Cpk.
// As label and value, the value in C notation; a missing value is "-".
QVector<QPair<QString, QString>> controlChartSummary(const statistics::ChartSelection &selection,
                                                     const statistics::ControlChart &chart);
// The summary, then one aligned line per point, oldest first, its marks named by their rules.
void writeControlChartTable(QTextStream &out, const statistics::ChartSelection &selection,
                            const statistics::ControlChart &chart);
// One line per point, each with the chart's centre and limits, so that a spreadsheet can draw them.
void writeControlChartCsv(QTextStream &out, const statistics::ControlChart &chart, const CsvFormat &format);
// An object with the selection, the limits, the counts and the points.
QString controlChartJson(const statistics::ChartSelection &selection, const statistics::ControlChart &chart);
// The sheets "Points" and "Limits" of a book that is open.
void addControlChartSheets(XlsxBook &book, const statistics::ChartSelection &selection,
                           const statistics::ControlChart &chart);

// The result as a person names it ("temperature, °C").
QString chartResultTitle(statistics::ChartResult result);
// A point's marks as the rule numbers it breaks ("1 2", "MR"); empty for none.
QString chartMarksText(const statistics::ChartPoint &point);

} // namespace output
