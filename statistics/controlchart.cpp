// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlchart.h"

#include "measurement/resultnumber.h"
#include "query/indexedsearch.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace statistics {

namespace {

// Oldest first; equal moments by file name, so that the order never depends on the listing's.
bool chartedBefore(const ChartMelt &a, const ChartMelt &b)
{
    if (a.moment < b.moment)
        return true;
    if (b.moment < a.moment)
        return false;
    return a.fileName < b.fileName;
}

void computeLimits(ControlChart &chart)
{
    if (chart.points.isEmpty())
        return;
    double sum = 0;
    double rangeSum = 0;
    const ChartPoint *previous = nullptr;
    for (ChartPoint &p : chart.points) {
        sum += *p.melt.value;
        if (previous) {
            p.movingRange = std::fabs(*p.melt.value - *previous->melt.value);
            rangeSum += *p.movingRange;
        }
        previous = &p;
    }
    const int count = int(chart.points.size());
    chart.mean = sum / count;
    if (count < 2)
        return;
    const double movingRangeMean = rangeSum / (count - 1);
    chart.movingRangeMean = movingRangeMean;
    chart.sigma = movingRangeMean / movingRangeSigmaDivisor;
    chart.lowerLimit = *chart.mean - individualsLimitFactor * movingRangeMean;
    chart.upperLimit = *chart.mean + individualsLimitFactor * movingRangeMean;
    chart.movingRangeUpperLimit = movingRangeLimitFactor * movingRangeMean;
}

void markRuleBreaks(ControlChart &chart)
{
    if (!chart.upperLimit)
        return;   // one point: no limits, no rule
    int side = 0; // +1 above the centre, -1 below, 0 on it
    int run = 0;
    for (ChartPoint &p : chart.points) {
        const double value = *p.melt.value;
        p.beyondLimits = value > *chart.upperLimit || value < *chart.lowerLimit;
        p.movingRangeBeyondLimit = p.movingRange && *p.movingRange > *chart.movingRangeUpperLimit;
        const int pointSide = value > *chart.mean ? 1 : value < *chart.mean ? -1 : 0;
        run = pointSide != 0 && pointSide == side ? run + 1 : 1;
        side = pointSide;
        // The point that completes the run is marked, and every one that continues it.
        p.inRun = side != 0 && run >= runLength;
    }
}

void compareWithTolerance(ControlChart &chart)
{
    const ToleranceLimits &limits = chart.tolerance;
    if (!limits.lower && !limits.upper)
        return;
    for (ChartPoint &p : chart.points) {
        const double value = *p.melt.value;
        p.outsideTolerance =
            (limits.lower && value < *limits.lower) || (limits.upper && value > *limits.upper);
        chart.outsideTolerance += p.outsideTolerance ? 1 : 0;
    }
    if (!chart.points.isEmpty())
        chart.outsideShare = double(chart.outsideTolerance) / chart.points.size();
    if (limits.lower && limits.upper && chart.sigma && *chart.sigma > 0) {
        const double toUpper = *limits.upper - *chart.mean;
        const double toLower = *chart.mean - *limits.lower;
        chart.cpk = std::min(toUpper, toLower) / (3.0 * *chart.sigma);
    }
}

} // namespace

QStringList chartResultNames()
{
    // In the order of the enumeration.
    return {QStringLiteral("temperature"), QStringLiteral("oxidation"), QStringLiteral("emf"),
            QStringLiteral("aluminium"), QStringLiteral("carbon")};
}

std::optional<ChartResult> parseChartResult(const QString &name)
{
    const int index = chartResultNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return ChartResult(index);
}

std::optional<QString> chartResultText(const measurement::MeasurementResults &results, ChartResult result)
{
    switch (result) {
    case ChartResult::temperature:
        return results.temperatureText;
    case ChartResult::oxidation:
        return results.oxidation;
    case ChartResult::emf:
        return results.emfText;
    case ChartResult::aluminium:
        return results.aluminiumMass;
    case ChartResult::carbon:
        break;
    }
    return results.carbon;
}

