// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurementpicture.h"

#include "pdfpainting.h"

#include "archive/archivename.h"
#include "plot/plotsteps.h"

#include <QBuffer>
#include <QImage>
#include <QPdfWriter>

#include <qcustomplot.h>

namespace printing {

namespace {

QString captionText(const QString &path, const measurement::Measurement &m)
{
    const archive::Moment moment = archive::momentOfFile(path);
    QStringList parts;
    parts << QStringLiteral("Плавка: ") + measurement::displayText(m.smelt)
          << QStringLiteral("Технология: ") + archive::technologyOfFile(path)
          << QStringLiteral("Время: ") + archive::momentDisplayText(moment.date, moment.time);
    if (m.status)
        parts << QStringLiteral("Статус: ") + *m.status;
    return parts.join(QStringLiteral("    "));
}

// The plot as a PNG, drawn as QCustomPlot::savePng draws it, into a device whose every write is checked.
// Encoded in memory first: libpng meeting a failed write prints a line of its own on standard error,
// beside ours; a picture of at most 10000 x 10000 pixels fits in memory.
bool writePng(QCustomPlot &plot, int width, int height, QIODevice *device)
{
    QImage image = plot.toPixmap(width, height, 1.0).toImage();
    if (image.isNull())
        return false;
    const int dotsPerMeter = int(96 / 0.0254); // the 96 dpi QCustomPlot writes
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    return device->write(encoded) == encoded.size();
}

// The plot as a one-page PDF of width x height points, as QCustomPlot::savePdf draws it: at the screen's
// resolution, the plot's pixels mapped onto the page's points.
bool writePdf(QCustomPlot &plot, int width, int height, QIODevice *device)
{
    QPdfWriter writer(device);
    QPageLayout layout(QPageSize(QSize(width, height), QPageSize::Point, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    layout.setMode(QPageLayout::FullPageMode);
    writer.setPageLayout(layout);
    QCPPainter painter;
    if (!printing::beginPlotPainting(painter, writer))
        return false;
    painter.setWindow(QRect(0, 0, width, height));
    plot.toPainter(&painter, width, height);
    return painter.end();
}

// The measurement as the window shows it, with the caption line above.
void setUpPlot(QCustomPlot &plot, const QSize &size, const QString &path, const measurement::Measurement &m)
{
    plot.resize(size);
    plot::showMeasurement(&plot, m.temperature, m.emf);
    plot.plotLayout()->insertRow(0);
    plot.plotLayout()->addElement(
        0, 0, new QCPTextElement(&plot, captionText(path, m), QFont(QStringLiteral("Open Sans"), 10)));
}

} // namespace

bool writeMeasurementPicture(QIODevice *device, Picture picture, const QSize &size, const QString &path,
                             const measurement::Measurement &m)
{
    QCustomPlot plot;
    setUpPlot(plot, size, path, m);
    return picture == Picture::png ? writePng(plot, size.width(), size.height(), device)
                                   : writePdf(plot, size.width(), size.height(), device);
}

} // namespace printing
