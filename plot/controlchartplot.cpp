// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlchartplot.h"

#include "statistics/archivestatistics.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QToolTip>

namespace plot {

namespace {

// A point counts as hovered or clicked within this many pixels of where it is drawn.
constexpr double pickRadius = 8.0;

const QColor valueColour(31, 97, 171);
const QColor markedColour(214, 39, 40);
const QColor centreColour(44, 160, 44);
const QColor limitColour(214, 39, 40);
const QColor toleranceColour(255, 127, 14);

QString number(const std::optional<double> &value)
{
    return value ? statistics::statisticText(*value).replace(QLatin1Char('.'), QLatin1Char(','))
                 : QStringLiteral("—");
}

// Six significant digits: enough to read a limit, short enough for a title line.
QString shortNumber(const std::optional<double> &value)
{
    return value ? QString::number(*value, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','))
                 : QStringLiteral("—");
}

QPen linePen(const QColor &colour, Qt::PenStyle style)
{
    QPen pen(colour, 1.5);
    pen.setStyle(style);
    return pen;
}

void styleAxes(QCPAxisRect *rect, const QString &valueLabel, const QString &keyLabel)
{
    const QFont font(QStringLiteral("Open Sans"), 9);
    for (QCPAxis *axis : {rect->axis(QCPAxis::atLeft), rect->axis(QCPAxis::atBottom)}) {
        axis->setLabelFont(font);
        axis->setTickLabelFont(font);
    }
    rect->axis(QCPAxis::atLeft)->setLabel(valueLabel);
    rect->axis(QCPAxis::atBottom)->setLabel(keyLabel);
    rect->axis(QCPAxis::atBottom)->ticker()->setTickStepStrategy(QCPAxisTicker::tssReadability);
}

// The span of everything drawn on a value axis, widened a little so that no line sits on the frame.
void fitValueAxis(QCPAxis *axis, double low, double high)
{
    if (!(low < high)) {
        const double pad = low == 0 ? 1.0 : std::abs(low) * 0.01;
        low -= pad;
        high += pad;
    }
    const double margin = (high - low) * 0.08;
    axis->setRange(low - margin, high + margin);
}

} // namespace

QString chartResultName(statistics::ChartResult result)
{
    switch (result) {
    case statistics::ChartResult::temperature:
        return QStringLiteral("Температура, °С");
    case statistics::ChartResult::oxidation:
        return QStringLiteral("Окисленность, ppm");
    case statistics::ChartResult::emf:
        return QStringLiteral("ЭДС, мВ");
    case statistics::ChartResult::aluminium:
        return QStringLiteral("Масса алюминия, кг");
    case statistics::ChartResult::carbon:
        break;
    }
    return QStringLiteral("Углерод, %");
}

QString chartTitle(const statistics::ChartSelection &selection, const statistics::ControlChart &chart)
{
    QStringList head{QStringLiteral("Контрольная карта X–MR"),
                     QStringLiteral("технология %1").arg(selection.technology),
                     chartResultName(selection.result), QStringLiteral("точек: %1").arg(chart.points.size())};
    if (chart.meltsWithoutValue > 0)
        head << QStringLiteral("без значения: %1").arg(chart.meltsWithoutValue);
    if (chart.unreadableFiles > 0)
        head << QStringLiteral("не прочитано: %1").arg(chart.unreadableFiles);
    QStringList figures{QStringLiteral("X̄ = %1").arg(shortNumber(chart.mean)),
                        QStringLiteral("НКГ = %1").arg(shortNumber(chart.lowerLimit)),
                        QStringLiteral("ВКГ = %1").arg(shortNumber(chart.upperLimit)),
                        QStringLiteral("MR̄ = %1").arg(shortNumber(chart.movingRangeMean)),
                        QStringLiteral("ВКГ MR = %1").arg(shortNumber(chart.movingRangeUpperLimit))};
    const statistics::ToleranceLimits &limits = chart.tolerance;
    if (limits.lower || limits.upper)
        figures << QStringLiteral("допуск %1 … %2").arg(shortNumber(limits.lower), shortNumber(limits.upper));
    if (chart.outsideShare)
        figures << QStringLiteral("вне допуска: %1 (%2)")
                       .arg(chart.outsideTolerance)
                       .arg(statistics::shareText(*chart.outsideShare)
                                .replace(QLatin1Char('.'), QLatin1Char(',')));
    if (chart.cpk)
        figures << QStringLiteral("Cpk = %1")
                       .arg(QString::number(*chart.cpk, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(',')));
    const QString rules =
        QStringLiteral("Красным: правило 1 — за контрольной границей (%1); правило 2 — %2 подряд по одну "
                       "сторону от центра (%3); размах выше своей границы (%4)")
            .arg(chart.beyondLimitsCount())
            .arg(statistics::runLength)
            .arg(chart.inRunCount())
            .arg(chart.movingRangeBeyondCount());
    return head.join(QStringLiteral("   ")) + QLatin1Char('\n') + figures.join(QStringLiteral("   ")) +
           QLatin1Char('\n') + rules;
}

