// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivemodel.h"

#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"
#include "archive/sharedlisting.h"
#include "platform/filesystem.h"

#include <QFile>

#include <algorithm>

namespace archive {

namespace {

constexpr int prefixLength = 6; // "steel_"
constexpr int none = -1;

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

// "yyyy_MM" at the start of the text, as a month key that never collides with another month's. The
// deeper lists' name patterns ignore letter case, so the text is compared folded.
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

// Newest first, the empty entry (none) last: the keys are fixed-width numbers, so this is the
// scans' order of their texts.
template <typename Text> QStringList newestFirst(const QList<int> &ascendingKeys, Text text)
{
    QStringList out;
    out.reserve(ascendingKeys.size());
    for (auto it = ascendingKeys.crbegin(); it != ascendingKeys.crend(); ++it)
        out.append(*it == none ? QString() : text(*it));
    return out;
}

int monthKeyOf(const QString &yearMonth)
{
    // "yyyy.MM" as the lists show it; the dot stands where names hold "_".
    if (yearMonth.size() != 7 || yearMonth.at(4) != QLatin1Char('.'))
        return none;
    QString written = yearMonth;
    written[4] = QLatin1Char('_');
    return writtenMonth(written);
}

QString timeOfDay(int seconds)
{
    return timeText(Moment{QDate(2000, 1, 1), QTime(0, 0).addSecs(seconds)});
}

int dayKeyOf(const QString &day)
{
    return day.size() == 2 ? twoDigits(day, 0) : none;
}

} // namespace

QByteArray ArchiveEntry::encodedName() const
{
    return platform::encodeFileName(fileName);
}

bool ArchiveModel::TimeKey::operator<(const TimeKey &o) const
{
    if (unreadableMoment != o.unreadableMoment)
        return !unreadableMoment;
    return isNewer(modifiedNsecs, fileName, o.modifiedNsecs, o.fileName);
}

bool ArchiveModel::isChoosable(const Facts &f)
{
    return !f.group.isEmpty() && f.prefixDay != none && f.seconds != none;
}

void ArchiveModel::consider(const ArchiveEntry &file, const Facts &facts)
{
    const auto newer = [](const ArchiveEntry &a, const std::optional<ArchiveEntry> &b) {
        return !b || isNewer(a.modifiedNsecs, a.fileName, b->modifiedNsecs, b->fileName);
    };
    if (newer(file, newestFile))
        newestFile = file;
    if (isChoosable(facts) && newer(file, newestChoosable))
        newestChoosable = file;
}

ArchiveModel::ArchiveModel(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<archive::ArchiveEntry>();
}

ArchiveModel::~ArchiveModel() = default;

bool ArchiveModel::fill(const QString &folder)
{
    QVector<ArchiveEntry> listedFiles;
    const SharedListing listing(folder);
    const bool ok = listing.forEachFile([&](QStringView name, qint64 nsecs) {
        listedFiles.append(ArchiveEntry{name.toString(), nsecs});
    });
    // The listing took the archive names only, each once.
    fillListed(folder, listedFiles, ok, true);
    return ok;
}

void ArchiveModel::fill(const QString &folder, const QVector<ArchiveEntry> &newFiles, bool folderListed)
{
    fillListed(folder, newFiles, folderListed, false);
}

void ArchiveModel::fillListed(const QString &folder, const QVector<ArchiveEntry> &newFiles, bool folderListed,
                              bool matched)
{
    place = folder;
    listed = folderListed;
    files.clear();
    technologyCounts.clear();
    groups.clear();
    texts.clear();
    newestFile.reset();
    newestChoosable.reset();
    files.reserve(newFiles.size());
    const WildcardPattern archiveNames(technologyPattern());
    for (const ArchiveEntry &file : newFiles) {
        if (!matched && (files.contains(file.fileName) || !archiveNames.matches(file.fileName)))
            continue;
        const Facts facts = factsOf(file.fileName, file.modifiedNsecs);
        add(file.fileName, facts);
        consider(file, facts);
    }
    emit filled();
}

void ArchiveModel::takeOver(ArchiveModel &other)
{
    std::swap(place, other.place);
    std::swap(listed, other.listed);
    files.swap(other.files);
    technologyCounts.swap(other.technologyCounts);
    groups.swap(other.groups);
    texts.swap(other.texts);
    std::swap(newestFile, other.newestFile);
    std::swap(newestChoosable, other.newestChoosable);
    other.fill(QString(), {}, false);
    emit filled();
}

ArchiveModel::Facts ArchiveModel::factsOf(const QString &fileName, qint64 modifiedNsecs)
{
    Facts f;
    f.modifiedNsecs = modifiedNsecs;
    const QStringView name(fileName);
    f.technology = interned(technologyView(name).toString());
    const qsizetype dash = name.indexOf(u'-', prefixLength);
    if (dash >= 0) {
        f.group = interned(folded(name.mid(prefixLength, dash - prefixLength)));
        const QStringView written = name.mid(dash + 1);
        f.prefixMonth = writtenMonth(written);
        f.prefixDay = f.prefixMonth == none ? none : writtenDay(written);
    }
    const Moment moment = momentOfName(name);
    if (moment.isValid()) {
        f.monthKey = moment.date.year() * 100 + moment.date.month();
        f.day = moment.date.day();
        f.seconds = QTime(0, 0).secsTo(moment.time);
    }
    return f;
}

QString ArchiveModel::interned(const QString &text)
{
    const auto known = texts.constFind(text);
    if (known != texts.cend())
        return *known;
    texts.insert(text);
    return text;
}

void ArchiveModel::add(const QString &fileName, const Facts &f)
{
    files.insert(fileName, f);
    ++technologyCounts[f.technology];
    // Without a "-" after the technology no month list takes the file; the empty technology leads
    // no further than its entry.
    if (f.group.isEmpty())
        return;
    Group &group = groups[f.group];
    ++group.monthCounts[f.monthKey];
    if (f.prefixMonth == none)
        return;
    ++group.dayCounts[f.prefixMonth][f.day];
    if (f.prefixDay != none)
        group.times[f.prefixMonth * 100 + f.prefixDay].insert(
            TimeKey{f.seconds == none, f.modifiedNsecs, fileName});
}

void ArchiveModel::take(const QString &fileName, Facts f)
{
    files.remove(fileName);
    const auto decrement = [](auto &counts, const auto &key) {
        auto it = counts.find(key);
        if (it != counts.end() && --it.value() <= 0)
            counts.erase(it);
    };
    decrement(technologyCounts, f.technology);
    if (f.group.isEmpty())
        return;
    const auto groupIt = groups.find(f.group);
    if (groupIt == groups.end())
        return;
    Group &group = groupIt.value();
    decrement(group.monthCounts, f.monthKey);
    if (f.prefixMonth != none) {
        QMap<int, int> &days = group.dayCounts[f.prefixMonth];
        decrement(days, f.day);
        if (days.isEmpty())
            group.dayCounts.remove(f.prefixMonth);
        if (f.prefixDay != none) {
            const int key = f.prefixMonth * 100 + f.prefixDay;
            group.times[key].erase(TimeKey{f.seconds == none, f.modifiedNsecs, fileName});
            if (group.times[key].empty())
                group.times.remove(key);
        }
    }
    if (group.monthCounts.isEmpty())
        groups.erase(groupIt);
}

bool ArchiveModel::put(const ArchiveEntry &file)
{
    if (!wildcardMatch(technologyPattern(), file.fileName))
        return false;
    const auto known = files.constFind(file.fileName);
    if (known != files.cend()) {
        if (known->modifiedNsecs == file.modifiedNsecs)
            return false;
        take(file.fileName, *known);
    }
    const bool wasNewest = (newestFile && newestFile->fileName == file.fileName) ||
                           (newestChoosable && newestChoosable->fileName == file.fileName);
    const Facts facts = factsOf(file.fileName, file.modifiedNsecs);
    add(file.fileName, facts);
    if (wasNewest)
        findNewest(); // the newest written again, perhaps with an older time
    else
        consider(file, facts);
    emit filePut(file);
    return true;
}

bool ArchiveModel::remove(const QString &fileName)
{
    const auto known = files.constFind(fileName);
    if (known == files.cend())
        return false;
    take(fileName, *known);
    if ((newestFile && newestFile->fileName == fileName) ||
        (newestChoosable && newestChoosable->fileName == fileName))
        findNewest();
    emit fileRemoved(fileName);
    return true;
}

void ArchiveModel::findNewest()
{
    newestFile.reset();
    newestChoosable.reset();
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        consider(ArchiveEntry{it.key(), it->modifiedNsecs}, *it);
}

std::optional<ArchiveEntry> ArchiveModel::file(const QString &fileName) const
{
    const auto known = files.constFind(fileName);
    if (known == files.cend())
        return std::nullopt;
    return ArchiveEntry{fileName, known->modifiedNsecs};
}

std::optional<ArchiveEntry> ArchiveModel::newest() const
{
    return newestFile;
}

QString ArchiveModel::newestTechnology() const
{
    const std::optional<ArchiveEntry> &start = newestChoosable ? newestChoosable : newestFile;
    return start ? files.value(start->fileName).technology : QString();
}

QVector<ArchiveEntry> ArchiveModel::firstViewFiles() const
{
    const QString technology = newestTechnology();
    const QString month = months(technology).value(0);
    const QString group = technology.isEmpty() ? QString() : folded(technology);
    const int monthKey = monthKeyOf(month);
    const int dayKey = dayKeyOf(days(technology, month).value(0));
    QSet<QString> technologiesTaken;
    QSet<int> monthsTaken;
    QSet<int> daysTaken;
    QVector<ArchiveEntry> out;
    bool newestTaken = false;
    bool choosableTaken = false;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const Facts &f = *it;
        bool take = !technologiesTaken.contains(f.technology);
        technologiesTaken.insert(f.technology);
        if (!group.isEmpty() && f.group == group) {
            take = take || !monthsTaken.contains(f.monthKey);
            monthsTaken.insert(f.monthKey);
            if (monthKey != none && f.prefixMonth == monthKey) {
                take = take || !daysTaken.contains(f.day) || (dayKey != none && f.prefixDay == dayKey);
                daysTaken.insert(f.day);
            }
        }
        if (!take)
            continue;
        out.append(ArchiveEntry{it.key(), f.modifiedNsecs});
        newestTaken = newestTaken || (newestFile && newestFile->fileName == it.key());
        choosableTaken = choosableTaken || (newestChoosable && newestChoosable->fileName == it.key());
    }
    if (newestFile && !newestTaken)
        out.append(*newestFile);
    if (newestChoosable && !choosableTaken && newestChoosable != newestFile)
        out.append(*newestChoosable);
    return out;
}

