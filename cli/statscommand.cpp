// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"
#include "commandline.h"
#include "commandoutput.h"
#include "commands.h"
#include "csvoptions.h"
#include "language/language.h"
#include "output/statisticstables.h"
#include "output/xlsx.h"
#include "searchoptions.h"
#include "statistics/archivestatistics.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

namespace {

CommandSyntax statsSyntax()
{
    return {
        QStringLiteral("stats"),
        QCoreApplication::translate(
            "cli", "Counts the measurements in DIR that meet every given condition, in groups: the number\n"
                   "of measurements, the number with each status verdict (\"none\": no \"Status\" in the\n"
                   "file), the share with \"ЕСТЬ ПЛ.\", and the minimum, median and maximum of the\n"
                   "temperature and the EMF over the measurements whose value is a number, written with\n"
                   "a decimal point or comma (\"nan\", \"32767\" and other texts are left out; the median\n"
                   "of an even count is the mean of the middle two). These are the numbers of the first\n"
                   "page of steel-archive report. The table for a person ends with the total (\"all\")\n"
                   "and shows the statuses that occur; --csv writes one line per group with every status\n"
                   "column and the shares as fractions, --json an object with the groups and the total;\n"
                   "--excel and --xlsx add the total and give the shares as percentages.\n") +
            SearchOptions::helpText() +
            QCoreApplication::translate(
                "cli", "Files that cannot be read are named on standard error and skipped.\n") +
            csvFormatHelpText() + tableOutputHelpText() + indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 done (also when nothing is selected), 2 bad usage, a folder that\n"
                   "cannot be read, or an output that cannot or must not be written.\n")};
}

// The statistics in the chosen format; the empty text, or why a spreadsheet could not be written.
QString writeStatistics(CommandOutput &output, const output::ReadArchive &read, const QString &groupName,
                        const statistics::StatisticsCollector &collector, const output::CsvFormat &csvFormat)
{
    if (output.format() == output::Format::xlsx)
        return writeSpreadsheet(output, read, [&](output::XlsxBook &book) {
            output::addStatisticsSheet(book, groupName, collector);
        });
    output::writeStatistics(output.text(), output.format(), groupName, collector, csvFormat);
    return QString();
}

} // namespace

int runStats(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = statsSyntax();
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const SearchOptions searchOptions;
    searchOptions.addTo(parser);
    const QCommandLineOption byOption(
        QStringLiteral("by"),
        QCoreApplication::translate("cli",
                                    "How to group: technology (the default), day, week (ISO, yyyy-Www), "
                                    "month or status; a moment that does not parse is the group \"?\"."),
        QStringLiteral("GROUP"), QStringLiteral("technology"));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QCoreApplication::translate("cli", "Write CSV."));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write JSON."));
    const QCommandLineOption outputOption = tableOutputOption();
    parser.addOptions({byOption, csvOption, jsonOption, outputOption, noIndexOption()});
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<output::CsvFormat> csvFormat = csvFormatOption(parser, syntax.name, err);
    CommandOutput output(syntax.name, out, err);
    if (!csvFormat || !output.choose(parser, outputOption, tableOutputFormats()))
        return exitFailure;
    const std::optional<statistics::Grouping> grouping = statistics::parseGrouping(parser.value(byOption));
    if (!grouping)
        return reportFailure(
            err, syntax.name,
            QCoreApplication::translate("cli", "--by \"%1\" is none of %2")
                .arg(parser.value(byOption), statistics::groupingNames().join(QStringLiteral(", "))));
    ArchiveSearch search;
    if (const auto finished = readArchiveSearch(parser, searchOptions, syntax.name, err, &search))
        return *finished;
    const output::ReadArchive read = output::readingFolder(search.directory);
    if (!output.check(read) || !output.open())
        return exitFailure;

    // Each measurement is counted as it is read; only its two numbers are kept, for the medians.
    statistics::StatisticsCollector collector(*grouping);
    QStringList unreadable;
    query::visitMeasurements(
        search.directory, search.criteria,
        [&collector](query::FoundMeasurement &&found) { collector.add(statistics::factsOf(found)); },
        &unreadable, readingOptions(parser, err, QCoreApplication::translate("cli", "read")));
    reportSkippedFiles(err, syntax.name, search.directory, unreadable);
    if (!output.finish(writeStatistics(output, read, parser.value(byOption), collector, *csvFormat)))
        return exitFailure;
    return exitSuccess;
}

} // namespace cli