ControlChartPlot::ControlChartPlot(QWidget *parent) : QCustomPlot(parent)
{
    setObjectName(QStringLiteral("controlChartPlot"));
    setMouseTracking(true);
    plotLayout()->clear();
    title = new QCPTextElement(this, QString(), QFont(QStringLiteral("Open Sans"), 10));
    plotLayout()->addElement(0, 0, title);
    valuesRect = new QCPAxisRect(this);
    rangesRect = new QCPAxisRect(this);
    plotLayout()->addElement(1, 0, valuesRect);
    plotLayout()->addElement(2, 0, rangesRect);
    plotLayout()->setRowStretchFactor(0, 0.01);
    plotLayout()->setRowStretchFactor(1, 2);
    plotLayout()->setRowStretchFactor(2, 1);
    // The two charts share their left and right edges, so that a point of one stands above its range.
    auto *margins = new QCPMarginGroup(this);
    valuesRect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
    rangesRect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
    styleAxes(valuesRect, QString(), QString());
    styleAxes(rangesRect, QStringLiteral("Скользящий размах"), QStringLiteral("Плавки по времени"));
}

void ControlChartPlot::addLimitLines(QCPAxisRect *rect,
                                     const QVector<std::pair<std::optional<double>, QPen>> &lines)
{
    const double first = 0.5;
    const double last = double(shown.points.size()) + 0.5;
    for (const auto &[level, pen] : lines) {
        if (!level)
            continue;
        QCPGraph *graph = addGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
        graph->setPen(pen);
        graph->setData({first, last}, {*level, *level}, true);
    }
}

void ControlChartPlot::addPoints(QCPAxisRect *rect, const QVector<double> &keys,
                                 const QVector<double> &values, const QVector<bool> &marked)
{
    QCPGraph *line = addGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    line->setPen(QPen(valueColour, 1.2));
    line->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, valueColour, valueColour, 5));
    line->setData(keys, values, true);
    QVector<double> markedKeys;
    QVector<double> markedValues;
    for (int i = 0; i < keys.size(); ++i) {
        if (marked[i]) {
            markedKeys << keys[i];
            markedValues << values[i];
        }
    }
    QCPGraph *marks = addGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    marks->setLineStyle(QCPGraph::lsNone);
    marks->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(markedColour, 2), markedColour, 10));
    marks->setData(markedKeys, markedValues, true);
}

