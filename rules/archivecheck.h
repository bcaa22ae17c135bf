// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivereader.h"

#include <QString>
#include <QVector>

// The archive check: every file the viewer would show wrongly or not at all.
namespace rules {

// One thing the viewer would show wrongly or not at all.
struct Finding
{
    QString fileName; // the file concerned, no directory
    QString reason;
    // `fileName` is the escaped form of a name the file-name encoding cannot decode (its bytes
    // escaped, as displayName() shows them), which a file literally named so shares: shown as it is.
    bool nameEscaped = false;

    // The file's name as a line shows it: escaped once, never twice.
    QString shownName() const;
};

struct CheckReport
{
    int filesChecked = 0;
    QVector<Finding> findings; // ordered by file name, then as found
};

// Checks every archive file of the directory (each read at most once).
CheckReport checkArchive(const QString &directory, const archive::ArchiveReading &reading = {});

} // namespace rules
