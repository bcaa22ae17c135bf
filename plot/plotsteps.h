// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>

class QCustomPlot;

namespace plot {

// Constructor, right after the form is built: starts from a plot without graphs.
void clearPlot(QCustomPlot *plot);
// Constructor, after the first refresh: axis fonts, title colours, titles and the time axis's ticks.
void configureAxes(QCustomPlot *plot);
// On every change above the time list: graphs removed, right axis hidden; no redraw.
void resetPlot(QCustomPlot *plot);
// At the start of a measurement load: right axis and its tick labels shown; no redraw.
void activateRightAxis(QCustomPlot *plot);
// A second melt drawn beside the shown one, and the names the legend gives the two.
struct ComparedCurves
{
    QVector<double> tempValues;
    QVector<double> emfValues;
    QString shownName;
    QString comparedName;
};

// Rebuilds timeKeys, draws temperature (left axis) and EMF (right axis), fits, widens and bounds the
// value ranges and redraws. With `compared`, its two curves follow in lighter strokes of the same
// colours, the ranges fit all four, and a legend names both melts; without, no legend is shown.
void displayCurves(QCustomPlot *plot, QVector<double> &timeKeys, const QVector<double> &tempValues,
                   const QVector<double> &emfValues, const ComparedCurves *compared = nullptr);

// A measurement's curves on a plot of their own, drawn as the window draws them: the steps of the
// window's construction, then those of a measurement's load, in the same order.
void showMeasurement(QCustomPlot *plot, const QVector<double> &tempValues, const QVector<double> &emfValues);

} // namespace plot
