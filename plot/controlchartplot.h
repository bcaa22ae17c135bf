// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statistics/controlchart.h"

#include <QString>

#include <qcustomplot.h>

namespace plot {

// The individuals chart above the moving-range chart, on one shared axis of the points' order: the
// values joined by a line, the centre line and the control limits, the plant's tolerance limits
// where they are set, and the points that break a rule drawn larger in red. Hovering a point names
// its melt, moment and value; clicking one tells which melt it is.
class ControlChartPlot : public QCustomPlot
{
    Q_OBJECT

public:
    explicit ControlChartPlot(QWidget *parent = nullptr);

    // Draws `chart` of `selection`; the title line names the technology, the result and the limits.
    void showChart(const statistics::ChartSelection &selection, const statistics::ControlChart &chart);
    const statistics::ControlChart &chart() const { return shown; }
    // The index of the point drawn nearest to `position` (in widget pixels), within a few pixels;
    // -1 for none.
    int pointAt(const QPoint &position) const;
    // Where the point of `index` is drawn on the individuals chart, in widget pixels.
    QPoint pointPosition(int index) const;
    // The tooltip of a point: melt, moment and value.
    QString pointText(int index) const;

signals:
    // A point was clicked: its melt's file name (as the archive's listing gives it).
    void meltClicked(const QString &fileName);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void addLimitLines(QCPAxisRect *rect, const QVector<std::pair<std::optional<double>, QPen>> &lines);
    void addPoints(QCPAxisRect *rect, const QVector<double> &keys, const QVector<double> &values,
                   const QVector<bool> &marked);

    QCPAxisRect *valuesRect;
    QCPAxisRect *rangesRect;
    QCPTextElement *title;
    statistics::ControlChart shown;
};

// The title line of a chart: "Технология K1 · температура, °С · 100 плавок · X̄ = … ".
QString chartTitle(const statistics::ChartSelection &selection, const statistics::ControlChart &chart);
// The result as the viewer names it ("Температура, °С").
QString chartResultName(statistics::ChartResult result);

} // namespace plot
