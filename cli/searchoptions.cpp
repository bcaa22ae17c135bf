// SPDX-License-Identifier: GPL-3.0-or-later
#include "searchoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace cli {

QString okStatus()
{
    return measurement::statusText(8);
}

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

namespace {

// The status verdicts of the table, one per code, for the help text and for telling a verdict from
// a typing error. "ОШИБКА" stands for every other code.
const int tableCodes[] = {3, 4, 5, 6, 7, 8, 9, 11, 12};

QString foldedStatus(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('.') && c != QChar(0x00A0))
            folded.append(c.toCaseFolded());
    }
    return folded;
}

bool inRange(const std::optional<NumberRange> &range, const std::optional<QString> &text)
{
    if (!range)
        return true;
    const std::optional<double> value = resultNumber(text);
    return value && range->contains(*value);
}

bool momentBefore(const archive::Moment &a, const archive::Moment &b)
{
    return a.date != b.date ? a.date < b.date : a.time < b.time;
}

} // namespace

QStringList statusVerdicts()
{
    QStringList verdicts;
    for (const int code : tableCodes)
        verdicts.append(measurement::statusText(code));
    verdicts.append(measurement::statusText(0));
    return verdicts;
}

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
        // A decimal comma is how a Russian desk types a fraction; the range's own separator is ':'.
        const double value = QString(bound).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
        (i == 0 ? range.minimum : range.maximum) = value;
    }
    if (range.minimum && range.maximum && *range.minimum > *range.maximum)
        return std::nullopt;
    return range;
}

bool StatusCondition::accepts(const measurement::MeasurementDigest &m) const
{
    switch (kind) {
    case Kind::code:
        return m.status && m.statusCode && *m.statusCode == code;
    case Kind::text:
        return m.status && foldedStatus(*m.status) == foldedText;
    case Kind::missing:
        return !m.status;
    case Kind::bad:
        return !m.status || *m.status != okStatus();
    }
    return false;
}

std::optional<StatusCondition> parseStatusCondition(const QString &text)
{
    StatusCondition condition;
    bool isCode = false;
    condition.code = text.trimmed().toInt(&isCode, 10);
    if (isCode)
        return condition;
    const QString folded = foldedStatus(text);
    if (folded == QLatin1String("none")) {
        condition.kind = StatusCondition::Kind::missing;
        return condition;
    }
    if (folded == QLatin1String("bad")) {
        condition.kind = StatusCondition::Kind::bad;
        return condition;
    }
    condition.kind = StatusCondition::Kind::text;
    condition.foldedText = folded;
    if (folded == foldedStatus(measurement::statusText(0)))
        return condition;
    for (const int code : tableCodes) {
        if (folded == foldedStatus(measurement::statusText(code)))
            return condition;
    }
    return std::nullopt;
}

std::optional<archive::Moment> parseMomentBound(const QString &text, BoundSide side, QString *error)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(?:([0-9]{4})-([0-9]{2})-([0-9]{2})|([0-9]{2})\\.([0-9]{2})\\.([0-9]{4}))"
                       "(?:[ T]+([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        *error = QCoreApplication::translate(
                     "cli", "\"%1\" is not a date written yyyy-MM-dd or dd.MM.yyyy, optionally "
                            "followed by h:mm, hh:mm or hh:mm:ss")
                     .arg(text);
        return std::nullopt;
    }
    const bool iso = match.capturedLength(1) > 0;
    const int year = match.captured(iso ? 1 : 6).toInt();
    const int month = match.captured(iso ? 2 : 5).toInt();
    const int day = match.captured(iso ? 3 : 4).toInt();
    const QDate date(year, month, day);
    if (!date.isValid()) {
        *error = QCoreApplication::translate("cli", "\"%1\": the day %2 does not exist")
                     .arg(text, iso ? QStringLiteral("%1-%2-%3")
                                          .arg(match.captured(1), match.captured(2), match.captured(3))
                                    : QStringLiteral("%1.%2.%3")
                                          .arg(match.captured(4), match.captured(5), match.captured(6)));
        return std::nullopt;
    }
    if (match.capturedLength(7) == 0)
        return archive::Moment{side == BoundSide::to ? date.addDays(1) : date, QTime(0, 0, 0)};
    const bool hasSeconds = match.capturedLength(9) > 0;
    const QTime time(match.captured(7).toInt(), match.captured(8).toInt(),
                     hasSeconds ? match.captured(9).toInt() : 0);
    if (!time.isValid()) {
        *error = QCoreApplication::translate("cli", "\"%1\": the time of day %2:%3%4 does not exist")
                     .arg(text, match.captured(7), match.captured(8),
                          hasSeconds ? QLatin1Char(':') + match.captured(9) : QString());
        return std::nullopt;
    }
    return archive::Moment{date, time};
}

bool SearchCriteria::matchesName(QStringView technologyOfName, const archive::Moment &moment) const
{
    if (technology && technologyOfName.compare(QStringView(*technology), Qt::CaseInsensitive) != 0)
        return false;
    if ((from || to) && !moment.isValid())
        return false;
    if (from && momentBefore(moment, *from))
        return false;
    if (to && !momentBefore(moment, *to))
        return false;
    return true;
}

