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
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace cli {

QVector<FoundMeasurement> findMeasurements(const QString &directory, const SearchCriteria &criteria,
                                           QStringList *unreadable)
{
    QVector<FoundMeasurement> found;
    for (const archive::ListedFile &file : archive::listDirectory(directory, archive::technologyPattern())) {
        const QString technology = archive::technologyOfFile(file.fileName);
        const archive::Moment moment = archive::momentOfFile(file.fileName);
        if (!criteria.matchesName(technology, moment))
            continue;
        std::optional<measurement::Measurement> read =
            measurement::readMeasurementFile(directory + QLatin1Char('/') + file.fileName);
        if (!read) {
            if (unreadable)
                unreadable->append(file.fileName);
            continue;
        }
        if (criteria.matchesContent(*read))
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

void visitMeasurements(const QString &directory, const SearchCriteria &criteria,
                       const std::function<void(FoundMeasurement &&)> &visit, QStringList *unreadable)
{
    const auto visitFile = [&](QStringView name, qint64) {
        const QString fileName = name.toString();
        const QString technology = archive::technologyOfFile(fileName);
        const archive::Moment moment = archive::momentOfFile(fileName);
        if (!criteria.matchesName(technology, moment))
            return;
        std::optional<measurement::Measurement> read =
            measurement::readMeasurementFile(directory + QLatin1Char('/') + fileName);
        if (!read) {
            if (unreadable)
                unreadable->append(fileName);
        } else if (criteria.matchesContent(*read)) {
            visit({fileName, technology, moment, std::move(*read)});
        }
    };
    archive::forEachMatchingFile(directory, archive::technologyPattern(), false, visitFile);
}

bool listedBefore(const archive::Moment &a, const QString &fileNameA, const archive::Moment &b,
                  const QString &fileNameB)
{
    if (a.isValid() != b.isValid())
        return a.isValid();
    if (a != b)
        return a.date != b.date ? a.date > b.date : a.time > b.time;
    return fileNameA < fileNameB;
}

void reportSkippedFiles(QTextStream &err, const QString &command, const QString &directory,
                        const QStringList &fileNames)
{
    for (const QString &fileName : fileNames) {
        const QString path = directory + QLatin1Char('/') + fileName;
        err << "steel-archive " << command << ": " << path << ": " << unreadableReason(path) << "; skipped\n";
    }
    err.flush();
}

QString foundLine(const FoundMeasurement &found)
{
    const measurement::Measurement &m = found.measurement;
    return QStringList{momentDisplayText(found.moment.date, found.moment.time),
                       found.technology,
                       measurement::displayText(m.smelt),
                       measurement::displayText(m.temperatureText),
                       statusDisplayText(m),
                       found.fileName}
        .join(QLatin1Char('\t'));
}

QJsonObject foundJson(const FoundMeasurement &found)
{
    const measurement::Measurement &m = found.measurement;
    return QJsonObject{
        {QStringLiteral("file"), found.fileName},
        {QStringLiteral("moment"),
         found.moment.isValid() ? momentDisplayText(found.moment.date, found.moment.time) : QString()},
        {QStringLiteral("technology"), found.technology},
        {QStringLiteral("smelt"), measurement::displayText(m.smelt)},
        {QStringLiteral("temperature"), measurement::displayText(m.temperatureText)},
        {QStringLiteral("emf"), measurement::displayText(m.emfText)},
        {QStringLiteral("status"), statusDisplayText(m)},
        {QStringLiteral("statusCode"),
         m.statusCode ? QJsonValue(*m.statusCode) : QJsonValue(QJsonValue::Null)}};
}

int runFind(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("find"),
        QStringLiteral(
            "Lists the measurements in DIR that meet every given condition, latest moment first, one\n"
            "line each: moment, technology, melt number, temperature, status, file name (separated\n"
            "by tabs; values as the viewer shows them).\n") +
            SearchOptions::helpText() +
            QStringLiteral("Files that cannot be read are named on standard error and skipped.\n"
                           "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1};
    QCommandLineParser parser;
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write the matches as JSON."));
    parser.addOption(jsonOption);
    ArchiveSearch search;
    if (const auto finished =
            parseSearchCommandLine(parser, SearchOptions(), syntax, arguments, out, err, &search))
        return *finished;
    const QString &directory = search.directory;

    QStringList unreadable;
    const QVector<FoundMeasurement> found = findMeasurements(directory, search.criteria, &unreadable);
    reportSkippedFiles(err, syntax.name, directory, unreadable);

    if (parser.isSet(jsonOption)) {
        QJsonArray list;
        for (const FoundMeasurement &f : found)
            list.append(foundJson(f));
        out << QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented));
    } else {
        for (const FoundMeasurement &f : found)
            out << foundLine(f) << '\n';
    }
    out.flush();
    return exitSuccess;
}

} // namespace cli
