// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reportheading.h"

#include "statistics/archivestatistics.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QIODevice;
class QPrinter;

namespace printing {

// Measurements on each page after the summary: a grid of columns and rows.
constexpr int reportGridColumns = 2;
constexpr int reportGridRows = 3;
constexpr int measurementsPerReportPage = reportGridColumns * reportGridRows;

// Writes the report on A4 landscape pages: the summary (statistics per technology and the trend of
// the temperature), then the measurements newest first, each drawn from its file, which is read
// again when its page is drawn. Pages are written one by one, so the memory needed does not grow
// with the selection beyond `facts`. Returns the empty text, or why the PDF could not be made; the
// caller checks the device's writes. `progress` is called after each page.
QString writeReport(QIODevice *device, const ReportHeading &heading,
                    const QVector<statistics::MeasurementFacts> &facts,
                    const std::function<void(int page, int pages)> &progress = nullptr);

// The same pages on `printer` (its page set-up made A4 landscape as the PDF's), for a print preview
// that shows exactly the document steel-archive report writes. The empty text, or why not.
QString printReport(QPrinter *printer, const ReportHeading &heading,
                    const QVector<statistics::MeasurementFacts> &facts);

} // namespace printing
