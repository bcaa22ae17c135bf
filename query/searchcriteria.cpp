// SPDX-License-Identifier: GPL-3.0-or-later
#include "searchcriteria.h"

#include "measurement/resultnumber.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace query {

std::optional<double> parseTypedNumber(const QString &text)
{
    bool ok = false;
    // A decimal comma is how a Russian desk types a fraction.
    const double value = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

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
    const std::optional<double> value = measurement::resultNumber(text);
    return value && range->contains(*value);
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
        // The range's own separator is ':', so a bound may have a decimal comma.
        const std::optional<double> value = parseTypedNumber(bound);
        if (!value)
            return std::nullopt;
        (i == 0 ? range.minimum : range.maximum) = *value;
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
        return !m.status || *m.status != measurement::okStatus();
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
    for (const int code : measurement::statusCodes()) {
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
                     "query", "\"%1\" is not a date written yyyy-MM-dd or dd.MM.yyyy, optionally "
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
        *error = QCoreApplication::translate("query", "\"%1\": the day %2 does not exist")
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
        *error = QCoreApplication::translate("query", "\"%1\": the time of day %2:%3%4 does not exist")
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
    if (from && moment < *from)
        return false;
    if (to && !(moment < *to))
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

} // namespace query
