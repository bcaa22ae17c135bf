// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <initializer_list>

class QComboBox;

namespace cascade {

// The entry at index 0 of every selection list, which chooses nothing: the lists' placeholder.
QString placeholderText();

// Removes every entry, then adds the placeholder, which becomes current.
void resetList(QComboBox *list);
// Resets the lists in the order given; callers pass them top to bottom, so each reset's
// notification finds the lists below it still to be reset.
void resetLists(std::initializer_list<QComboBox *> lists);
// The placeholder and the empty text (a list with no current entry) both mean "nothing chosen".
bool isNothingChosen(const QString &text);

// Appends scan results behind the placeholder; the current entry stays where it is.
void appendEntries(QComboBox *list, const QStringList &entries);
// Makes current the first entry whose text equals text exactly (letter case included). Returns
// false, and leaves the list alone, when there is none.
bool selectExactText(QComboBox *list, const QString &text);

// Makes the open drop-down of a list read like the closed list: its entries in the list's own text
// colour on the list's own background, the entry under the pointer or keyboard on a darker shade.
// Without it the drop-down takes the list's white text onto the platform's light background.
void styleOpenList(QComboBox *list);

// The directory the loader opens files in. An empty path field lists the working directory, so
// the file must be looked for there too, not below the file system root.
QString loadDirectory(const QString &pathFieldText);

// Shows the busy cursor while it lives, so a long scan of a big archive visibly keeps the window
// busy. Guards nest: the cursor returns when the outermost one ends.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace cascade
