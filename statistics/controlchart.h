// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivename.h"
#include "archive/archivereader.h"
#include "measurement/measurementfile.h"
#include "query/foundmeasurements.h"
#include "query/searchcriteria.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

// The individuals and moving-range control chart (XmR) of one result of one technology's melts: is
// the process drifting. Limits from the mean moving range, as quality software computes them for
// single values: sigma is estimated as MR-bar / d2 (d2 = 1.128 for ranges of two), the individuals'
// limits are mean +- 3 sigma = mean +- 2.66 MR-bar, the moving ranges' upper limit D4 MR-bar = 3.267
// MR-bar (their lower limit is 0).
namespace statistics {

// The results a chart is drawn of, in the order the viewer offers them.
enum class ChartResult
{
    temperature, // "Temp", °C
    oxidation,   // "OxActivity", ppm
    emf,         // "Eds", mV
    aluminium,   // "MassAl"
    carbon,      // "Carbon"
};
// "temperature", "oxidation", "emf", "aluminium", "carbon": the names the command line takes.
QStringList chartResultNames();
std::optional<ChartResult> parseChartResult(const QString &name);
// The result's text in a measurement's results, as stored (std::nullopt: a no-value mark).
std::optional<QString> chartResultText(const measurement::MeasurementResults &results, ChartResult result);

constexpr double movingRangeSigmaDivisor = 1.128; // d2 for ranges of two consecutive values
constexpr double individualsLimitFactor = 2.66;   // 3 / d2, rounded as the tables give it
constexpr double movingRangeLimitFactor = 3.267;  // D4 for ranges of two
// Western Electric rule 2 (Nelson's rule 2 asks for 9): this many values in a row on one side of
// the centre line, none on it.
constexpr int runLength = 8;

// One melt (one measurement file) as the chart needs it.
struct ChartMelt
{
    QString fileName;
    QByteArray encodedName; // as query::FoundMeasurement's; empty for every name a text can hold
    QString technology;
    archive::Moment moment;
    QString melt;                // the melt number as stored; empty when it has none
    std::optional<double> value; // the result as a number; none for a no-value mark or a text that is none
};
// `found`'s melt, its result read by the one rule of every statistic (a decimal comma is a
// decimal separator, "nan" and "32767" are no value).
ChartMelt chartMeltOf(const query::FoundMeasurement &found, ChartResult result);

// The plant's tolerance of a result: either side may be missing.
struct ToleranceLimits
{
    std::optional<double> lower;
    std::optional<double> upper;
    bool isValid() const { return !lower || !upper || *lower < *upper; }
};

// What a point of the chart is marked for.
struct ChartPoint
{
    ChartMelt melt;                      // its value is set
    std::optional<double> movingRange;   // |this - previous|; none for the first point
    bool beyondLimits = false;           // rule 1: outside the individuals' control limits
    bool inRun = false;                  // rule 2: ends a run of runLength (or more) on one side
    bool movingRangeBeyondLimit = false; // the moving range above its upper limit
    bool outsideTolerance = false;       // below the lower or above the upper tolerance limit
    bool isMarked() const { return beyondLimits || inRun || movingRangeBeyondLimit; }
};

struct ControlChart
{
    QVector<ChartPoint> points; // the melts with a value, oldest first (equal moments by file name)
    int meltsWithoutValue = 0;  // melts of the period whose result is no number
    int unreadableFiles = 0;    // files of the period that could not be read
    std::optional<double> mean; // centre line; none without points
    std::optional<double> movingRangeMean;       // MR-bar; none with fewer than two points
    std::optional<double> sigma;                 // MR-bar / d2
    std::optional<double> lowerLimit;            // mean - 2.66 MR-bar
    std::optional<double> upperLimit;            // mean + 2.66 MR-bar
    std::optional<double> movingRangeUpperLimit; // 3.267 MR-bar
    ToleranceLimits tolerance;
    int outsideTolerance = 0;           // points outside a set tolerance limit
    std::optional<double> outsideShare; // their share of the points; none without limits or points
    std::optional<double> cpk;          // min(USL - mean, mean - LSL) / 3 sigma: both limits set, sigma > 0

    int beyondLimitsCount() const;
    int inRunCount() const;
    int movingRangeBeyondCount() const;
};

// The chart of `melts` (in any order) after the period's last-melts bound, if any: the latest
// `lastMelts` melts, those without a value among them. Melts whose moment does not parse are left
// out: they have no place in time. `unreadableFiles` is carried into the chart.
ControlChart computeControlChart(QVector<ChartMelt> melts, const ToleranceLimits &tolerance,
                                 std::optional<int> lastMelts = std::nullopt, int unreadableFiles = 0);

// What a chart is drawn of: a technology's melts in a period.
struct ChartSelection
{
    QString technology;
    ChartResult result = ChartResult::temperature;
    std::optional<archive::Moment> from; // included
    std::optional<archive::Moment> to;   // excluded
    std::optional<int> lastMelts;        // of those in from..to
    ToleranceLimits tolerance;
};
// The search criteria that select the selection's melts.
query::SearchCriteria chartCriteria(const ChartSelection &selection);
// Reads the selection's melts from the archive `directory` (through the index, as every
// archive-wide statistic) and computes their chart. Unreadable files are counted, and named in
// `unreadable` when it is given.
ControlChart readControlChart(const QString &directory, const ChartSelection &selection,
                              const archive::ArchiveReading &reading = {}, QStringList *unreadable = nullptr);

// The same from what the archive's index alone knows of files exactly as it filed them: a first answer
// at once, which readControlChart completes. std::nullopt where there is no index to ask.
std::optional<ControlChart> indexedControlChart(const QString &directory, const ChartSelection &selection,
                                                const std::function<bool()> &stopRequested = {});

// The rules a marked point broke, as a person reads them ("rule 1: beyond a control limit").
QStringList chartRuleTexts();

} // namespace statistics
