// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "query/foundmeasurements.h"

#include "archive/archivename.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <vector>

class QTextStream;

namespace statistics {

// What the statistics and the report's list need of a measurement: a few hundred bytes, so that a
// selection of any size can be held while the files themselves are read again one at a time.
struct MeasurementFacts
{
    QString fileName;
    // The bytes of a name no text can hold (fileName is then its escaped form), as the listing gave
    // them: what the file is read again by. Empty for every other name.
    QByteArray encodedName;
    QString technology;
    archive::Moment moment;
    std::optional<double> temperature; // "Temp" as a number; none for no value or a text that is none
    std::optional<double> emf;         // likewise "Eds"
    std::optional<QString> status;     // the verdict; none when the file has no "Status"

    // The bytes that open the file in its folder: never a display form, which two files may share.
    QByteArray nameBytes() const;
    // The name as a page or a line shows it (escaped once, never twice).
    QString shownName() const;
};
MeasurementFacts factsOf(const query::FoundMeasurement &found);

// Newest first, as every list of measurements.
void sortNewestFirst(QVector<MeasurementFacts> &facts);

// How measurements are put together.
enum class Grouping
{
    technology,
    day,   // yyyy-MM-dd
    week,  // ISO week, yyyy-Www
    month, // yyyy-MM
    status,
};
// "technology", "day", "week", "month" or "status".
std::optional<Grouping> parseGrouping(const QString &text);
QStringList groupingNames();

// Minimum, median and maximum of the measurements that have a value. The median of an even number of
// values is the mean of the middle two.
struct ValueSpread
{
    int count = 0;
    std::optional<double> minimum;
    std::optional<double> median;
    std::optional<double> maximum;
};
// The same of `count` values, which are reordered.
ValueSpread spreadOfValues(double *values, int count);

struct GroupStatistics
{
    QString group; // the technology, day, week, month or verdict; "?" for a moment that does not parse
    int measurements = 0;
    QVector<int> statusCounts; // one per statusColumns() entry
    int okCount = 0;           // measurements with "ЕСТЬ ПЛ."
    ValueSpread temperature;
    ValueSpread emf;

    double okShare() const { return measurements > 0 ? double(okCount) / measurements : 0.0; } // 0 for none
};

// The status columns of every table: the verdicts, then "none" for the files without "Status" (the
// word that --status takes for them).
QStringList statusColumns();
QString noStatusColumn();

// The statistics of measurements handed over one by one, so that no record of each needs to be kept:
// per group the counts and the numbers themselves, 16 bytes a measurement, which the exact medians
// need.
class StatisticsCollector
{
public:
    explicit StatisticsCollector(Grouping grouping);
    void add(const MeasurementFacts &facts);
    // The groups: technologies and verdicts in the order of their names and columns, periods in time
    // order, an unparsed moment's "?" last.
    QVector<GroupStatistics> groups() const;
    // All of them in one group named `name`, also when there are none.
    GroupStatistics total(const QString &name) const;

private:
    struct Group
    {
        GroupStatistics statistics;
        std::vector<double> temperatures;
        std::vector<double> emfs;
    };
    Grouping grouping;
    QStringList columns;
    QHash<QString, int> indexOfGroup;
    std::vector<Group> collected;
};

// The same for measurements already at hand.
QVector<GroupStatistics> groupStatistics(const QVector<MeasurementFacts> &facts, Grouping grouping);
GroupStatistics totalStatistics(const QVector<MeasurementFacts> &facts, const QString &name);

// A statistic as written for people and for spreadsheets: at most ten significant digits, so that the
// mean of two values stored with one decimal does not show the double's rounding residue.
QString statisticText(double value);
QString shareText(double share); // "42.9 %"

} // namespace statistics
