// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivefolder.h"

#include <QString>

class QLineEdit;

namespace app {

// The archive room decides what is wrong with a folder; the window says it in its own words.
using archive::emptinessOf;
using archive::FolderProblem;
using archive::folderProblem;

// The sentence that tells the operator what is wrong with `folder`; empty for FolderProblem::none.
QString folderProblemText(FolderProblem problem, const QString &folder);
// The same in a few words, for the status field of the values panel.
QString folderProblemShortText(FolderProblem problem);

// Says in the window, without a dialog that would stop a person or a script, that the archive folder
// cannot be listed: the path field is tinted and its tooltip gives the reason. Lists emptied by a
// missing folder would otherwise look exactly like an archive without measurements.
class FolderMark
{
public:
    explicit FolderMark(QLineEdit *field);

    // Marks the field for a folder that cannot be listed and clears an earlier mark otherwise.
    // Returns what is wrong with the folder.
    FolderProblem check(const QString &folder);
    // Marks the field with the reason of `problem` in `folder`; FolderProblem::none clears the mark.
    void mark(FolderProblem problem, const QString &folder);
    // Marks the field with a reason of the caller's; the empty text clears the mark.
    void mark(const QString &reason);

private:
    QLineEdit *field;
};

} // namespace app
