// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivemodel.h"

#include <QObject>
#include <QStringList>
#include <QVector>

#include <array>
#include <optional>

namespace archive {

enum class ListLevel
{
    technology,
    month,
    day,
    time,
};
constexpr int listLevels = 4;

// One selection list: the empty entry that chooses nothing at index 0 (a view shows its own
// placeholder there), the model's entries behind it, and the current index; -1 is a list with no
// current entry.
struct SelectionList
{
    QStringList entries;
    int current = 0;

    QString currentText() const
    {
        return current >= 0 && current < entries.size() ? entries.at(current) : QString();
    }
    bool operator==(const SelectionList &o) const { return entries == o.entries && current == o.current; }
};

// The four cascading selection lists over an archive model, and the file they choose. It owns the
// selection state; the window's lists are views of it. The rules:
// - a reset leaves a list with only the placeholder, current;
// - choosing an entry of a list resets the lists below it and, unless the entry is the placeholder or
//   empty, fills the next list from the model, its placeholder current; choosing a time chooses that
//   entry's file;
// - an index past the last entry leaves the list with no current entry, which chooses nothing;
// - a refresh resets the lists and, when the folder holds archive files, chooses the technology of
//   the newest file, then entry 1 of each list below: its newest month, latest day and newest file;
// - when the model changes (follow mode), a selection that was at what a refresh would choose moves
//   to what a refresh chooses now; any other selection stays, its lists holding the new entries.
// Every change is told in one step, lists and file together.
class CascadeSelection : public QObject
{
    Q_OBJECT
public:
    explicit CascadeSelection(QObject *parent = nullptr);
    ~CascadeSelection() override;

    const ArchiveModel &model() const { return archive; }
    const SelectionList &list(ListLevel level) const { return lists[size_t(level)]; }
    // The file the time list chooses; std::nullopt while nothing is chosen.
    std::optional<ArchiveEntry> chosenFile() const { return chosen; }
    // Whether the selection is at what a refresh would choose now.
    bool isAtNewest() const;

    // Lists `folder` anew into the model and chooses as a refresh does. False when the folder could
    // not be listed (the lists are then reset).
    bool refresh(const QString &folder);
    // Starts on `files` of `folder`, the files of a refresh's first view as an earlier listing left
    // them (ArchiveModel::firstViewFiles), and chooses as a refresh does while the folder is listed
    // anew: that listing, taken over by confirm(), confirms or corrects the choice. False, with
    // nothing changed, when those files choose nothing or the file they choose is no longer there as
    // they knew it: the folder is then to be refreshed.
    bool startOn(const QString &folder, const QVector<ArchiveEntry> &files);
    // Whether the model holds an earlier listing's files that the folder's listing is still to
    // confirm.
    bool isAwaitingListing() const { return awaiting; }
    // The folder's listing since startOn(), made in a model of its own: taken over, the news told
    // meanwhile (put, remove) applied again, and followed as news are. Ignored, and false, when a
    // refresh or another listing has come since.
    bool confirm(ArchiveModel &listed);
    // Lists the model's folder anew (after a gap in what was told of it) and follows the change.
    bool relist();
    // Follow mode: files put in the folder or written again, or removed.
    void put(const QVector<ArchiveEntry> &files);
    void remove(const QStringList &fileNames);
    // Everything reset to the placeholder, the model emptied: a folder that cannot be listed.
    void clear(const QString &folder);

    // The operator (or a view) makes entry `index` of a list current.
    void choose(ListLevel level, int index);
    // Chooses the file named `fileName` down the lists, top to bottom, as a person would; a list
    // already on the right entry is left alone. False, leaving the lists at the first level that
    // lacks the entry, when the name does not lead through the lists.
    bool chooseFile(const QString &fileName);

signals:
    // Lists and chosen file changed together; `fileChanged` when the chosen file (or its content's
    // modification time) is another one now.
    void changed(bool fileChanged);
    // The lists were read anew from `folder` (a refresh, or a folder that cannot be listed).
    void refreshed(const QString &folder);

private:
    void reset(ListLevel level);
    void setCurrent(ListLevel level, int index);
    void fill(ListLevel level);
    void chooseNewest();
    void follow(const std::optional<ArchiveEntry> &newestBefore);
    std::optional<ArchiveEntry> refreshChoice() const;
    void stopAwaiting();
    void tell(const std::optional<ArchiveEntry> &before, bool showAgain = false);

    ArchiveModel archive;
    std::array<SelectionList, listLevels> lists;
    QVector<TimeEntry> timeFiles; // behind the time list's entries
    std::optional<ArchiveEntry> chosen;
    // What a refresh would choose, as of the last change told.
    std::optional<ArchiveEntry> newestChoice;
    // Started on an earlier listing, the folder's own still to come; meanwhile the news told, in
    // order (a removal has no modification time), to be applied again to that listing.
    bool awaiting = false;
    struct News
    {
        bool removal;
        ArchiveEntry file;
    };
    QVector<News> newsWhileAwaiting;
};

} // namespace archive
