// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivetree.h"

#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"

#include <QHash>

#include <algorithm>

namespace archive {

namespace {

constexpr int prefixLength = 6; // "steel_"
constexpr int none = -1;

// What the four scans would see of one listed file, worked out once. The deeper scans' patterns are
// "steel_" + T + "-" + "yyyy_MM" + "_" + "dd" + "*.json" with letter case ignored; since a technology
// holds no "-", a file matches technology T exactly when the text between "steel_" and the first "-"
// of the whole name folds to T, and a month and a day when the text after that "-" begins with them.
struct FileFacts
{
    qint64 modified;
    int nameOffset;
    int nameLength;
    int technology;  // index into the distinct technologies
    int group;       // index into the distinct folded name technologies, or none
    int monthKey;    // year * 100 + month of the moment, or none
    int prefixMonth; // year * 100 + month written right after the "-", or none
    int seconds;     // time of day of the moment, or none
    qint8 day;       // day of the moment, or none
    qint8 prefixDay; // day written after the month, or none
};

int twoDigits(QStringView text, int at)
{
    const QChar a = text.at(at).toCaseFolded();
    const QChar b = text.at(at + 1).toCaseFolded();
    if (a < QLatin1Char('0') || a > QLatin1Char('9') || b < QLatin1Char('0') || b > QLatin1Char('9'))
        return none;
    return (a.unicode() - '0') * 10 + (b.unicode() - '0');
}

bool isFoldedUnderscore(QStringView text, int at)
{
    return text.at(at).toCaseFolded() == QLatin1Char('_');
}

// "yyyy_MM" at the start of the text, as a month key that never collides with another month's.
int writtenMonth(QStringView text)
{
    if (text.size() < 7 || !isFoldedUnderscore(text, 4))
        return none;
    const int high = twoDigits(text, 0);
    const int low = twoDigits(text, 2);
    const int month = twoDigits(text, 5);
    if (high < 0 || low < 0 || month < 0)
        return none;
    return (high * 100 + low) * 100 + month;
}

int writtenDay(QStringView text)
{
    if (text.size() < 10 || !isFoldedUnderscore(text, 7))
        return none;
    return twoDigits(text, 8);
}

QString folded(QStringView text)
{
    QString out;
    out.resize(text.size());
    for (int i = 0; i < text.size(); ++i)
        out[i] = text.at(i).toCaseFolded();
    return out;
}

// Distinct texts numbered in order of first appearance.
class TextNumbers
{
public:
    int number(QStringView text)
    {
        if (last >= 0 && QStringView(texts.at(last)) == text)
            return last;
        const auto found = numbers.constFind(text.toString());
        if (found != numbers.cend())
            return last = found.value();
        last = texts.size();
        texts.append(text.toString());
        numbers.insert(texts.constLast(), last);
        return last;
    }
    int find(const QString &text) const { return numbers.value(text, none); }
    const QStringList &all() const { return texts; }

private:
    QStringList texts;
    QHash<QString, int> numbers;
    int last = none;
};

class TreeBuilder
{
public:
    void add(QStringView name, qint64 modified)
    {
        FileFacts f;
        f.modified = modified;
        f.nameOffset = names.size();
        f.nameLength = int(name.size());
        names.append(name.data(), int(name.size()));
        f.technology = technologies.number(technologyView(name));

        const qsizetype dash = name.indexOf(u'-', prefixLength);
        if (dash < 0) {
            f.group = f.prefixMonth = none;
            f.prefixDay = none;
        } else {
            f.group = groups.number(folded(name.mid(prefixLength, dash - prefixLength)));
            const QStringView written = name.mid(dash + 1);
            f.prefixMonth = writtenMonth(written);
            f.prefixDay = qint8(f.prefixMonth == none ? none : writtenDay(written));
        }
        const Moment moment = momentOfName(name);
        if (moment.isValid()) {
            f.monthKey = moment.date.year() * 100 + moment.date.month();
            f.day = qint8(moment.date.day());
            f.seconds = QTime(0, 0).secsTo(moment.time);
        } else {
            f.monthKey = f.seconds = none;
            f.day = none;
        }
        files.append(f);
    }

