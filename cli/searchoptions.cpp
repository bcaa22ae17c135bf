// SPDX-License-Identifier: GPL-3.0-or-later
#include "searchoptions.h"
#include "archive/displayname.h"

#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"

#include "archive/archivefolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

// Each condition is described once, in the parser's list of options, where the completion reads it.
SearchOptions::SearchOptions()
    : melt(QStringLiteral("melt"),
           QCoreApplication::translate("cli", "The melt number contains TEXT, letter case ignored."),
           QStringLiteral("TEXT")),
      technology(
          QStringLiteral("technology"),
          QCoreApplication::translate("cli", "The technology of the file name is T, letter case ignored."),
          QStringLiteral("T")),
      from(QStringLiteral("from"),
           QCoreApplication::translate("cli", "The moment in the file name is DATE or later."),
           QStringLiteral("DATE")),
      to(QStringLiteral("to"),
         QCoreApplication::translate(
             "cli",
             "The moment in the file name is before DATE; a date alone includes its whole day (--to "
             "2025-01-26 ends after 23:59:59), a time of day is the first moment left out, so that the "
             "shifts --from \"26.01.2025 08:00\" --to \"26.01.2025 20:00\" and --from \"26.01.2025 "
             "20:00\" --to \"27.01.2025 08:00\" count every measurement once. DATE is yyyy-MM-dd or "
             "dd.MM.yyyy, optionally with h:mm, hh:mm or hh:mm:ss (\"26.01.2025 8:00\")."),
         QStringLiteral("DATE")),
      status(QStringLiteral("status"),
             QCoreApplication::translate(
                 "cli", "A status code; a verdict, letter case, spaces and full stops ignored (\"нет пл\" "
                        "finds \"НЕТ ПЛ.\"); none: no \"Status\" in the file; bad: everything but \"ЕСТЬ "
                        "ПЛ.\", files without a status included."),
             QStringLiteral("STATUS")),
      temperature(QStringLiteral("temp"),
                  QCoreApplication::translate(
                      "cli", "The stored temperature is a number from MIN to MAX, bounds included; either "
                             "bound may be left out (\"1600:\") and either may have a decimal comma "
                             "(\"1600,5:\"). \"nan\", \"32767\" and texts that are not numbers never match."),
                  QStringLiteral("MIN:MAX")),
      emf(QStringLiteral("emf"), QCoreApplication::translate("cli", "The same for the stored EMF."),
          QStringLiteral("MIN:MAX"))
{}

void SearchOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({melt, technology, from, to, status, temperature, emf});
}

QVector<QPair<QString, QString>> SearchOptions::given(const QCommandLineParser &parser) const
{
    QVector<QPair<QString, QString>> given;
    for (const QCommandLineOption *option : {&melt, &technology, &from, &to, &status, &temperature, &emf}) {
        if (parser.isSet(*option))
            given.append({option->names().constLast(), parser.value(*option)});
    }
    return given;
}

std::optional<int> readArchiveSearch(const QCommandLineParser &parser, const SearchOptions &options,
                                     const QString &command, QTextStream &err, ArchiveSearch *search)
{
    QString usageError;
    const std::optional<query::SearchCriteria> criteria = options.read(parser, &usageError);
    if (!criteria)
        return reportFailure(err, command, usageError);
    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = archive::unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, command, archive::displayPath(directory) + QStringLiteral(": ") + reason);
    *search = {directory, *criteria};
    return std::nullopt;
}

std::optional<query::SearchCriteria> SearchOptions::read(const QCommandLineParser &parser,
                                                         QString *error) const
{
    query::SearchCriteria criteria;
    if (parser.isSet(melt))
        criteria.melt = parser.value(melt);
    if (parser.isSet(technology))
        criteria.technology = parser.value(technology);
    for (const auto &[option, side, bound] : {std::make_tuple(&from, query::BoundSide::from, &criteria.from),
                                              std::make_tuple(&to, query::BoundSide::to, &criteria.to)}) {
        if (!parser.isSet(*option))
            continue;
        QString why;
        *bound = query::parseMomentBound(parser.value(*option), side, &why);
        if (!*bound) {
            *error = QStringLiteral("--%1 %2").arg(option->names().constFirst(), why);
            return std::nullopt;
        }
    }
    if (criteria.from && criteria.to && !(*criteria.from < *criteria.to)) {
        *error = QCoreApplication::translate(
                     "cli", "--from \"%1\" does not lie before --to \"%2\": the period is empty")
                     .arg(parser.value(from), parser.value(to));
        return std::nullopt;
    }
    if (parser.isSet(status)) {
        criteria.status = query::parseStatusCondition(parser.value(status));
        if (!criteria.status) {
            *error = QCoreApplication::translate(
                         "cli", "--status \"%1\" is no status code, verdict, \"none\" or \"bad\" "
                                "(see --help for the verdicts)")
                         .arg(parser.value(status));
            return std::nullopt;
        }
    }
    for (const auto &[option, range] :
         {std::make_pair(&temperature, &criteria.temperature), std::make_pair(&emf, &criteria.emf)}) {
        if (!parser.isSet(*option))
            continue;
        *range = query::parseNumberRange(parser.value(*option));
        if (!*range) {
            *error = QCoreApplication::translate(
                         "cli", "--%1 \"%2\" is not a range MIN:MAX of numbers with MIN <= MAX")
                         .arg(option->names().constFirst(), parser.value(*option));
            return std::nullopt;
        }
    }
    return criteria;
}

QString SearchOptions::helpText()
{
    // Laid out for help2man as well as for a person, in each language: the status table is a list of
    // its own.
    QString text = QCoreApplication::translate(
        "cli", "Each condition given (--melt, --technology, --from, --to, --status, --temp, --emf)\n"
               "must hold.\n");
    // The heading help2man turns into the table's caption: one text for both languages' pages.
    text += QLatin1Char('\n') + QCoreApplication::translate("cli", "Status codes and their verdicts:") +
            QLatin1Char('\n');
    for (const int code : measurement::statusCodes())
        text += QStringLiteral("  %1  %2\n").arg(code, -5).arg(measurement::statusText(code));
    text += QStringLiteral("  %1  %2\n\n")
                .arg(QCoreApplication::translate("cli", "other"), -5)
                .arg(measurement::statusText(0));
    return text;
}

QVector<statistics::MeasurementFacts> selectMeasurements(const QString &command, const ArchiveSearch &search,
                                                         const archive::ArchiveReading &reading,
                                                         QTextStream &err)
{
    QVector<statistics::MeasurementFacts> facts;
    QStringList unreadable;
    query::visitMeasurements(
        search.directory, search.criteria,
        [&facts](query::FoundMeasurement &&found) { facts.append(statistics::factsOf(found)); }, &unreadable,
        reading);
    reportSkippedFiles(err, command, search.directory, unreadable);
    statistics::sortNewestFirst(facts);
    return facts;
}
} // namespace cli
