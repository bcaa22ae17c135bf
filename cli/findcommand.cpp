// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivefolder.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"
#include "output/foundmatches.h"
#include "output/resultcolumns.h"
#include "searchoptions.h"

#include "query/keptmatches.h"

#include "archive/archivereader.h"
#include "archive/displayname.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>

namespace cli {

namespace {

CommandSyntax findSyntax()
{
    return {QStringLiteral("find"),
            QCoreApplication::translate(
                "cli", "Lists the measurements in DIR that meet every given condition, latest moment first,\n"
                       "one line each: moment, technology, melt number, temperature, status, file name\n"
                       "(separated by tabs; values as the viewer shows them).\n") +
                SearchOptions::helpText() +
                QCoreApplication::translate(
                    "cli", "Files that cannot be read are named on standard error and skipped.\n"
                           "--csv writes every result value of each match, with a header line: melt,\n"
                           "moment, technology, temperature, EMF, oxidation, aluminium mass, carbon,\n"
                           "status code, status, file (a missing value is an empty cell); --xlsx the same\n"
                           "as a spreadsheet file.\n") +
                csvFormatHelpText() + tableOutputHelpText() + indexHelpText() +
                QCoreApplication::translate(
                    "cli", "DIR defaults to the folder \"archive\" in the working directory."),
            0, 1,
            QCoreApplication::translate(
                "cli", "Exit codes: 0 done (also when nothing matches); 1 files that cannot be read were\n"
                       "skipped, or DIR holds no archive file at all; 2 bad usage, a folder that cannot\n"
                       "be read, or an output that cannot or must not be written.\n")};
}

// The matches in the chosen format; the empty text, or why a spreadsheet could not be written.
QString writeMatches(CommandOutput &output, query::KeptMatches &found, const output::CsvFormat &csvFormat,
                     const output::ReadArchive &read)
{
    if (output.format() == output::Format::xlsx)
        return writeSpreadsheet(output, read,
                                [&found](output::XlsxBook &book) { output::addMatchesSheet(book, found); });
    output::writeMatches(output.text(), output.format(), found, csvFormat);
    return QString();
}

} // namespace

int runFind(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = findSyntax();
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const SearchOptions searchOptions;
    searchOptions.addTo(parser);
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write the matches as JSON."));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QCoreApplication::translate("cli", "Write the matches as CSV."));
    const QCommandLineOption outputOption = tableOutputOption();
    parser.addOptions({jsonOption, csvOption, outputOption, noIndexOption()});
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<output::CsvFormat> csvFormat = csvFormatOption(parser, syntax.name, err);
    CommandOutput output(syntax.name, out, err);
    if (!csvFormat || !output.choose(parser, outputOption, tableOutputFormats()))
        return exitFailure;

    ArchiveSearch search;
    if (const auto finished = readArchiveSearch(parser, searchOptions, syntax.name, err, &search))
        return *finished;
    const QString &directory = search.directory;
    const output::ReadArchive read = output::readingFolder(directory);
    if (!output.check(read) || !output.open())
        return exitFailure;

    QStringList unreadable;
    query::KeptMatches found;
    // Every value exact or nothing written: asked of each match as it is read, before it is kept.
    QString valueRefusal;
    const bool exactValues = output.format() != output::Format::text;
    query::visitMeasurements(
        directory, search.criteria,
        [&](query::FoundMeasurement &&f) {
            if (exactValues && valueRefusal.isEmpty())
                valueRefusal = output::resultRefusal(f);
            found.add(f);
        },
        &unreadable, readingOptions(parser, err, QCoreApplication::translate("cli", "read")));
    reportSkippedFiles(err, syntax.name, directory, unreadable);
    if (!output.finish(valueRefusal.isEmpty() ? writeMatches(output, found, *csvFormat, read) : valueRefusal))
        return exitFailure;
    if (!unreadable.isEmpty())
        return exitFindings;
    if (found.isEmpty()) {
        if (const std::optional<int> failed = noArchiveFilesFailure(err, syntax.name, directory))
            return *failed;
    }
    return exitSuccess;
}

} // namespace cli
