// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace cli {

namespace {

// A result text as a number: the no-value marks, texts that are not numbers and infinities are none.
std::optional<double> resultNumber(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    bool ok = false;
    const double value = text->toDouble(&ok); // C-locale notation, as the files are written
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool inRange(const std::optional<NumberRange> &range, const std::optional<QString> &text)
{
    if (!range)
        return true;
    const std::optional<double> value = resultNumber(text);
    return value && range->contains(*value);
}

// The conditions that the name alone decides, checked before the file is read.
bool nameMatches(const SearchCriteria &criteria, const QString &technology, const archive::Moment &moment)
{
    if (criteria.technology && technology != *criteria.technology)
        return false;
    if ((criteria.from || criteria.to) && !moment.isValid())
        return false;
    if (criteria.from && moment.date < *criteria.from)
        return false;
    if (criteria.to && moment.date > *criteria.to)
        return false;
    return true;
}

bool contentMatches(const SearchCriteria &criteria, const measurement::Measurement &m)
{
    if (criteria.melt && !(m.smelt && m.smelt->contains(*criteria.melt, Qt::CaseInsensitive)))
        return false;
    if (criteria.statusCode && !(m.status && m.statusCode && *m.statusCode == *criteria.statusCode))
        return false;
    if (criteria.statusText && !(m.status && *m.status == *criteria.statusText))
        return false;
    return inRange(criteria.temperature, m.temperatureText) && inRange(criteria.emf, m.emfText);
}

std::optional<QDate> parseDay(const QString &text)
{
    static const QRegularExpression dayPattern(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})$"));
    const QRegularExpressionMatch match = dayPattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// A result text for a spreadsheet cell: empty for no value, a number with the format's separator.
QString resultCell(const std::optional<QString> &text, const CsvFormat &format)
{
    if (!text)
        return QString();
    bool isNumber = false;
    text->toDouble(&isNumber);
    return isNumber ? csvNumber(text->trimmed(), format) : *text;
}

QString foundCsv(const QVector<FoundMeasurement> &found, const CsvFormat &format)
{
    QString text =
        csvLine({QStringLiteral("melt"), QStringLiteral("moment"), QStringLiteral("technology"),
                 QStringLiteral("temperature_C"), QStringLiteral("emf_mV"), QStringLiteral("oxidation_ppm"),
                 QStringLiteral("aluminium_kg"), QStringLiteral("carbon_pct"), QStringLiteral("status_code"),
                 QStringLiteral("status"), QStringLiteral("file")},
                format);
    for (const FoundMeasurement &f : found) {
        const measurement::Measurement &m = f.measurement;
        text +=
            csvLine({resultCell(m.smelt, format),
                     f.moment.isValid() ? momentDisplayText(f.moment.date, f.moment.time) : QString(),
                     f.technology, resultCell(m.temperatureText, format), resultCell(m.emfText, format),
                     resultCell(m.oxidation, format), resultCell(m.aluminiumMass, format),
                     resultCell(m.carbon, format), m.statusCode ? QString::number(*m.statusCode) : QString(),
                     statusDisplayText(m), f.fileName},
                    format);
    }
    return text;
}

} // namespace

bool NumberRange::contains(double value) const
{
    return (!minimum || value >= *minimum) && (!maximum || value <= *maximum);
}

std::optional<NumberRange> parseNumberRange(const QString &text)
{
    const QStringList bounds = text.split(QLatin1Char(':'));
    if (bounds.size() != 2)
        return std::nullopt;
    NumberRange range;
    for (int i = 0; i < 2; ++i) {
        const QString bound = bounds[i].trimmed();
        if (bound.isEmpty())
            continue;
        bool ok = false;
        const double value = bound.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
        (i == 0 ? range.minimum : range.maximum) = value;
    }
    if (range.minimum && range.maximum && *range.minimum > *range.maximum)
        return std::nullopt;
    return range;
}

QVector<FoundMeasurement> findMeasurements(const QString &directory, const SearchCriteria &criteria,
                                           QStringList *unreadable)
{
    QVector<FoundMeasurement> found;
    for (const archive::ListedFile &file : archive::listDirectory(directory, archive::technologyPattern())) {
        const QString technology = archive::technologyOfFile(file.fileName);
        const archive::Moment moment = archive::momentOfFile(file.fileName);
        if (!nameMatches(criteria, technology, moment))
            continue;
        std::optional<measurement::Measurement> read =
            measurement::readMeasurementFile(directory + QLatin1Char('/') + file.fileName);
        if (!read) {
            if (unreadable)
                unreadable->append(file.fileName);
            continue;
        }
        if (contentMatches(criteria, *read))
            found.append({file.fileName, technology, moment, std::move(*read)});
    }
    std::sort(found.begin(), found.end(), [](const FoundMeasurement &a, const FoundMeasurement &b) {
        if (a.moment.isValid() != b.moment.isValid())
            return a.moment.isValid();
        if (a.moment != b.moment)
            return a.moment.date != b.moment.date ? a.moment.date > b.moment.date
                                                  : a.moment.time > b.moment.time;
        return a.fileName < b.fileName;
    });
    return found;
}

int runFind(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("find"),
        QStringLiteral(
            "Lists the measurements in DIR that meet every given condition, latest moment first, one\n"
            "line each: moment, technology, melt number, temperature, status, file name (separated\n"
            "by tabs; values as the viewer shows them).\n"
            "  --melt TEXT        the melt number contains TEXT, letter case ignored\n"
            "  --technology T     the technology of the file name is exactly T\n"
            "  --from/--to DATE   the moment lies on or after / on or before that day (yyyy-MM-dd)\n"
            "  --status CODE|TEXT the file has a status with that code, or with that verdict text\n"
            "  --temp MIN:MAX     the stored temperature is a number from MIN to MAX (inclusive;\n"
            "  --emf MIN:MAX      likewise the EMF); either bound may be left out (\"1600:\").\n"
            "                     \"nan\", \"32767\" and texts that are not numbers never match.\n"
            "Files that cannot be read are named on standard error and skipped.\n"
            "--csv writes every result value of each match, with a header line: melt, moment,\n"
            "technology, temperature, EMF, oxidation, aluminium mass, carbon, status code, status,\n"
            "file (a missing value is an empty cell). For a spreadsheet set up for Russian:\n"
            "--csv --delimiter ';' --decimal-comma.\n"
            "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QStringLiteral("Exit codes: 0 done (also when nothing matches); 1 files that cannot be read were\n"
                       "skipped, or DIR holds no archive file at all; 2 bad usage or a folder that cannot\n"
                       "be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const QCommandLineOption meltOption(QStringLiteral("melt"), QStringLiteral("Part of the melt number."),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption technologyOption(QStringLiteral("technology"), QStringLiteral("Technology."),
                                              QStringLiteral("T"));
    const QCommandLineOption fromOption(QStringLiteral("from"), QStringLiteral("First day."),
                                        QStringLiteral("DATE"));
    const QCommandLineOption toOption(QStringLiteral("to"), QStringLiteral("Last day."),
                                      QStringLiteral("DATE"));
    const QCommandLineOption statusOption(QStringLiteral("status"), QStringLiteral("Status code or verdict."),
                                          QStringLiteral("CODE|TEXT"));
    const QCommandLineOption temperatureOption(
        QStringLiteral("temp"), QStringLiteral("Temperature range, °C."), QStringLiteral("MIN:MAX"));
    const QCommandLineOption emfOption(QStringLiteral("emf"), QStringLiteral("EMF range, mV."),
                                       QStringLiteral("MIN:MAX"));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write the matches as JSON."));
    const QCommandLineOption csvOption(QStringLiteral("csv"), QStringLiteral("Write the matches as CSV."));
    parser.addOptions({meltOption, technologyOption, fromOption, toOption, statusOption, temperatureOption,
                       emfOption, jsonOption, csvOption});
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<CsvFormat> csvFormat = csvFormatOption(parser, syntax.name, err);
    if (!csvFormat)
        return exitFailure;
    if (parser.isSet(jsonOption) && parser.isSet(csvOption))
        return reportFailure(err, syntax.name, QStringLiteral("--json and --csv exclude each other"));

    SearchCriteria criteria;
    if (parser.isSet(meltOption))
        criteria.melt = parser.value(meltOption);
    if (parser.isSet(technologyOption))
        criteria.technology = parser.value(technologyOption);
    for (const auto &[option, day] :
         {std::make_pair(&fromOption, &criteria.from), std::make_pair(&toOption, &criteria.to)}) {
        if (!parser.isSet(*option))
            continue;
        *day = parseDay(parser.value(*option));
        if (!*day)
            return reportFailure(err, syntax.name,
                                 QStringLiteral("--%1 \"%2\" is not a date written yyyy-MM-dd")
                                     .arg(option->names().constFirst(), parser.value(*option)));
    }
    if (parser.isSet(statusOption)) {
        bool isCode = false;
        const int code = parser.value(statusOption).toInt(&isCode, 10);
        if (isCode)
            criteria.statusCode = code;
        else
            criteria.statusText = parser.value(statusOption);
    }
    for (const auto &[option, range] : {std::make_pair(&temperatureOption, &criteria.temperature),
                                        std::make_pair(&emfOption, &criteria.emf)}) {
        if (!parser.isSet(*option))
            continue;
        *range = parseNumberRange(parser.value(*option));
        if (!*range)
            return reportFailure(
                err, syntax.name,
                QStringLiteral("--%1 \"%2\" is not a range MIN:MAX of numbers with MIN <= MAX")
                    .arg(option->names().constFirst(), parser.value(*option)));
    }

    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name, directory + QStringLiteral(": ") + reason);

