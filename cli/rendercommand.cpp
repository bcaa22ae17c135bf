// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"
#include "commandline.h"
#include "commandoutput.h"
#include "commands.h"
#include "measurementcommands.h"
#include "output/outputfile.h"

#include "platform/console.h"
#include "printing/measurementpicture.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

namespace cli {

namespace {

constexpr int defaultWidth = 1000;
constexpr int defaultHeight = 600;
constexpr int smallestSide = 100;
constexpr int largestSide = 10000;

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
    const bool drawn = printing::writeMeasurementPicture(
        output.device(),
        output.format() == output::Format::png ? printing::Picture::png : printing::Picture::pdf, *size, path,
        *read);
    return output.finish(drawn ? QString()
                               : QCoreApplication::translate("cli", "the picture could not be made"))
               ? exitSuccess
               : exitFailure;
}

} // namespace cli
