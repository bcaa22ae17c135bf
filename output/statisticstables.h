// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "csv.h"
#include "outputformat.h"
#include "xlsx.h"

#include "statistics/archivestatistics.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QTextStream;

// The statistics of `stats` in each form it writes them: a table for a person, CSV, JSON and the rows
// of a spreadsheet. `groupName` is how they are grouped ("technology", "status", ...).
namespace output {

// Aligned columns for a person, the total ("all") last; only the statuses that occur get a column.
void writeStatisticsTable(QTextStream &out, const QString &groupName,
                          const QVector<statistics::GroupStatistics> &groups,
                          const statistics::GroupStatistics &total);
// One line per group; for a spreadsheet's user with the total at the end, named in his language.
void writeStatisticsCsv(QTextStream &out, const QString &groupName,
                        const QVector<statistics::GroupStatistics> &groups,
                        const statistics::GroupStatistics &total, const CsvFormat &format);
// An object with the groups and the total apart.
QString statisticsJson(const QString &groupName, const QVector<statistics::GroupStatistics> &groups,
                       const statistics::GroupStatistics &total);
// The header of CSV and of a spreadsheet: names for scripts, or in the reader's language.
QStringList statisticsHeader(const QString &groupName, const CsvFormat &format);
// One group as a spreadsheet's row: counts and statistics as numbers, the share as a percentage.
QVector<XlsxCell> statisticsXlsxRow(const statistics::GroupStatistics &g, const QString &groupName);

// The statistics the collector holds in `format`: JSON, CSV, or the table for a person (any other).
void writeStatistics(QTextStream &out, Format format, const QString &groupName,
                     const statistics::StatisticsCollector &collector, const CsvFormat &csvFormat);
// The sheet "Statistics" of a spreadsheet: a row per group, the total last.
void addStatisticsSheet(XlsxBook &book, const QString &groupName,
                        const statistics::StatisticsCollector &collector);

} // namespace output
