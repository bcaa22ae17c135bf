// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commandoutput.h"
#include "commands.h"
#include "csvoptions.h"
#include "output/controlcharttables.h"
#include "printing/controlchartpage.h"
#include "statistics/controlchart.h"

#include "archive/archivefolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

namespace {

CommandSyntax chartSyntax()
{
    return {
        QStringLiteral("chart"),
        QCoreApplication::translate(
            "cli", "Computes the individuals and moving-range control chart (XmR) of one result of one\n"
                   "technology's melts in DIR, oldest first: the centre line (the mean), the control limits\n"
                   "mean +- 2.66 MR (MR: the mean moving range of consecutive values; sigma = MR / 1.128)\n"
                   "and the moving ranges' upper limit 3.267 MR. Marked are the values beyond a control\n"
                   "limit (Western Electric rule 1), the value that completes a run of 8 on one side of the\n"
                   "centre line and each that continues it (rule 2; a value on the line ends a run), and\n"
                   "the moving ranges above their limit. With --lsl and --usl the share of melts outside\n"
                   "the tolerance, and Cpk = min(USL - mean, mean - LSL) / 3 sigma when both are set.\n"
                   "A result is a number written with a decimal point or comma; melts whose result is\n"
                   "\"nan\", \"32767\" or another text are counted as without a value, files that cannot be\n"
                   "read are named on standard error and counted. The viewer's control chart window\n"
                   "computes and writes the same chart.\n") +
            tableOutputHelpText() +
            QCoreApplication::translate("cli", "A name ending in .pdf (or --pdf) draws the chart on one A4 "
                                               "landscape page.\n") +
            csvFormatHelpText() + indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 done (also when no melt is selected), 2 bad usage, a folder that\n"
                   "cannot be read, or an output that cannot or must not be written.\n")};
}

struct ChartOptions
{
    QCommandLineOption technology{
        QStringLiteral("technology"),
        QCoreApplication::translate("cli", "The technology (required), as the file names write it."),
        QStringLiteral("T")};
    QCommandLineOption result{
        QStringLiteral("result"),
        QCoreApplication::translate("cli",
                                    "The result: temperature (the default), oxidation, emf, aluminium or "
                                    "carbon."),
        QStringLiteral("R"), QStringLiteral("temperature")};
    QCommandLineOption last{QStringLiteral("last"),
                            QCoreApplication::translate("cli", "Only the last N melts of the period."),
                            QStringLiteral("N")};
    QCommandLineOption from{
        QStringLiteral("from"),
        QCoreApplication::translate("cli", "Start of the period (included), as find takes it."),
        QStringLiteral("DATE")};
    QCommandLineOption to{
        QStringLiteral("to"),
        QCoreApplication::translate("cli", "End of the period (left out), as find takes it."),
        QStringLiteral("DATE")};
    QCommandLineOption lower{QStringLiteral("lsl"),
                             QCoreApplication::translate("cli", "Lower tolerance limit."),
                             QStringLiteral("X")};
    QCommandLineOption upper{QStringLiteral("usl"),
                             QCoreApplication::translate("cli", "Upper tolerance limit."),
                             QStringLiteral("X")};
    QCommandLineOption csv{QStringLiteral("csv"), QCoreApplication::translate("cli", "Write CSV.")};
    QCommandLineOption json{QStringLiteral("json"), QCoreApplication::translate("cli", "Write JSON.")};
    QCommandLineOption pdf{QStringLiteral("pdf"),
                           QCoreApplication::translate("cli", "Draw the chart into a PDF page.")};
};

