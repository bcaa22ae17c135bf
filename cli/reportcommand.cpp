// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commandoutput.h"
#include "commands.h"
#include "language/language.h"
#include "output/outputfile.h"
#include "printing/reportdocument.h"
#include "searchoptions.h"
#include "statistics/archivestatistics.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace cli {

namespace {

CommandSyntax reportSyntax()
{
    return {
        QStringLiteral("report"),
        QCoreApplication::translate(
            "cli", "Writes a PDF report (A4 landscape) of the measurements in DIR that meet every given\n"
                   "condition. The first page names the folder, the period, the selection and when the\n"
                   "report was made, and gives per technology the number of measurements, the count of\n"
                   "each status, the share with \"ЕСТЬ ПЛ.\" and the minimum, median and maximum of the\n"
                   "temperature and the EMF (the numbers of steel-archive stats), with a chart of the\n"
                   "temperature over time, green for \"ЕСТЬ ПЛ.\". Then every measurement, newest first,\n"
                   "%1 to a page: moment, technology, the values and status as the viewer's values\n"
                   "panel shows them, and the curves drawn as the viewer's plot draws them. Every page\n"
                   "carries the title and its number. With no measurement selected the report is one\n"
                   "page saying so. Under a Russian locale the moments are written dd.MM.yyyy hh:mm:ss.\n")
                .arg(printing::measurementsPerReportPage) +
            output::outputRuleHelpText() +
            QCoreApplication::translate("cli",
                                        "The name must end in .pdf; -o - writes the report to standard\n"
                                        "output unless it is a terminal.\n") +
            SearchOptions::helpText() +
            QCoreApplication::translate(
                "cli", "Files that cannot be read are named on standard error and skipped; progress\n"
                       "is shown on standard error when it is a terminal.\n") +
            indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 written (also when nothing is selected), 2 bad usage, a folder that\n"
                   "cannot be read or a report that cannot be written.\n")};
}

printing::ReportHeading reportHeading(const ArchiveSearch &search, const QCommandLineParser &parser,
                                      const SearchOptions &options,
                                      const QVector<statistics::MeasurementFacts> &facts)
{
    printing::ReportHeading heading;
    heading.directory = QDir::cleanPath(QFileInfo(search.directory).absoluteFilePath());
    heading.period = printing::reportPeriod(search.criteria, facts);
    heading.conditions = printing::reportConditions(options.given(parser));
    heading.madeAt = QDateTime::currentDateTime();
    return heading;
}

} // namespace

int runReport(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = reportSyntax();
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const SearchOptions searchOptions;
    searchOptions.addTo(parser);
    const QCommandLineOption outputOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QCoreApplication::translate("cli", "The report to write (required)."), QStringLiteral("REPORT.pdf"));
    parser.addOptions({outputOption, noIndexOption()});
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    if (!parser.isSet(outputOption))
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "-o REPORT.pdf is required"));
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "drawing needs a QApplication"));
    ArchiveSearch search;
    if (const auto finished = readArchiveSearch(parser, searchOptions, syntax.name, err, &search))
        return *finished;
    CommandOutput output(syntax.name, out, err);
    // Made before the archive is read: a folder that takes no file is found at once, not after the read.
    if (!output.choose(parser, outputOption, {{output::Format::pdf}, {}, {}}) ||
        !output.check(output::readingFolder(search.directory)) || !output.open())
        return exitFailure;

    const QVector<statistics::MeasurementFacts> facts = selectMeasurements(
        syntax.name, search, readingOptions(parser, err, QCoreApplication::translate("cli", "read")), err);
    QString failure =
        printing::writeReport(output.device(), reportHeading(search, parser, searchOptions, facts), facts,
                              terminalProgress(err, QCoreApplication::translate("cli", "page")));
    if (output.standardOutputFailed())
        return exitSuccess; // the program tells a write error itself
    if (!failure.isEmpty()) {
        if (!output.writeFailure().isEmpty())
            failure = output.writeFailure();
        output.discard();
    } else {
        failure = output.commit();
    }
    if (!failure.isEmpty())
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "%1: cannot be written: %2")
                                 .arg(archive::displayPath(output.name()), failure));
    return exitSuccess;
}

} // namespace cli
