// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivestatistics.h"

#include "measurementcommands.h"

#include <QMap>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace cli {

namespace {

const QString unparsedMoment = QStringLiteral("?");

QString groupOf(const MeasurementFacts &facts, Grouping grouping)
{
    const QDate &date = facts.moment.date;
    const bool dated = facts.moment.isValid();
    switch (grouping) {
    case Grouping::technology:
        return facts.technology;
    case Grouping::day:
        return dated ? date.toString(QStringLiteral("yyyy-MM-dd")) : unparsedMoment;
    case Grouping::week: {
        if (!dated)
            return unparsedMoment;
        int weekYear = 0;
        const int week = date.weekNumber(&weekYear);
        return QStringLiteral("%1-W%2")
            .arg(weekYear, 4, 10, QLatin1Char('0'))
            .arg(week, 2, 10, QLatin1Char('0'));
    }
    case Grouping::month:
        return dated ? date.toString(QStringLiteral("yyyy-MM")) : unparsedMoment;
    case Grouping::status:
        break;
    }
    return facts.status.value_or(noStatusColumn());
}

// Technologies by name; periods by their ISO texts, which sort in time order, with "?" after them;
// verdicts in column order.
bool groupBefore(const QString &a, const QString &b, Grouping grouping)
{
    if (grouping == Grouping::status) {
        const QStringList columns = statusColumns();
        return columns.indexOf(a) < columns.indexOf(b);
    }
    if (grouping != Grouping::technology && (a == unparsedMoment) != (b == unparsedMoment))
        return b == unparsedMoment;
    return a < b;
}

} // namespace

MeasurementFacts factsOf(const FoundMeasurement &found)
{
    const measurement::MeasurementDigest &m = found.digest;
    return {found.fileName,          found.technology, found.moment, resultNumber(m.temperatureText),
            resultNumber(m.emfText), m.status};
}

void sortNewestFirst(QVector<MeasurementFacts> &facts)
{
    std::sort(facts.begin(), facts.end(), [](const MeasurementFacts &a, const MeasurementFacts &b) {
        return listedBefore(a.moment, a.fileName, b.moment, b.fileName);
    });
}

std::optional<Grouping> parseGrouping(const QString &text)
{
    const QStringList names = groupingNames();
    const int index = names.indexOf(text);
    if (index < 0)
        return std::nullopt;
    return Grouping(index);
}

QStringList groupingNames()
{
    // In the order of the enumeration.
    return {QStringLiteral("technology"), QStringLiteral("day"), QStringLiteral("week"),
            QStringLiteral("month"), QStringLiteral("status")};
}

ValueSpread spreadOf(QVector<double> values)
{
    ValueSpread spread;
    spread.count = values.size();
    if (values.isEmpty())
        return spread;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    spread.minimum = values.constFirst();
    spread.maximum = values.constLast();
    spread.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
    return spread;
}

QStringList statusColumns()
{
    return statusVerdicts() << noStatusColumn();
}

QString noStatusColumn()
{
    return QStringLiteral("none");
}

namespace {

QVector<GroupStatistics> collectGroups(const QVector<MeasurementFacts> &facts,
                                       const std::function<QString(const MeasurementFacts &)> &groupOf)
{
    struct Collected
    {
        GroupStatistics statistics;
        QVector<double> temperatures;
        QVector<double> emfs;
    };
    const QStringList columns = statusColumns();
    QMap<QString, Collected> groups;
    for (const MeasurementFacts &f : facts) {
        const QString key = groupOf(f);
        Collected &group = groups[key];
        GroupStatistics &s = group.statistics;
        if (s.statusCounts.isEmpty()) {
            s.group = key;
            s.statusCounts.fill(0, columns.size());
        }
        ++s.measurements;
        const int column = f.status ? columns.indexOf(*f.status) : columns.size() - 1;
        ++s.statusCounts[column < 0 ? columns.size() - 1 : column];
        if (f.status && *f.status == okStatus())
            ++s.okCount;
        if (f.temperature)
            group.temperatures.append(*f.temperature);
        if (f.emf)
            group.emfs.append(*f.emf);
    }
    QVector<GroupStatistics> result;
    result.reserve(groups.size());
    for (Collected &group : groups) {
        group.statistics.temperature = spreadOf(std::move(group.temperatures));
        group.statistics.emf = spreadOf(std::move(group.emfs));
        result.append(std::move(group.statistics));
    }
    return result;
}

} // namespace

QVector<GroupStatistics> groupStatistics(const QVector<MeasurementFacts> &facts, Grouping grouping)
{
    QVector<GroupStatistics> groups =
        collectGroups(facts, [grouping](const MeasurementFacts &f) { return groupOf(f, grouping); });
    std::sort(groups.begin(), groups.end(), [grouping](const GroupStatistics &a, const GroupStatistics &b) {
        return groupBefore(a.group, b.group, grouping);
    });
    return groups;
}

GroupStatistics totalStatistics(const QVector<MeasurementFacts> &facts, const QString &name)
{
    GroupStatistics total = collectGroups(facts, [&name](const MeasurementFacts &) { return name; }).value(0);
    total.group = name;
    total.statusCounts.resize(statusColumns().size());
    return total;
}

QString statisticText(double value)
{
    return QString::number(value, 'g', 10);
}

QString shareText(double share)
{
    return QString::number(share * 100.0, 'f', 1) + QStringLiteral(" %");
}

QVector<MeasurementFacts> selectMeasurements(const QString &command, const ArchiveSearch &search,
                                             const ArchiveReading &reading, QTextStream &err)
{
    QVector<MeasurementFacts> facts;
    QStringList unreadable;
    visitMeasurements(
        search.directory, search.criteria,
        [&facts](FoundMeasurement &&found) { facts.append(factsOf(found)); }, &unreadable, reading);
    reportSkippedFiles(err, command, search.directory, unreadable);
    sortNewestFirst(facts);
    return facts;
}

} // namespace cli
