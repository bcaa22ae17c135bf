// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/cascadeselection.h"

#include <array>

class QComboBox;

namespace app {

// The four selection lists of the window as views of the selection: they show its entries and
// current indexes, and what the operator chooses in them goes to the selection. While the lists are
// brought in step with the selection their change notifications are the view's own, not choices.
class SelectionLists
{
public:
    SelectionLists(archive::CascadeSelection *selection,
                   const std::array<QComboBox *, archive::listLevels> &lists);

    // Brings every list in step with the selection.
    void show();
    // A list's change notification: the operator's choice, passed on to the selection; nothing while
    // the view itself changes the lists.
    void chosen(archive::ListLevel level);

private:
    archive::CascadeSelection *selection;
    std::array<QComboBox *, archive::listLevels> lists;
    bool showing = false;
};

} // namespace app
