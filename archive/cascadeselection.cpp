// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/cascadeselection.h"

#include "archive/archivefolder.h"
#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "platform/filesystem.h"

#include <utility>

namespace archive {

namespace {

// The entry at index 0 and a list with no current entry both choose nothing.
bool isNothing(const QString &text)
{
    return text.isEmpty();
}

ListLevel below(ListLevel level)
{
    return ListLevel(int(level) + 1);
}

// What a refresh chooses in `archive`.
std::optional<ArchiveEntry> choiceOf(const ArchiveModel &archive)
{
    const QString technology = archive.newestTechnology();
    if (archive.fileCount() == 0 || technology.isEmpty())
        return std::nullopt;
    const QString month = archive.months(technology).value(0);
    if (month.isEmpty())
        return std::nullopt;
    const QString day = archive.days(technology, month).value(0);
    if (day.isEmpty())
        return std::nullopt;
    const QVector<TimeEntry> times = archive.times(technology, month, day);
    if (times.isEmpty() || times.constFirst().time.isEmpty())
        return std::nullopt;
    return times.constFirst().file;
}

} // namespace

CascadeSelection::CascadeSelection(QObject *parent) : QObject(parent)
{
    for (int level = 0; level < listLevels; ++level)
        reset(ListLevel(level));
}

CascadeSelection::~CascadeSelection() = default;

bool CascadeSelection::isAtNewest() const
{
    return chosen == newestChoice;
}

void CascadeSelection::reset(ListLevel level)
{
    lists[size_t(level)] = SelectionList{QStringList{QString()}, 0};
    if (level == ListLevel::time) {
        timeFiles.clear();
        chosen.reset();
    }
}

void CascadeSelection::setCurrent(ListLevel level, int index)
{
    SelectionList &list = lists[size_t(level)];
    list.current = index >= 0 && index < list.entries.size() ? index : -1;
    if (level == ListLevel::time) {
        // The placeholder or an empty entry chooses nothing new: what was chosen stays on show.
        const int row = list.current - 1;
        if (row >= 0 && row < timeFiles.size() && !timeFiles.at(row).time.isEmpty())
            chosen = timeFiles.at(row).file;
        return;
    }
    for (int lower = int(level) + 1; lower < listLevels; ++lower)
        reset(ListLevel(lower));
    if (!isNothing(list.currentText()))
        fill(below(level));
}

// The entries of `level` from the model, for the texts chosen above it.
void CascadeSelection::fill(ListLevel level)
{
    const QString technology = list(ListLevel::technology).currentText();
    const QString month = list(ListLevel::month).currentText();
    const QString day = list(ListLevel::day).currentText();
    QStringList entries{QString()};
    switch (level) {
    case ListLevel::technology:
        entries += archive.technologies();
        break;
    case ListLevel::month:
        entries += archive.months(technology);
        break;
    case ListLevel::day:
        entries += archive.days(technology, month);
        break;
    case ListLevel::time:
        timeFiles = archive.times(technology, month, day);
        for (const TimeEntry &entry : qAsConst(timeFiles))
            entries.append(entry.time);
        break;
    }
    lists[size_t(level)].entries = entries;
}

std::optional<ArchiveEntry> CascadeSelection::refreshChoice() const
{
    return choiceOf(archive);
}

void CascadeSelection::chooseNewest()
{
    for (int level = 0; level < listLevels; ++level)
        reset(ListLevel(level));
    if (archive.fileCount() == 0)
        return;
    fill(ListLevel::technology);
    const int technology = lists[0].entries.indexOf(archive.newestTechnology(), 1);
    if (technology < 0)
        return;
    setCurrent(ListLevel::technology, technology);
    setCurrent(ListLevel::month, 1);
    setCurrent(ListLevel::day, 1);
    setCurrent(ListLevel::time, 1);
}

void CascadeSelection::tell(const std::optional<ArchiveEntry> &before, bool showAgain)
{
    newestChoice = refreshChoice();
    emit changed(showAgain || chosen != before);
}

bool CascadeSelection::refresh(const QString &folder)
{
    stopAwaiting();
    const std::optional<ArchiveEntry> before = chosen;
    const bool listed = archive.fill(folder);
    chooseNewest();
    tell(before, true); // a refresh shows its measurement as the file holds it now
    emit refreshed(folder);
    return listed;
}

void CascadeSelection::clear(const QString &folder)
{
    stopAwaiting();
    const std::optional<ArchiveEntry> before = chosen;
    archive.fill(folder, {}, false);
    chooseNewest();
    tell(before, true);
    emit refreshed(folder);
}

bool CascadeSelection::relist()
{
    stopAwaiting();
    const std::optional<ArchiveEntry> newestBefore = newestChoice;
    const bool listed = archive.fill(archive.folder());
    follow(newestBefore);
    return listed;
}

void CascadeSelection::put(const QVector<ArchiveEntry> &files)
{
    const std::optional<ArchiveEntry> newestBefore = newestChoice;
    bool any = false;
    for (const ArchiveEntry &file : files) {
        if (awaiting)
            newsWhileAwaiting.append(News{false, file});
        any = archive.put(file) || any;
    }
    if (any)
        follow(newestBefore);
}

void CascadeSelection::remove(const QStringList &fileNames)
{
    const std::optional<ArchiveEntry> newestBefore = newestChoice;
    bool any = false;
    for (const QString &name : fileNames) {
        if (awaiting)
            newsWhileAwaiting.append(News{true, ArchiveEntry{name, 0}});
        any = archive.remove(name) || any;
    }
    if (any)
        follow(newestBefore);
}

void CascadeSelection::stopAwaiting()
{
    awaiting = false;
    newsWhileAwaiting.clear();
}

bool CascadeSelection::startOn(const QString &folder, const QVector<ArchiveEntry> &files)
{
    ArchiveModel earlier;
    earlier.fill(folder, files);
    const std::optional<ArchiveEntry> choice = choiceOf(earlier);
    // The file to be shown first must be there as the earlier listing knew it; anything else it knew
    // may have changed since, which the folder's listing corrects.
    if (!choice)
        return false;
    const std::optional<platform::FileStamp> stamp = platform::regularFileStamp(
        platform::encodeFileName(folderPath(folder)) + '/' + choice->encodedName());
    if (!stamp || modifiedNsecsOf(*stamp) != choice->modifiedNsecs)
        return false;
    stopAwaiting();
    const std::optional<ArchiveEntry> before = chosen;
    archive.takeOver(earlier);
    chooseNewest();
    awaiting = true;
    tell(before, true);
    emit refreshed(folder);
    return true;
}

bool CascadeSelection::confirm(ArchiveModel &listed)
{
    if (!awaiting)
        return false;
    const std::optional<ArchiveEntry> newestBefore = newestChoice;
    const QVector<News> news = std::exchange(newsWhileAwaiting, {});
    awaiting = false;
    archive.takeOver(listed);
    for (const News &told : news) {
        if (told.removal)
            archive.remove(told.file.fileName);
        else
            archive.put(told.file);
    }
    follow(newestBefore);
    return true;
}

// After a change of the model: to what a refresh chooses now when the selection was at the newest,
// else the same choices with the lists refilled, a choice whose entry is gone returned to the
// placeholder.
void CascadeSelection::follow(const std::optional<ArchiveEntry> &newestBefore)
{
    const std::optional<ArchiveEntry> before = chosen;
    if (chosen == newestBefore) {
        chooseNewest();
        tell(before);
        return;
    }
    const std::array<SelectionList, listLevels> previous = lists;
    const std::optional<QString> chosenName =
        chosen ? std::optional<QString>(chosen->fileName) : std::nullopt;
    fill(ListLevel::technology);
    for (int level = 0; level < listLevels; ++level) {
        const SelectionList &old = previous[size_t(level)];
        SelectionList &now = lists[size_t(level)];
        if (level > 0 && isNothing(lists[size_t(level) - 1].currentText())) {
            // Nothing chosen above: the list stays as it was, or is reset when the choice above went.
            if (lists[size_t(level) - 1].current == previous[size_t(level) - 1].current)
                now = old;
            else
                reset(ListLevel(level));
            continue;
        }
        if (level > 0)
            fill(ListLevel(level));
        int index = old.current <= 0 ? old.current : now.entries.indexOf(old.currentText(), 1);
        if (level == listLevels - 1 && chosenName) {
            index = 0;
            for (int row = 0; row < timeFiles.size(); ++row) {
                if (timeFiles.at(row).file.fileName == *chosenName)
                    index = row + 1;
            }
        }
        now.current = index < 0 && old.current > 0 ? 0 : index;
        if (level == listLevels - 1) {
            const int row = now.current - 1;
            chosen.reset();
            if (row >= 0 && row < timeFiles.size() && !timeFiles.at(row).time.isEmpty())
                chosen = timeFiles.at(row).file;
        }
    }
    tell(before);
}

void CascadeSelection::choose(ListLevel level, int index)
{
    const std::optional<ArchiveEntry> before = chosen;
    setCurrent(level, index);
    tell(before);
}

} // namespace archive

namespace archive {

bool CascadeSelection::chooseFile(const QString &fileName)
{
    // An earlier listing's files lead to the first view only: a file asked for by name needs the
    // folder's own listing, which is then made at once.
    if (awaiting && !archive.file(fileName))
        relist();
    const std::optional<ArchiveEntry> before = chosen;
    const Moment moment = momentOfFile(fileName);
    bool found = moment.isValid() && archive.file(fileName).has_value();
    const QString texts[] = {technologyOfFile(fileName), yearMonthText(moment), dayText(moment)};
    for (int level = 0; found && level < listLevels - 1; ++level) {
        const SelectionList &list = lists[size_t(level)];
        if (list.current > 0 && list.currentText() == texts[level])
            continue;
        const int index = list.entries.indexOf(texts[level], 1);
        found = index > 0;
        if (found)
            setCurrent(ListLevel(level), index);
    }
    int row = -1;
    for (int i = 0; found && i < timeFiles.size() && row < 0; ++i) {
        if (timeFiles.at(i).file.fileName == fileName)
            row = i;
    }
    found = found && row >= 0;
    if (found && lists[size_t(ListLevel::time)].current != row + 1)
        setCurrent(ListLevel::time, row + 1);
    tell(before);
    return found;
}

} // namespace archive