QStringList ArchiveModel::technologies() const
{
    return technologyCounts.keys();
}

const ArchiveModel::Group *ArchiveModel::groupOf(const QString &technology) const
{
    if (technology.isEmpty())
        return nullptr;
    const auto it = groups.constFind(folded(technology));
    return it == groups.cend() ? nullptr : &it.value();
}

QStringList ArchiveModel::months(const QString &technology) const
{
    const Group *group = groupOf(technology);
    if (!group)
        return {};
    return newestFirst(group->monthCounts.keys(), [](int key) {
        return yearMonthText(Moment{QDate(key / 100, key % 100, 1), QTime(0, 0)});
    });
}

QStringList ArchiveModel::days(const QString &technology, const QString &yearMonth) const
{
    const Group *group = groupOf(technology);
    const int month = monthKeyOf(yearMonth);
    if (!group || month == none)
        return {};
    return newestFirst(group->dayCounts.value(month).keys(), [](int key) {
        return dayText(Moment{QDate(2000, 1, key), QTime(0, 0)});
    });
}

QVector<TimeEntry> ArchiveModel::times(const QString &technology, const QString &yearMonth,
                                       const QString &day) const
{
    const Group *group = groupOf(technology);
    const int month = monthKeyOf(yearMonth);
    const int dayKey = dayKeyOf(day);
    QVector<TimeEntry> out;
    if (!group || month == none || dayKey == none)
        return out;
    const auto it = group->times.constFind(month * 100 + dayKey);
    if (it == group->times.cend())
        return out;
    out.reserve(int(it->size()));
    for (const TimeKey &key : *it) {
        const int seconds = files.value(key.fileName).seconds;
        out.append(TimeEntry{seconds < 0 ? QString() : timeOfDay(seconds),
                             ArchiveEntry{key.fileName, key.modifiedNsecs}});
    }
    return out;
}

} // namespace archive