ChartMelt chartMeltOf(const query::FoundMeasurement &found, ChartResult result)
{
    return {found.fileName,
            found.encodedName,
            found.technology,
            found.moment,
            found.digest.smelt.value_or(QString()),
            measurement::resultNumber(chartResultText(found.digest, result))};
}

int ControlChart::beyondLimitsCount() const
{
    return int(
        std::count_if(points.cbegin(), points.cend(), [](const ChartPoint &p) { return p.beyondLimits; }));
}

int ControlChart::inRunCount() const
{
    return int(std::count_if(points.cbegin(), points.cend(), [](const ChartPoint &p) { return p.inRun; }));
}

int ControlChart::movingRangeBeyondCount() const
{
    return int(std::count_if(points.cbegin(), points.cend(),
                             [](const ChartPoint &p) { return p.movingRangeBeyondLimit; }));
}

ControlChart computeControlChart(QVector<ChartMelt> melts, const ToleranceLimits &tolerance,
                                 std::optional<int> lastMelts, int unreadableFiles)
{
    // A name whose moment does not parse has no place in time, and the viewer's lists leave it out.
    melts.erase(
        std::remove_if(melts.begin(), melts.end(), [](const ChartMelt &m) { return !m.moment.isValid(); }),
        melts.end());
    std::sort(melts.begin(), melts.end(), chartedBefore);
    if (lastMelts && *lastMelts >= 0 && *lastMelts < melts.size())
        melts = melts.mid(melts.size() - *lastMelts);
    ControlChart chart;
    chart.unreadableFiles = unreadableFiles;
    chart.tolerance = tolerance;
    for (ChartMelt &melt : melts) {
        if (!melt.value || !std::isfinite(*melt.value)) {
            ++chart.meltsWithoutValue;
            continue;
        }
        ChartPoint point;
        point.melt = std::move(melt);
        chart.points.append(std::move(point));
    }
    computeLimits(chart);
    markRuleBreaks(chart);
    compareWithTolerance(chart);
    return chart;
}

query::SearchCriteria chartCriteria(const ChartSelection &selection)
{
    query::SearchCriteria criteria;
    criteria.technology = selection.technology;
    criteria.from = selection.from;
    criteria.to = selection.to;
    return criteria;
}

ControlChart readControlChart(const QString &directory, const ChartSelection &selection,
                              const archive::ArchiveReading &reading, QStringList *unreadable)
{
    QVector<ChartMelt> melts;
    QStringList skipped;
    // The search matches a technology without letter case; a chart is of the one named exactly.
    query::visitMeasurements(
        directory, chartCriteria(selection),
        [&](query::FoundMeasurement &&found) {
            if (found.technology == selection.technology)
                melts.append(chartMeltOf(found, selection.result));
        },
        &skipped, reading);
    if (unreadable)
        *unreadable = skipped;
    return computeControlChart(std::move(melts), selection.tolerance, selection.lastMelts,
                               int(skipped.size()));
}

std::optional<ControlChart> indexedControlChart(const QString &directory, const ChartSelection &selection,
                                                const std::function<bool()> &stopRequested)
{
    QVector<ChartMelt> melts;
    const bool asked = query::visitIndexedMeasurements(
        directory, chartCriteria(selection),
        [&](query::FoundMeasurement &&found) {
            if (found.technology == selection.technology)
                melts.append(chartMeltOf(found, selection.result));
        },
        stopRequested);
    if (!asked)
        return std::nullopt;
    return computeControlChart(std::move(melts), selection.tolerance, selection.lastMelts);
}

QStringList chartRuleTexts()
{
    return {
        QCoreApplication::translate("statistics", "rule 1: a value beyond a control limit"),
        QCoreApplication::translate("statistics", "rule 2: %1 values in a row on one side of the centre line")
            .arg(runLength),
        QCoreApplication::translate("statistics", "moving range above its upper limit")};
}

} // namespace statistics
