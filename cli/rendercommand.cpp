// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"
#include "commandline.h"
#include "commandoutput.h"
#include "commands.h"
#include "measurementcommands.h"
#include "output/outputfile.h"

#include "archive/archivename.h"
#include "platform/console.h"
#include "plot/plotsteps.h"
#include "printing/pdfpainting.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextStream>

#include <qcustomplot.h>

namespace cli {

namespace {

constexpr int defaultWidth = 1000;
constexpr int defaultHeight = 600;
constexpr int smallestSide = 100;
constexpr int largestSide = 10000;

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

CommandSyntax renderSyntax()
{
    return {QStringLiteral("render"),
            QCoreApplication::translate(
                "cli", "Draws the curves of a measurement file exactly as the viewer's plot does (same\n"
                       "axes, ranges, colours and fonts), with a caption line above: melt number,\n"
                       "technology and moment from the file name, and status. The output's format\n"
                       "follows its suffix: .png for an image, .pdf for a one-page document; -o - writes\n"
                       "the picture to standard output (a PNG, or a PDF with --pdf) unless it is a\n"
                       "terminal.\n") +
                output::outputRuleHelpText() +
                QCoreApplication::translate(
                    "cli",
                    "A file that cannot be read, or whose first line is not a JSON object, is an error.\n"),
            1, 1, fileCommandExitCodes()};
}

OutputFormats pictureFormats()
{
    OutputFormats formats;
    formats.formats = {output::Format::png, output::Format::pdf};
    formats.options = {{QStringLiteral("png"), output::Format::png},
                       {QStringLiteral("pdf"), output::Format::pdf}};
    formats.unknownSuffixText =
        QCoreApplication::translate("cli", "%1: unknown picture format; the name must end in .png or .pdf");
    return formats;
}

// "WxH" with both sides in range; std::nullopt otherwise.
std::optional<QSize> pictureSize(const QString &text)
{
    static const QRegularExpression sizePattern(QStringLiteral("^([0-9]{1,9})x([0-9]{1,9})$"));
    const QRegularExpressionMatch match = sizePattern.match(text);
    const QSize size(match.hasMatch() ? match.captured(1).toInt() : 0,
                     match.hasMatch() ? match.captured(2).toInt() : 0);
    if (size.width() < smallestSide || size.width() > largestSide || size.height() < smallestSide ||
        size.height() > largestSide)
        return std::nullopt;
    return size;
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

int runRender(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = renderSyntax();
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QCoreApplication::translate("cli", "An archive measurement file."));
    const QCommandLineOption outputOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QCoreApplication::translate("cli", "The picture to write (required)."),
        QStringLiteral("OUT.png|OUT.pdf"));
    const QCommandLineOption sizeOption(
        QStringLiteral("size"),
        QCoreApplication::translate("cli", "Size in pixels (PDF: points), %1 to %2 each (default %3x%4).")
            .arg(smallestSide)
            .arg(largestSide)
            .arg(defaultWidth)
            .arg(defaultHeight),
        QStringLiteral("WxH"));
    parser.addOptions(
        {outputOption, sizeOption,
         QCommandLineOption(QStringLiteral("png"), QCoreApplication::translate("cli", "Write a PNG.")),
         QCommandLineOption(QStringLiteral("pdf"), QCoreApplication::translate("cli", "Write a PDF."))});
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    if (!parser.isSet(outputOption))
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "-o OUT.png or -o OUT.pdf is required"));
    CommandOutput output(syntax.name, out, err);
    const QString path = parser.positionalArguments().constFirst();
    if (!output.choose(parser, outputOption, pictureFormats()) || !output.check(output::readingFile(path)))
        return exitFailure;
    const std::optional<QSize> size =
        parser.isSet(sizeOption) ? pictureSize(parser.value(sizeOption)) : QSize(defaultWidth, defaultHeight);
    if (!size)
        return reportFailure(
            err, syntax.name,
            QCoreApplication::translate("cli", "--size \"%1\" is not WxH with both sides from %2 to %3")
                .arg(parser.value(sizeOption))
                .arg(smallestSide)
                .arg(largestSide));
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "drawing needs a QApplication"));

    const std::optional<measurement::Measurement> read = readShownMeasurement(syntax.name, path, err);
    // Opened before drawing: the drawing library would only say that its painter could not begin.
    if (!read || !output.open())
        return exitFailure;
    QCustomPlot plot;
    setUpPlot(plot, *size, path, *read);
    const bool drawn = output.format() == output::Format::png
                           ? writePng(plot, size->width(), size->height(), output.device())
                           : writePdf(plot, size->width(), size->height(), output.device());
    return output.finish(drawn ? QString()
                               : QCoreApplication::translate("cli", "the picture could not be made"))
               ? exitSuccess
               : exitFailure;
}

} // namespace cli