void ControlChartPlot::showChart(const statistics::ChartSelection &selection,
                                 const statistics::ControlChart &chart)
{
    shown = chart;
    clearGraphs();
    title->setText(chartTitle(selection, chart));
    valuesRect->axis(QCPAxis::atLeft)->setLabel(chartResultName(selection.result));
    QVector<double> keys, values, rangeKeys, ranges;
    QVector<bool> marked, rangeMarked;
    double low = chart.mean.value_or(0), high = low, rangeHigh = chart.movingRangeUpperLimit.value_or(0);
    for (int i = 0; i < chart.points.size(); ++i) {
        const statistics::ChartPoint &p = chart.points[i];
        keys << i + 1;
        values << *p.melt.value;
        marked << (p.beyondLimits || p.inRun);
        low = std::min(low, *p.melt.value);
        high = std::max(high, *p.melt.value);
        if (p.movingRange) {
            rangeKeys << i + 1;
            ranges << *p.movingRange;
            rangeMarked << p.movingRangeBeyondLimit;
            rangeHigh = std::max(rangeHigh, *p.movingRange);
        }
    }
    const statistics::ToleranceLimits &limits = chart.tolerance;
    for (const std::optional<double> &level :
         {chart.lowerLimit, chart.upperLimit, limits.lower, limits.upper}) {
        if (level) {
            low = std::min(low, *level);
            high = std::max(high, *level);
        }
    }
    addLimitLines(valuesRect, {{chart.mean, linePen(centreColour, Qt::SolidLine)},
                               {chart.lowerLimit, linePen(limitColour, Qt::DashLine)},
                               {chart.upperLimit, linePen(limitColour, Qt::DashLine)},
                               {limits.lower, linePen(toleranceColour, Qt::DashDotLine)},
                               {limits.upper, linePen(toleranceColour, Qt::DashDotLine)}});
    addLimitLines(rangesRect, {{chart.movingRangeMean, linePen(centreColour, Qt::SolidLine)},
                               {chart.movingRangeUpperLimit, linePen(limitColour, Qt::DashLine)}});
    addPoints(valuesRect, keys, values, marked);
    addPoints(rangesRect, rangeKeys, ranges, rangeMarked);
    for (QCPAxisRect *rect : {valuesRect, rangesRect})
        rect->axis(QCPAxis::atBottom)->setRange(0.5, std::max<double>(chart.points.size(), 1) + 0.5);
    fitValueAxis(valuesRect->axis(QCPAxis::atLeft), low, high);
    fitValueAxis(rangesRect->axis(QCPAxis::atLeft), 0, rangeHigh);
    replot();
}

int ControlChartPlot::pointAt(const QPoint &position) const
{
    int nearest = -1;
    double nearestDistance = pickRadius;
    for (int i = 0; i < shown.points.size(); ++i) {
        const statistics::ChartPoint &p = shown.points[i];
        QVector<std::pair<QCPAxisRect *, double>> drawn{{valuesRect, *p.melt.value}};
        if (p.movingRange)
            drawn.append({rangesRect, *p.movingRange});
        for (const auto &[rect, value] : drawn) {
            const QPointF at(rect->axis(QCPAxis::atBottom)->coordToPixel(i + 1),
                             rect->axis(QCPAxis::atLeft)->coordToPixel(value));
            const double distance = QLineF(at, QPointF(position)).length();
            if (distance <= nearestDistance) {
                nearestDistance = distance;
                nearest = i;
            }
        }
    }
    return nearest;
}

QPoint ControlChartPlot::pointPosition(int index) const
{
    if (index < 0 || index >= shown.points.size())
        return QPoint(-1, -1);
    return QPointF(valuesRect->axis(QCPAxis::atBottom)->coordToPixel(index + 1),
                   valuesRect->axis(QCPAxis::atLeft)->coordToPixel(*shown.points[index].melt.value))
        .toPoint();
}

QString ControlChartPlot::pointText(int index) const
{
    if (index < 0 || index >= shown.points.size())
        return QString();
    const statistics::ChartPoint &p = shown.points[index];
    QString text = QStringLiteral("Плавка %1\n%2\nЗначение: %3")
                       .arg(p.melt.melt.isEmpty() ? QStringLiteral("—") : p.melt.melt,
                            QDateTime(p.melt.moment.date, p.melt.moment.time)
                                .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")),
                            number(p.melt.value));
    if (p.movingRange)
        text += QStringLiteral("\nСкользящий размах: %1").arg(number(p.movingRange));
    if (p.beyondLimits)
        text += QStringLiteral("\nЗа контрольной границей (правило 1)");
    if (p.inRun)
        text +=
            QStringLiteral("\n%1 подряд по одну сторону от центра (правило 2)").arg(statistics::runLength);
    if (p.movingRangeBeyondLimit)
        text += QStringLiteral("\nРазмах выше своей границы");
    if (p.outsideTolerance)
        text += QStringLiteral("\nВне допуска");
    return text;
}

void ControlChartPlot::mouseMoveEvent(QMouseEvent *event)
{
    QCustomPlot::mouseMoveEvent(event);
    const int index = pointAt(event->pos());
    if (index >= 0)
        QToolTip::showText(event->globalPos(), pointText(index), this);
    else
        QToolTip::hideText();
}

void ControlChartPlot::mouseReleaseEvent(QMouseEvent *event)
{
    QCustomPlot::mouseReleaseEvent(event);
    const int index = event->button() == Qt::LeftButton ? pointAt(event->pos()) : -1;
    if (index >= 0)
        emit meltClicked(shown.points[index].melt.fileName);
}

} // namespace plot
