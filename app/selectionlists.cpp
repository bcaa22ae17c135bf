// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/selectionlists.h"

#include "app/cascade.h"

#include <QComboBox>

namespace app {

namespace {

QStringList entriesOf(const QComboBox *list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->itemText(i));
    return entries;
}

// The selection's entries as the list shows them: the entry that chooses nothing as the placeholder.
QStringList shownEntries(const archive::SelectionList &selectionList)
{
    QStringList entries = selectionList.entries;
    if (!entries.isEmpty())
        entries.first() = cascade::placeholderText();
    return entries;
}

} // namespace

SelectionLists::SelectionLists(archive::CascadeSelection *selection,
                               const std::array<QComboBox *, archive::listLevels> &lists)
    : selection(selection), lists(lists)
{}

void SelectionLists::show()
{
    const bool outer = !showing;
    showing = true;
    for (int level = 0; level < archive::listLevels; ++level) {
        const archive::SelectionList &wanted = selection->list(archive::ListLevel(level));
        QComboBox *list = lists[size_t(level)];
        const QStringList entries = shownEntries(wanted);
        if (entriesOf(list) != entries) {
            list->clear();
            list->addItems(entries);
        }
        list->setCurrentIndex(wanted.current);
    }
    if (outer)
        showing = false;
}

void SelectionLists::chosen(archive::ListLevel level)
{
    if (showing)
        return;
    selection->choose(level, lists[size_t(level)]->currentIndex());
}

} // namespace app
