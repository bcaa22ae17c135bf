// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statistics/controlchart.h"

#include <QSize>

class QIODevice;
class QPrinter;

// A control chart on paper and in picture files: one landscape page (A4, margins of 10 mm), the same
// drawing for the viewer's printout and save and for steel-archive chart.
namespace printing {

// The chart's page as a PDF of vectors; false when it could not be made or written. Needs a
// QApplication.
bool writeControlChartPdf(QIODevice *device, const statistics::ChartSelection &selection,
                          const statistics::ControlChart &chart);
// The chart as a PNG of `size` pixels; false when it could not be made or written.
bool writeControlChartPng(QIODevice *device, const QSize &size, const statistics::ChartSelection &selection,
                          const statistics::ControlChart &chart);
// Prints the chart on one landscape page of `printer`; false when the printer could not begin.
bool printControlChart(QPrinter *printer, const statistics::ChartSelection &selection,
                       const statistics::ControlChart &chart);

// The size a PNG of the chart gets by default: a landscape page at 96 dpi.
QSize defaultChartPictureSize();

} // namespace printing
