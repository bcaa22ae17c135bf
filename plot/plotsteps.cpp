// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plotsteps.h"

#include <qcustomplot.h>

#include <QColor>
#include <QFont>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace plot {

namespace {

const QColor temperatureColour(232, 76, 61);
const QColor emfColour(43, 62, 76);

// Wider ranges would hide every detail of a real curve; narrower ones would only magnify noise.
constexpr double widestValueRange = 199999.0;
constexpr double narrowestValueRange = 0.1;
constexpr double rangeWidening = 1.2;

QFont axisFont()
{
    return QFont(QStringLiteral("Open Sans"), 10, -1, false);
}

QPen curvePen(const QColor &colour, Qt::PenStyle style = Qt::SolidLine)
{
    return QPen(QBrush(colour, Qt::SolidPattern), 2.0, style, Qt::SquareCap, Qt::BevelJoin);
}

// The compared melt's stroke: its curve's colour halfway to white, dashed, so that the two melts
// stay apart on a grey printout as well.
QPen comparedPen(const QColor &colour)
{
    const auto halfway = [](int channel) { return (channel + 255) / 2; };
    return curvePen(QColor(halfway(colour.red()), halfway(colour.green()), halfway(colour.blue())),
                    Qt::DashLine);
}

void addCurve(QCustomPlot *plot, QCPAxis *keyAxis, QCPAxis *valueAxis, const QVector<double> &keys,
              const QVector<double> &values, const QPen &pen)
{
    plot->addGraph(keyAxis, valueAxis);
    plot->graph()->setData(keys, values, false);
    plot->graph()->setPen(pen);
}

bool hasFiniteSample(const QVector<double> &values)
{
    return std::any_of(values.cbegin(), values.cend(), [](double v) { return std::isfinite(v); });
}

// The compared melt's two curves after the shown melt's, and the legend naming all four.
void addComparedCurves(QCustomPlot *plot, const QVector<double> &keys, const ComparedCurves &compared)
{
    addCurve(plot, nullptr, nullptr, keys, compared.tempValues, comparedPen(temperatureColour));
    addCurve(plot, plot->xAxis, plot->yAxis2, keys, compared.emfValues, comparedPen(emfColour));
    const QString temperature = QStringLiteral("%1 — температура");
    const QString emf = QStringLiteral("%1 — ЭДС");
    plot->graph(0)->setName(temperature.arg(compared.shownName));
    plot->graph(1)->setName(emf.arg(compared.shownName));
    plot->graph(2)->setName(temperature.arg(compared.comparedName));
    plot->graph(3)->setName(emf.arg(compared.comparedName));
    plot->legend->setFont(QFont(QStringLiteral("Open Sans"), 9, -1, false));
    plot->legend->setBrush(QColor(255, 255, 255, 220));
    // Below the curves' plateau, where a measurement's plot is usually empty.
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignBottom | Qt::AlignRight);
    plot->legend->setVisible(true);
}

// The legend belongs to a comparison only; the plot without one keeps the toolkit's hidden legend.
void hideLegend(QCustomPlot *plot)
{
    if (plot->legend->visible())
        plot->legend->setVisible(false);
}

// The zero line stays in view, but the range is only ever extended to reach it: moving the lower
// bound to zero would push an entirely negative curve (an oxygen probe's EMF) off the plot.
void includeZero(QCPAxis *axis)
{
    const QCPRange range = axis->range();
    axis->setRange(std::min(range.lower, 0.0), std::max(range.upper, 0.0));
}

// 1.2 times as wide about the unchanged centre. Done with setRange rather than setScaleRatio against
// the axis itself: that call divides by the axis rect's pixel height, which is zero until the plot
// has been laid out, and the first measurement is drawn before the window is shown.
void widenRange(QCPAxis *axis)
{
    const QCPRange range = axis->range();
    axis->setRange(range.center(), range.size() * rangeWidening, Qt::AlignCenter);
}

// A flat curve (all samples equal, or a single one) has no span to fit: the plot would keep the
// previous range's width about the value, so the picture would depend on what was shown before. It
// gets a span of its own instead: the value plus and minus 1 %, or 1 unit where that is more.
void spanFlatValues(QCPAxis *axis, const QVector<double> &values)
{
    double lowest = qInf();
    double highest = -qInf();
    for (const double v : values) {
        if (std::isfinite(v)) {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    }
    if (!std::isfinite(lowest) || lowest != highest)
        return;
    const double half = std::max(std::abs(lowest) * 0.01, 1.0);
    axis->setRange(lowest - half, lowest + half);
}

// The keys at which either curve has a sample; a single such key is a flat span on the time axis.
QVector<double> recordedKeys(const QVector<double> &keys, const QVector<double> &a, const QVector<double> &b)
{
    QVector<double> recorded;
    for (int i = 0; i < keys.size(); ++i) {
        if ((i < a.size() && std::isfinite(a.at(i))) || (i < b.size() && std::isfinite(b.at(i))))
            recorded.append(keys.at(i));
    }
    return recorded;
}

void boundRangeWidth(QCPAxis *axis)
{
    const double lower = axis->range().lower;
    const double upper = axis->range().upper;
    const double centre = (lower + upper) * 0.5;
    const double width = upper - lower;
    if (width > widestValueRange)
        axis->setRange(centre, widestValueRange, Qt::AlignCenter);
    else if (width < narrowestValueRange)
        axis->setRange(centre, narrowestValueRange, Qt::AlignCenter);
}

} // namespace

