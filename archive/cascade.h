// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QComboBox;

namespace cascade {

// Removes every entry, then adds the placeholder, which becomes current.
void resetList(QComboBox *list);
// The placeholder and the empty text (a list with no current entry) both mean "nothing chosen".
bool isNothingChosen(const QString &text);

} // namespace cascade