bool SearchCriteria::matchesContent(const measurement::MeasurementDigest &m) const
{
    if (melt && !(m.smelt && m.smelt->contains(*melt, Qt::CaseInsensitive)))
        return false;
    if (status && !status->accepts(m))
        return false;
    return inRange(temperature, m.temperatureText) && inRange(emf, m.emfText);
}

SearchOptions::SearchOptions()
    : melt(QStringLiteral("melt"), QCoreApplication::translate("cli", "Part of the melt number."),
           QStringLiteral("TEXT")),
      technology(QStringLiteral("technology"), QCoreApplication::translate("cli", "Technology."),
                 QStringLiteral("T")),
      from(QStringLiteral("from"), QCoreApplication::translate("cli", "Start of the period (included)."),
           QStringLiteral("DATE")),
      to(QStringLiteral("to"), QCoreApplication::translate("cli", "End of the period (left out)."),
         QStringLiteral("DATE")),
      status(QStringLiteral("status"),
             QCoreApplication::translate("cli", "Status code, verdict, none or bad."),
             QStringLiteral("STATUS")),
      temperature(QStringLiteral("temp"), QCoreApplication::translate("cli", "Temperature range, °C."),
                  QStringLiteral("MIN:MAX")),
      emf(QStringLiteral("emf"), QCoreApplication::translate("cli", "EMF range, mV."),
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
    const std::optional<SearchCriteria> criteria = options.read(parser, &usageError);
    if (!criteria)
        return reportFailure(err, command, usageError);
    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, command, directory + QStringLiteral(": ") + reason);
    *search = {directory, *criteria};
    return std::nullopt;
}

std::optional<SearchCriteria> SearchOptions::read(const QCommandLineParser &parser, QString *error) const
{
    SearchCriteria criteria;
    if (parser.isSet(melt))
        criteria.melt = parser.value(melt);
    if (parser.isSet(technology))
        criteria.technology = parser.value(technology);
    for (const auto &[option, side, bound] : {std::make_tuple(&from, BoundSide::from, &criteria.from),
                                              std::make_tuple(&to, BoundSide::to, &criteria.to)}) {
        if (!parser.isSet(*option))
            continue;
        QString why;
        *bound = parseMomentBound(parser.value(*option), side, &why);
        if (!*bound) {
            *error = QStringLiteral("--%1 %2").arg(option->names().constFirst(), why);
            return std::nullopt;
        }
    }
    if (criteria.from && criteria.to && !momentBefore(*criteria.from, *criteria.to)) {
        *error = QCoreApplication::translate(
                     "cli", "--from \"%1\" does not lie before --to \"%2\": the period is empty")
                     .arg(parser.value(from), parser.value(to));
        return std::nullopt;
    }
    if (parser.isSet(status)) {
        criteria.status = parseStatusCondition(parser.value(status));
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
        *range = parseNumberRange(parser.value(*option));
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
    // Laid out for help2man as well as for a person, in each language: an option's explanation
    // continues at the column where it starts, and the status table is a list of its own.
    QString text = QCoreApplication::translate(
        "cli", "Conditions (each given one must hold):\n"
               "  --melt TEXT        the melt number contains TEXT, letter case ignored.\n"
               "  --technology T     the technology of the file name is T, letter case ignored.\n"
               "  --from DATE        the moment in the file name is DATE or later.\n"
               "  --to DATE          the moment in the file name is before DATE; a date alone includes\n"
               "                     its whole day (--to 2025-01-26 ends after 23:59:59), a time of day\n"
               "                     is the first moment left out, so that the shifts --from \"26.01.2025\n"
               "                     08:00\" --to \"26.01.2025 20:00\" and --from \"26.01.2025 20:00\" --to\n"
               "                     \"27.01.2025 08:00\" count every measurement once. DATE is\n"
               "                     yyyy-MM-dd or dd.MM.yyyy, optionally with h:mm, hh:mm or hh:mm:ss\n"
               "                     (\"26.01.2025 8:00\").\n"
               "  --status STATUS    a status code; a verdict, letter case, spaces and full stops ignored\n"
               "                     (\"нет пл\" finds \"НЕТ ПЛ.\"); none: no \"Status\" in the file; bad:\n"
               "                     everything but \"ЕСТЬ ПЛ.\", files without a status included.\n"
               "  --temp MIN:MAX     the stored temperature is a number from MIN to MAX, bounds included;\n"
               "                     either bound may be left out (\"1600:\") and either may have a\n"
               "                     decimal comma (\"1600,5:\"). \"nan\", \"32767\" and texts that are not\n"
               "                     numbers never match.\n"
               "  --emf MIN:MAX      the same for the stored EMF.\n");
    // The heading help2man turns into the table's caption: one text for both languages' pages.
    text += QLatin1Char('\n') + QCoreApplication::translate("cli", "Status codes and their verdicts:") +
            QLatin1Char('\n');
    for (const int code : tableCodes)
        text += QStringLiteral("  %1  %2\n").arg(code, -5).arg(measurement::statusText(code));
    text += QStringLiteral("  %1  %2\n\n")
                .arg(QCoreApplication::translate("cli", "other"), -5)
                .arg(measurement::statusText(0));
    return text;
}

} // namespace cli