void clearPlot(QCustomPlot *plot)
{
    plot->clearGraphs();
}

void configureAxes(QCustomPlot *plot)
{
    const QFont font = axisFont();
    plot->xAxis->setTickLabelFont(font);
    plot->yAxis->setTickLabelFont(font);
    plot->yAxis2->setTickLabelFont(font);
    plot->xAxis->setLabelFont(font);
    plot->yAxis->setLabelFont(font);
    plot->yAxis2->setLabelFont(font);
    plot->yAxis->setLabelColor(temperatureColour);
    plot->yAxis2->setLabelColor(emfColour);
    plot->xAxis->setLabel(QStringLiteral("ВРЕМЯ, сек."));
    plot->yAxis->setLabel(QStringLiteral("ТЕМПЕРАТУРА, \u00B0C"));
    plot->yAxis2->setLabel(QStringLiteral("ЭДС, мВ"));
    plot->xAxis->ticker()->setTickStepStrategy(QCPAxisTicker::tssMeetTickCount);
}

void resetPlot(QCustomPlot *plot)
{
    plot->clearGraphs();
    hideLegend(plot);
    plot->yAxis2->setVisible(false);
    plot->yAxis2->setTickLabels(false);
}

void activateRightAxis(QCustomPlot *plot)
{
    plot->yAxis2->setVisible(true);
    plot->yAxis2->setTickLabels(true);
}

void displayCurves(QCustomPlot *plot, QVector<double> &timeKeys, const QVector<double> &tempValues,
                   const QVector<double> &emfValues, const ComparedCurves *compared)
{
    int count = std::max(tempValues.size(), emfValues.size());
    if (compared)
        count = std::max({count, compared->tempValues.size(), compared->emfValues.size()});
    timeKeys.clear();
    timeKeys.reserve(count);
    for (int i = 0; i < count; ++i)
        timeKeys.append(double(i) * 0.1);

    plot->clearItems();
    plot->clearGraphs();
    addCurve(plot, nullptr, nullptr, timeKeys, tempValues, curvePen(temperatureColour));
    addCurve(plot, plot->xAxis, plot->yAxis2, timeKeys, emfValues, curvePen(emfColour));
    if (compared)
        addComparedCurves(plot, timeKeys, *compared);
    else
        hideLegend(plot);

    plot->rescaleAxes(true);
    // A flat span only where every curve on the axis is flat at one value.
    QVector<double> keys = recordedKeys(timeKeys, tempValues, emfValues);
    QVector<double> temperatures = tempValues;
    QVector<double> emfs = emfValues;
    if (compared) {
        keys += recordedKeys(timeKeys, compared->tempValues, compared->emfValues);
        temperatures += compared->tempValues;
        emfs += compared->emfValues;
    }
    spanFlatValues(plot->xAxis, keys);
    spanFlatValues(plot->yAxis, temperatures);
    spanFlatValues(plot->yAxis2, emfs);
    // An axis without a single finite sample keeps its range untouched, so that loading a file with
    // no usable curve again and again does not keep widening the empty axis.
    const bool temperatureDrawn =
        hasFiniteSample(tempValues) || (compared && hasFiniteSample(compared->tempValues));
    const bool emfDrawn = hasFiniteSample(emfValues) || (compared && hasFiniteSample(compared->emfValues));
    if (temperatureDrawn)
        includeZero(plot->yAxis);
    if (emfDrawn)
        includeZero(plot->yAxis2);
    if (temperatureDrawn)
        widenRange(plot->yAxis);
    if (emfDrawn)
        widenRange(plot->yAxis2);
    if (temperatureDrawn)
        boundRangeWidth(plot->yAxis);
    if (emfDrawn)
        boundRangeWidth(plot->yAxis2);
    plot->replot();
}

void showMeasurement(QCustomPlot *plot, const QVector<double> &tempValues, const QVector<double> &emfValues)
{
    clearPlot(plot);
    configureAxes(plot);
    activateRightAxis(plot);
    QVector<double> timeKeys;
    displayCurves(plot, timeKeys, tempValues, emfValues);
}

} // namespace plot
