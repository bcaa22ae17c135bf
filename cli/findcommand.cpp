// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivefolder.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"
#include "output/jsontext.h"
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

// A result text for a spreadsheet cell: empty for no value, a number with the format's separator.
QString resultCell(const std::optional<QString> &text, const output::CsvFormat &format)
{
    if (!text)
        return QString();
    bool isNumber = false;
    text->toDouble(&isNumber);
    return isNumber ? output::csvNumber(text->trimmed(), format) : *text;
}

QString csvHeader(const output::CsvFormat &format)
{
    return output::csvLine({QStringLiteral("melt"), QStringLiteral("moment"), QStringLiteral("technology"),
                            QStringLiteral("temperature_C"), QStringLiteral("emf_mV"),
                            QStringLiteral("oxidation_ppm"), QStringLiteral("aluminium_kg"),
                            QStringLiteral("carbon_pct"), QStringLiteral("status_code"),
                            QStringLiteral("status"), QStringLiteral("file")},
                           format);
}

QString csvRow(const query::FoundMeasurement &f, const output::CsvFormat &format)
{
    const measurement::MeasurementDigest &m = f.digest;
    return output::csvLine(
        {resultCell(m.smelt, format),
         f.moment.isValid() ? archive::momentDisplayText(f.moment.date, f.moment.time) : QString(),
         f.technology, resultCell(m.temperatureText, format), resultCell(m.emfText, format),
         resultCell(m.oxidation, format), resultCell(m.aluminiumMass, format), resultCell(m.carbon, format),
         m.statusCode ? QString::number(*m.statusCode) : QString(), m.status.value_or(QString()), f.fileName},
        format);
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

    // Each match as `render` writes it, separated by `separator`, latest moment first. Matches come in
    // in the order of their names, which a stable sort keeps among equal moments.
    void write(QTextStream &out, const char *separator,
               const std::function<QString(const query::FoundMeasurement &)> &render)
    {
        std::stable_sort(matches.begin(), matches.end(), [](const Match &a, const Match &b) {
            if (a.valid != b.valid)
                return a.valid;
            return a.moment > b.moment;
        });
        for (size_t i = 0; i < matches.size(); ++i) {
            if (i > 0)
                out << separator;
            out << render(restore(matches[i]));
        }
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

} // namespace

int runFind(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("find"),
        QCoreApplication::translate(
            "cli", "Lists the measurements in DIR that meet every given condition, latest moment first, one\n"
                   "line each: moment, technology, melt number, temperature, status, file name (separated\n"
                   "by tabs; values as the viewer shows them).\n") +
            SearchOptions::helpText() +
            QCoreApplication::translate(
                "cli",
                "Files that cannot be read are named on standard error and skipped.\n"
                "--csv writes every result value of each match, with a header line: melt, moment,\n"
                "technology, temperature, EMF, oxidation, aluminium mass, carbon, status code, status,\n"
                "file (a missing value is an empty cell).\n") +
            csvFormatHelpText() + indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 done (also when nothing matches); 1 files that cannot be read were\n"
                   "skipped, or DIR holds no archive file at all; 2 bad usage or a folder that cannot\n"
                   "be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const SearchOptions searchOptions;
    searchOptions.addTo(parser);
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write the matches as JSON."));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QCoreApplication::translate("cli", "Write the matches as CSV."));
    parser.addOptions({jsonOption, csvOption, noIndexOption()});
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<output::CsvFormat> csvFormat = csvFormatOption(parser, syntax.name, err);
    if (!csvFormat)
        return exitFailure;
    const bool json = parser.isSet(jsonOption);
    const bool csv = parser.isSet(csvOption) || excelAsked(parser);
    if (json && csv)
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "--json and --csv exclude each other"));

    ArchiveSearch search;
    if (const auto finished = readArchiveSearch(parser, searchOptions, syntax.name, err, &search))
        return *finished;
    const QString &directory = search.directory;

    QStringList unreadable;
    KeptMatches found;
    query::visitMeasurements(
        directory, search.criteria, [&found](query::FoundMeasurement &&f) { found.add(f); }, &unreadable,
        readingOptions(parser, err, QCoreApplication::translate("cli", "read")));
    reportSkippedFiles(err, syntax.name, directory, unreadable);

    if (json) {
        // As QJsonDocument writes an array, element by element.
        out << "[\n";
        found.write(out, ",\n", jsonElement);
        out << (found.isEmpty() ? "]\n" : "\n]\n");
    } else if (csv) {
        out << output::csvStart(*csvFormat) << csvHeader(*csvFormat);
        found.write(out, "",
                    [&csvFormat](const query::FoundMeasurement &f) { return csvRow(f, *csvFormat); });
    } else {
        found.write(out, "",
                    [](const query::FoundMeasurement &f) { return foundLine(f) + QLatin1Char('\n'); });
    }
    out.flush();
    if (!unreadable.isEmpty())
        return exitFindings;
    if (found.isEmpty()) {
        if (const std::optional<int> failed = noArchiveFilesFailure(err, syntax.name, directory))
            return *failed;
    }
    return exitSuccess;
}

} // namespace cli
