// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivefolder.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"
#include "output/jsontext.h"
#include "output/xlsx.h"
#include "resultcolumns.h"
#include "searchoptions.h"

#include "archive/archivereader.h"
#include "archive/displayname.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cli {

namespace {

QString csvRow(const query::FoundMeasurement &f, const output::CsvFormat &format)
{
    return output::csvLine(resultCsvCells(f, format), format, resultTextColumns());
}

// One match as an element of QJsonDocument's indented array: the object's own lines, four spaces in.
QString jsonElement(const query::FoundMeasurement &f)
{
    QByteArray object = QJsonDocument(foundJson(f)).toJson(QJsonDocument::Indented);
    object.chop(1); // the document's closing line break
    object.replace("\n", "\n    ");
    return QString::fromUtf8("    " + object);
}

// The matches kept as their file names and result texts back to back, a few dozen bytes each instead
// of a whole record, so that a search that matches a million files stays small. Everything else the
// output shows follows from these.
class KeptMatches
{
public:
    void add(const query::FoundMeasurement &f)
    {
        Match match;
        match.valid = f.moment.isValid();
        match.moment =
            match.valid ? f.moment.date.toJulianDay() * 86400 + QTime(0, 0).secsTo(f.moment.time) : 0;
        match.offset = arena.size();
        const measurement::MeasurementDigest &m = f.digest;
        for (const std::optional<QString> &text :
             {std::optional<QString>(f.fileName), m.smelt, m.temperatureText, m.emfText, m.oxidation,
              m.aluminiumMass, m.carbon}) {
            const QByteArray bytes = text ? text->toUtf8() : QByteArray();
            appendNumber(text ? bytes.size() : -1);
            arena += bytes;
        }
        appendNumber(m.statusCode ? 1 : 0);
        appendNumber(m.statusCode.value_or(0));
        appendNumber(f.encodedName.size());
        arena += f.encodedName;
        matches.push_back(match);
    }

    bool isEmpty() const { return matches.empty(); }
    int size() const { return int(matches.size()); }

    // Each match as `render` writes it, separated by `separator`, latest moment first.
    void write(QTextStream &out, const char *separator,
               const std::function<QString(const query::FoundMeasurement &)> &render)
    {
        bool first = true;
        visit([&](const query::FoundMeasurement &f) {
            if (!first)
                out << separator;
            first = false;
            out << render(f);
        });
    }

    // Each match, latest moment first. Matches come in in the order of their names, which a stable sort
    // keeps among equal moments.
    void visit(const std::function<void(const query::FoundMeasurement &)> &use)
    {
        std::stable_sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) {
            if (a.valid != b.valid)
                return a.valid;
            return a.moment > b.moment;
        });
        for (const Match &match : matches)
            use(restore(match));
    }

private:
    struct Match
    {
        bool valid;
        qint64 moment;
        int offset;
    };

    void appendNumber(qint32 number) { arena.append(reinterpret_cast<const char *>(&number), sizeof number); }

    query::FoundMeasurement restore(const Match &match) const
    {
        int at = match.offset;
        const auto number = [&]() {
            qint32 value;
            std::memcpy(&value, arena.constData() + at, sizeof value);
            at += int(sizeof value);
            return value;
        };
        const auto text = [&]() -> std::optional<QString> {
            const qint32 length = number();
            if (length < 0)
                return std::nullopt;
            at += length;
            return QString::fromUtf8(arena.constData() + at - length, length);
        };
        query::FoundMeasurement f;
        f.fileName = *text();
        f.technology = archive::technologyOfFile(f.fileName);
        f.moment = archive::momentOfFile(f.fileName);
        measurement::MeasurementDigest &m = f.digest;
        for (std::optional<QString> *result :
             {&m.smelt, &m.temperatureText, &m.emfText, &m.oxidation, &m.aluminiumMass, &m.carbon})
            *result = text();
        const bool hasStatus = number() != 0;
        const qint32 code = number();
        if (hasStatus) {
            m.statusCode = code;
            m.status = measurement::statusText(code);
        }
        const qint32 encodedLength = number();
        f.encodedName = QByteArray(arena.constData() + at, encodedLength);
        return f;
    }

    QByteArray arena;
    std::vector<Match> matches;
};

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
QString writeMatches(CommandOutput &output, KeptMatches &found, const output::CsvFormat &csvFormat,
                     const output::ReadArchive &read)
{
    QTextStream &out = output.text();
    switch (output.format()) {
    case output::Format::json:
        // As QJsonDocument writes an array, element by element.
        out << "[\n";
        found.write(out, ",\n", jsonElement);
        out << (found.isEmpty() ? "]\n" : "\n]\n");
        break;
    case output::Format::csv:
        out << output::csvStart(csvFormat) << output::csvLine(resultHeader(csvFormat), csvFormat);
        found.write(out, "", [&csvFormat](const query::FoundMeasurement &f) { return csvRow(f, csvFormat); });
        break;
    case output::Format::xlsx:
        return writeSpreadsheet(output, read, [&found](output::XlsxBook &book) {
            output::CsvFormat spreadsheet;
            spreadsheet.spreadsheet = true;
            book.addSheet(QCoreApplication::translate("cli", "Measurements"), resultHeader(spreadsheet));
            found.visit([&book](const query::FoundMeasurement &f) { book.addRow(resultXlsxRow(f)); });
        });
    default:
        found.write(out, "",
                    [](const query::FoundMeasurement &f) { return foundLine(f) + QLatin1Char('\n'); });
    }
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
    KeptMatches found;
    query::visitMeasurements(
        directory, search.criteria, [&found](query::FoundMeasurement &&f) { found.add(f); }, &unreadable,
        readingOptions(parser, err, QCoreApplication::translate("cli", "read")));
    reportSkippedFiles(err, syntax.name, directory, unreadable);
    if (!output.finish(writeMatches(output, found, *csvFormat, read)))
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
