// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivestatistics.h"

#include "archive/displayname.h"
#include "measurement/resultnumber.h"
#include "measurement/statustable.h"
#include "platform/filesystem.h"

#include <QMap>
#include <QTextStream>

#include <algorithm>

namespace statistics {

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

MeasurementFacts factsOf(const query::FoundMeasurement &found)
{
    const measurement::MeasurementDigest &m = found.digest;
    return {found.fileName,
            found.encodedName,
            found.technology,
            found.moment,
            measurement::resultNumber(m.temperatureText),
            measurement::resultNumber(m.emfText),
            m.status};
}

QByteArray MeasurementFacts::nameBytes() const
{
    return encodedName.isEmpty() ? platform::encodeFileName(fileName) : encodedName;
}

QString MeasurementFacts::shownName() const
{
    return encodedName.isEmpty() ? archive::displayName(fileName) : fileName;
}

void sortNewestFirst(QVector<MeasurementFacts> &facts)
{
    std::sort(facts.begin(), facts.end(), [](const MeasurementFacts &a, const MeasurementFacts &b) {
        return query::listedBefore(a.moment, a.fileName, b.moment, b.fileName);
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

ValueSpread spreadOfValues(double *values, int count)
{
    ValueSpread spread;
    spread.count = count;
    if (count == 0)
        return spread;
    // The middle found in place, in linear time: the arrays of a million measurements are not copied.
    const int middle = count / 2;
    double *const end = values + count;
    std::nth_element(values, values + middle, end);
    const double upper = values[middle];
    const auto [lowest, highest] = std::minmax_element(values, end);
    spread.minimum = *lowest;
    spread.maximum = *highest;
    spread.median = count % 2 ? upper : (*std::max_element(values, values + middle) + upper) / 2.0;
    return spread;
}

QStringList statusColumns()
{
    return measurement::statusVerdicts() << noStatusColumn();
}

QString noStatusColumn()
{
    return QStringLiteral("none");
}

StatisticsCollector::StatisticsCollector(Grouping grouping) : grouping(grouping), columns(statusColumns()) {}

void StatisticsCollector::add(const MeasurementFacts &f)
{
    const QString key = groupOf(f, grouping);
    auto found = indexOfGroup.constFind(key);
    if (found == indexOfGroup.constEnd()) {
        found = indexOfGroup.insert(key, int(collected.size()));
        Group group;
        group.statistics.group = key;
        group.statistics.statusCounts.fill(0, columns.size());
        collected.push_back(std::move(group));
    }
    Group &group = collected[size_t(*found)];
    GroupStatistics &s = group.statistics;
    ++s.measurements;
    const int column = f.status ? columns.indexOf(*f.status) : columns.size() - 1;
    ++s.statusCounts[column < 0 ? columns.size() - 1 : column];
    if (f.status && *f.status == measurement::okStatus())
        ++s.okCount;
    if (f.temperature)
        group.temperatures.push_back(*f.temperature);
    if (f.emf)
        group.emfs.push_back(*f.emf);
}

QVector<GroupStatistics> StatisticsCollector::groups() const
{
    QVector<GroupStatistics> result;
    result.reserve(int(collected.size()));
    for (const Group &group : collected) {
        GroupStatistics statistics = group.statistics;
        std::vector<double> values = group.temperatures;
        statistics.temperature = spreadOfValues(values.data(), int(values.size()));
        values = group.emfs;
        statistics.emf = spreadOfValues(values.data(), int(values.size()));
        result.append(std::move(statistics));
    }
    const Grouping by = grouping;
    std::sort(result.begin(), result.end(), [by](const GroupStatistics &a, const GroupStatistics &b) {
        return groupBefore(a.group, b.group, by);
    });
    return result;
}

GroupStatistics StatisticsCollector::total(const QString &name) const
{
    GroupStatistics total;
    total.group = name;
    total.statusCounts.fill(0, columns.size());
    std::vector<double> temperatures;
    std::vector<double> emfs;
    for (const Group &group : collected) {
        const GroupStatistics &s = group.statistics;
        total.measurements += s.measurements;
        total.okCount += s.okCount;
        for (int i = 0; i < columns.size(); ++i)
            total.statusCounts[i] += s.statusCounts[i];
        temperatures.insert(temperatures.end(), group.temperatures.cbegin(), group.temperatures.cend());
        emfs.insert(emfs.end(), group.emfs.cbegin(), group.emfs.cend());
    }
    total.temperature = spreadOfValues(temperatures.data(), int(temperatures.size()));
    total.emf = spreadOfValues(emfs.data(), int(emfs.size()));
    return total;
}

QVector<GroupStatistics> groupStatistics(const QVector<MeasurementFacts> &facts, Grouping grouping)
{
    StatisticsCollector collector(grouping);
    for (const MeasurementFacts &f : facts)
        collector.add(f);
    return collector.groups();
}

GroupStatistics totalStatistics(const QVector<MeasurementFacts> &facts, const QString &name)
{
    StatisticsCollector collector(Grouping::technology);
    for (const MeasurementFacts &f : facts)
        collector.add(f);
    return collector.total(name);
}

QString statisticText(double value)
{
    return QString::number(value, 'g', 10);
}

QString shareText(double share)
{
    return QString::number(share * 100.0, 'f', 1) + QStringLiteral(" %");
}

} // namespace statistics