// The selection the options ask for, or std::nullopt with `error` set.
std::optional<statistics::ChartSelection> readSelection(const QCommandLineParser &parser,
                                                        const ChartOptions &o, QString *error)
{
    statistics::ChartSelection selection;
    if (!parser.isSet(o.technology) || parser.value(o.technology).isEmpty()) {
        *error = QCoreApplication::translate("cli", "--technology T is required");
        return std::nullopt;
    }
    selection.technology = parser.value(o.technology);
    const std::optional<statistics::ChartResult> result =
        statistics::parseChartResult(parser.value(o.result));
    if (!result) {
        *error = QCoreApplication::translate("cli", "--result \"%1\" is none of %2")
                     .arg(parser.value(o.result), statistics::chartResultNames().join(QStringLiteral(", ")));
        return std::nullopt;
    }
    selection.result = *result;
    if (parser.isSet(o.last)) {
        bool isNumber = false;
        const int count = parser.value(o.last).toInt(&isNumber);
        if (!isNumber || count < 1) {
            *error = QCoreApplication::translate("cli", "--last \"%1\" is no number of melts from 1 on")
                         .arg(parser.value(o.last));
            return std::nullopt;
        }
        selection.lastMelts = count;
    }
    for (const auto &[option, side, bound] :
         {std::make_tuple(&o.from, query::BoundSide::from, &selection.from),
          std::make_tuple(&o.to, query::BoundSide::to, &selection.to)}) {
        if (!parser.isSet(*option))
            continue;
        QString why;
        *bound = query::parseMomentBound(parser.value(*option), side, &why);
        if (!*bound) {
            *error = QStringLiteral("--%1 %2").arg(option->names().constFirst(), why);
            return std::nullopt;
        }
    }
    if (selection.from && selection.to && !(*selection.from < *selection.to)) {
        *error = QCoreApplication::translate(
                     "cli", "--from \"%1\" does not lie before --to \"%2\": the period is empty")
                     .arg(parser.value(o.from), parser.value(o.to));
        return std::nullopt;
    }
    for (const auto &[option, limit] : {std::make_pair(&o.lower, &selection.tolerance.lower),
                                        std::make_pair(&o.upper, &selection.tolerance.upper)}) {
        if (!parser.isSet(*option))
            continue;
        *limit = query::parseTypedNumber(parser.value(*option));
        if (!*limit) {
            *error = QCoreApplication::translate("cli", "--%1 \"%2\" is not a number")
                         .arg(option->names().constFirst(), parser.value(*option));
            return std::nullopt;
        }
    }
    if (!selection.tolerance.isValid()) {
        *error = QCoreApplication::translate("cli", "--lsl must lie below --usl");
        return std::nullopt;
    }
    return selection;
}

// The chart in the chosen format; the empty text, or why a file could not be written.
QString writeChart(CommandOutput &output, const output::ReadArchive &read,
                   const statistics::ChartSelection &selection, const statistics::ControlChart &chart,
                   const output::CsvFormat &csvFormat)
{
    QTextStream &out = output.text();
    switch (output.format()) {
    case output::Format::json:
        out << output::controlChartJson(selection, chart);
        break;
    case output::Format::csv:
        output::writeControlChartCsv(out, chart, csvFormat);
        break;
    case output::Format::xlsx:
        return writeSpreadsheet(output, read, [&](output::XlsxBook &book) {
            output::addControlChartSheets(book, selection, chart);
        });
    case output::Format::pdf:
        if (!printing::writeControlChartPdf(output.device(), selection, chart))
            return output.writeFailure().isEmpty()
                       ? QCoreApplication::translate("cli", "the page could not be drawn")
                       : output.writeFailure();
        break;
    default:
        output::writeControlChartTable(out, selection, chart);
    }
    return QString();
}

OutputFormats chartOutputFormats(const ChartOptions &o)
{
    OutputFormats formats = tableOutputFormats();
    formats.formats.append(output::Format::pdf);
    formats.options.append({o.pdf.names().constFirst(), output::Format::pdf});
    return formats;
}

} // namespace

int runChart(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = chartSyntax();
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const ChartOptions o;
    const QCommandLineOption outputOption = tableOutputOption();
    parser.addOptions({o.technology, o.result, o.last, o.from, o.to, o.lower, o.upper, o.csv, o.json, o.pdf,
                       outputOption, noIndexOption()});
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    QString usageError;
    const std::optional<statistics::ChartSelection> selection = readSelection(parser, o, &usageError);
    if (!selection)
        return reportFailure(err, syntax.name, usageError);
    const std::optional<output::CsvFormat> csvFormat = csvFormatOption(parser, syntax.name, err);
    CommandOutput output(syntax.name, out, err);
    if (!csvFormat || !output.choose(parser, outputOption, chartOutputFormats(o)))
        return exitFailure;
    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = archive::unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name,
                             archive::displayPath(directory) + QStringLiteral(": ") + reason);
    const output::ReadArchive read = output::readingFolder(directory);
    if (!output.check(read))
        return exitFailure;
    if (output.format() == output::Format::pdf && !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "drawing needs a QApplication"));
    if (!output.open())
        return exitFailure;

    QStringList unreadable;
    const statistics::ControlChart chart = statistics::readControlChart(
        directory, *selection, readingOptions(parser, err, QCoreApplication::translate("cli", "read")),
        &unreadable);
    reportSkippedFiles(err, syntax.name, directory, unreadable);
    if (!output.finish(writeChart(output, read, *selection, chart, *csvFormat)))
        return exitFailure;
    return exitSuccess;
}

} // namespace cli