    QStringList unreadable;
    const QVector<FoundMeasurement> found = findMeasurements(directory, criteria, &unreadable);
    for (const QString &fileName : unreadable) {
        const QString path = directory + QLatin1Char('/') + fileName;
        err << "steel-archive find: " << path << ": " << unreadableReason(path) << "; skipped\n";
    }
    err.flush();

    if (parser.isSet(jsonOption)) {
        QJsonArray list;
        for (const FoundMeasurement &f : found) {
            const measurement::Measurement &m = f.measurement;
            list.append(QJsonObject{
                {QStringLiteral("file"), f.fileName},
                {QStringLiteral("moment"),
                 f.moment.isValid() ? momentDisplayText(f.moment.date, f.moment.time) : QString()},
                {QStringLiteral("technology"), f.technology},
                {QStringLiteral("smelt"), measurement::displayText(m.smelt)},
                {QStringLiteral("temperature"), measurement::displayText(m.temperatureText)},
                {QStringLiteral("emf"), measurement::displayText(m.emfText)},
                {QStringLiteral("status"), statusDisplayText(m)},
                {QStringLiteral("statusCode"),
                 m.statusCode ? QJsonValue(*m.statusCode) : QJsonValue(QJsonValue::Null)}});
        }
        out << QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented));
    } else if (parser.isSet(csvOption)) {
        out << foundCsv(found, *csvFormat);
    } else {
        for (const FoundMeasurement &f : found) {
            const measurement::Measurement &m = f.measurement;
            out << momentDisplayText(f.moment.date, f.moment.time) << '\t' << f.technology << '\t'
                << measurement::displayText(m.smelt) << '\t' << measurement::displayText(m.temperatureText)
                << '\t' << statusDisplayText(m) << '\t' << f.fileName << '\n';
        }
    }
    out.flush();
    if (!unreadable.isEmpty())
        return exitFindings;
    if (found.isEmpty()) {
        const QString nothing = noArchiveFilesText(directory);
        if (!nothing.isEmpty()) {
            reportFailure(err, syntax.name, nothing);
            return exitFindings;
        }
    }
    return exitSuccess;
}

} // namespace cli
