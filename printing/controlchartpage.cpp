// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlchartpage.h"

#include "pdfpainting.h"

#include "plot/controlchartplot.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QPrinter>
#include <QScreen>

namespace printing {

namespace {

const QMarginsF pageMargins(10, 10, 10, 10); // millimetres

QPageLayout landscapePage()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, pageMargins,
                       QPageLayout::Millimeter);
}

// Paints the chart into the painter's printable area; the painter is on a device at the screen's
// resolution, so that the plot's pixel sizes keep their proportions on the page.
bool paintChart(QCPPainter &painter, const QRect &area, const statistics::ChartSelection &selection,
                const statistics::ControlChart &chart)
{
    plot::ControlChartPlot plot;
    plot.resize(area.size());
    plot.showChart(selection, chart);
    painter.translate(area.topLeft());
    plot.toPainter(&painter, area.width(), area.height());
    return painter.end();
}

} // namespace

QSize defaultChartPictureSize()
{
    return QSize(1123, 794); // A4 landscape at 96 dpi
}

bool writeControlChartPdf(QIODevice *device, const statistics::ChartSelection &selection,
                          const statistics::ControlChart &chart)
{
    QPdfWriter writer(device);
    writer.setPageLayout(landscapePage());
    writer.setTitle(plot::chartResultName(selection.result) + QStringLiteral(" — ") + selection.technology);
    QCPPainter painter;
    if (!beginPlotPainting(painter, writer))
        return false;
    return paintChart(painter,
                      QRect(QPoint(0, 0), writer.pageLayout().paintRectPixels(writer.resolution()).size()),
                      selection, chart);
}

bool writeControlChartPng(QIODevice *device, const QSize &size, const statistics::ChartSelection &selection,
                          const statistics::ControlChart &chart)
{
    plot::ControlChartPlot plot;
    plot.resize(size);
    plot.showChart(selection, chart);
    const QImage image = plot.toPixmap(size.width(), size.height(), 1.0).toImage();
    if (image.isNull())
        return false;
    // Encoded in memory first, so that a failed write is one failure of ours, checked.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    return device->write(encoded) == encoded.size();
}

bool printControlChart(QPrinter *printer, const statistics::ChartSelection &selection,
                       const statistics::ControlChart &chart)
{
    printer->setPageLayout(landscapePage());
    // At the screen's resolution, as the PDF is drawn: the plot's fonts in points and its lines in
    // pixels keep their proportions on any printer.
    const QScreen *screen = QGuiApplication::primaryScreen();
    printer->setResolution(screen ? qRound(screen->logicalDotsPerInchY()) : 96);
    QCPPainter painter;
    if (!painter.begin(printer))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    return paintChart(painter, QRect(QPoint(0, 0), page.size()), selection, chart);
}

} // namespace printing