    ArchiveTree build()
    {
        ArchiveTree tree;
        tree.listedAnyFile = !files.isEmpty();
        sortByListingOrder();

        QVector<QVector<int>> filesOfGroup(groups.all().size());
        for (int i = 0; i < files.size(); ++i) {
            if (files[i].group != none)
                filesOfGroup[files[i].group].append(i);
        }
        if (!files.isEmpty())
            tree.newestTechnology = technologies.all().at(files.constFirst().technology);

        QStringList list = technologies.all();
        std::sort(list.begin(), list.end());
        QVector<QVector<ArchiveTree::Month>> monthsOfGroup(groups.all().size());
        QVector<bool> built(groups.all().size(), false);
        for (const QString &technology : list) {
            ArchiveTree::Technology node{technology, {}};
            const int group = technology.isEmpty() ? none : groups.find(folded(technology));
            if (group != none) {
                if (!built[group]) {
                    monthsOfGroup[group] = monthsOf(filesOfGroup[group]);
                    built[group] = true;
                }
                node.months = monthsOfGroup[group];
            }
            tree.technologies.append(node);
        }
        return tree;
    }

private:
    QStringView nameOf(const FileFacts &f) const
    {
        return QStringView(names).mid(f.nameOffset, f.nameLength);
    }

    // Most recently modified first, equal instants by name: the order of a directory listing.
    void sortByListingOrder()
    {
        std::sort(files.begin(), files.end(), [this](const FileFacts &a, const FileFacts &b) {
            if (a.modified != b.modified)
                return a.modified > b.modified;
            return nameOf(a).compare(nameOf(b)) < 0;
        });
    }

    // Distinct keys newest first, the empty entry (none) last, as the scans sort their texts.
    template <typename Key> static QVector<int> newestFirst(const QVector<int> &fileIndexes, Key key)
    {
        QVector<int> keys;
        for (const int i : fileIndexes)
            keys.append(key(i));
        std::sort(keys.begin(), keys.end(), std::greater<int>());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        return keys;
    }

    QVector<ArchiveTree::Month> monthsOf(const QVector<int> &groupFiles) const
    {
        QHash<int, QVector<int>> byWrittenMonth;
        for (const int i : groupFiles) {
            if (files[i].prefixMonth != none)
                byWrittenMonth[files[i].prefixMonth].append(i);
        }
        QVector<ArchiveTree::Month> months;
        for (const int monthKey : newestFirst(groupFiles, [this](int i) { return files[i].monthKey; })) {
            ArchiveTree::Month month;
            if (monthKey != none) {
                month.yearMonth =
                    yearMonthText(Moment{QDate(monthKey / 100, monthKey % 100, 1), QTime(0, 0)});
                month.days = daysOf(byWrittenMonth.value(monthKey));
            }
            months.append(month);
        }
        return months;
    }

    QVector<ArchiveTree::Day> daysOf(const QVector<int> &monthFiles) const
    {
        QHash<int, QVector<int>> byWrittenDay;
        for (const int i : monthFiles) {
            if (files[i].prefixDay != none)
                byWrittenDay[files[i].prefixDay].append(i);
        }
        QVector<ArchiveTree::Day> days;
        for (const int day : newestFirst(monthFiles, [this](int i) { return int(files[i].day); })) {
            ArchiveTree::Day node;
            if (day != none) {
                node.day = dayText(Moment{QDate(2000, 1, day), QTime(0, 0)});
                for (const int i : byWrittenDay.value(day))
                    node.seconds.append(files[i].seconds);
            }
            days.append(node);
        }
        return days;
    }

    QString names; // every listed name, back to back
    QVector<FileFacts> files;
    TextNumbers technologies;
    TextNumbers groups;
};

} // namespace

QString timeOfDayText(int seconds)
{
    if (seconds < 0)
        return QString();
    return timeText(Moment{QDate(2000, 1, 1), QTime(0, 0).addSecs(seconds)});
}

ArchiveTree buildArchiveTree(const QString &directory)
{
    TreeBuilder builder;
    forEachMatchingFile(directory, technologyPattern(), true,
                        [&builder](QStringView name, qint64 modified) { builder.add(name, modified); });
    return builder.build();
}

} // namespace archive
