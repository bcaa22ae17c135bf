// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivescans.h"

#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "archive/sharedlisting.h"

#include <QHash>
#include <QSet>
#include <QVector>

#include <algorithm>

namespace archive {

namespace {

// Distinct texts gathered from views into directory entries, without building a QString for every
// entry: an archive has a handful of technologies spread over many thousands of files.
class DistinctTexts
{
public:
    void add(QStringView text)
    {
        if (last >= 0 && QStringView(texts.at(last)) == text)
            return;
        const uint hash = qHash(text);
        for (auto it = byHash.constFind(hash); it != byHash.cend() && it.key() == hash; ++it) {
            if (QStringView(texts.at(it.value())) == text) {
                last = it.value();
                return;
            }
        }
        last = texts.size();
        byHash.insert(hash, last);
        texts.append(text.toString());
    }

    QStringList sorted() const
    {
        QStringList out = texts;
        std::sort(out.begin(), out.end());
        // Undecodable names can give one text for two different byte strings.
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }

private:
    QStringList texts;
    QMultiHash<uint, int> byHash;
    int last = -1;
};

// Year.month and day texts are fixed-width digits (or empty), so ordering their numbers is ordering
// the texts; the empty text of an invalid moment sorts first and so ends up last after reversing.
constexpr int invalidKey = -1;

QStringList newestFirst(const QSet<int> &keys, QString (*text)(int key))
{
    QVector<int> sorted(keys.cbegin(), keys.cend());
    std::sort(sorted.begin(), sorted.end(), std::greater<int>());
    QStringList out;
    out.reserve(sorted.size());
    for (int key : sorted)
        out.append(key == invalidKey ? QString() : text(key));
    return out;
}

QString monthPart(const QString &yearMonth)
{
    QString part = yearMonth;
    part.replace(QLatin1Char('.'), QLatin1Char('_'));
    return part;
}

} // namespace

QString technologyPattern()
{
    return QStringLiteral("steel_*.json");
}

QString yearMonthPattern(const QString &technology)
{
    // The "-" keeps technology K from picking up the files of K1.
    return QStringLiteral("steel_") + escapeWildcards(technology) + QStringLiteral("-*.json");
}

QString dayPattern(const QString &technology, const QString &yearMonth)
{
    return QStringLiteral("steel_") + escapeWildcards(technology) + QLatin1Char('-') +
           escapeWildcards(monthPart(yearMonth)) + QStringLiteral("*.json");
}

QString timePattern(const QString &technology, const QString &yearMonth, const QString &day)
{
    return QStringLiteral("steel_") + escapeWildcards(technology) + QLatin1Char('-') +
           escapeWildcards(monthPart(yearMonth)) + QLatin1Char('_') + escapeWildcards(day) +
           QStringLiteral("*.json");
}

TechnologyScan scanTechnologies(const QString &directory, const SharedListing *listing)
{
    TechnologyScan scan;
    DistinctTexts technologies;
    qint64 newestNsecs = 0;
    QString newestName;
    // Only the newest file matters for the order, so one pass keeps the maximum instead of sorting.
    forEachScannedFile(
        directory, technologyPattern(), true,
        [&](QStringView name, qint64 modified) {
            const QStringView technology = technologyView(name);
            technologies.add(technology);
            if (!scan.listedAnyFile || isNewer(modified, name, newestNsecs, newestName)) {
                newestNsecs = modified;
                newestName = name.toString();
                scan.newestTechnology = technology.toString();
            }
            scan.listedAnyFile = true;
        },
        listing);
    scan.technologies = technologies.sorted();
    return scan;
}

QStringList scanYearMonths(const QString &directory, const QString &technology, const SharedListing *listing)
{
    // Sorted by the moments in the names, so no modification times are read.
    QSet<int> months;
    forEachScannedFile(
        directory, yearMonthPattern(technology), false,
        [&months](QStringView name, qint64) {
            const Moment moment = momentOfName(name);
            months.insert(moment.isValid() ? moment.date.year() * 100 + moment.date.month() : invalidKey);
        },
        listing);
    return newestFirst(months, [](int key) {
        return yearMonthText(Moment{QDate(key / 100, key % 100, 1), QTime(0, 0)});
    });
}

QStringList scanDays(const QString &directory, const QString &technology, const QString &yearMonth,
                     const SharedListing *listing)
{
    QSet<int> days;
    forEachScannedFile(
        directory, dayPattern(technology, yearMonth), false,
        [&days](QStringView name, qint64) {
            const Moment moment = momentOfName(name);
            days.insert(moment.isValid() ? moment.date.day() : invalidKey);
        },
        listing);
    return newestFirst(days, [](int key) { return dayText(Moment{QDate(2000, 1, key), QTime(0, 0)}); });
}

QStringList scanTimes(const QString &directory, const QString &technology, const QString &yearMonth,
                      const QString &day, const SharedListing *listing)
{
    struct Entry
    {
        qint64 modified;
        QString name;
        QString time;
    };
    QVector<Entry> entries;
    forEachScannedFile(
        directory, timePattern(technology, yearMonth, day), true,
        [&entries](QStringView name, qint64 modified) {
            entries.append(Entry{modified, name.toString(), timeText(momentOfName(name))});
        },
        listing);
    // Listing order: most recently modified first, equal instants by name. Duplicate times stay.
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return isNewer(a.modified, a.name, b.modified, b.name); });
    QStringList times;
    times.reserve(entries.size());
    for (const Entry &entry : entries)
        times.append(entry.time);
    return times;
}

} // namespace archive
