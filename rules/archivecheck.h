// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivereader.h"

#include <QSet>
#include <QString>
#include <QVector>

// The archive check: every file the viewer would show wrongly or not at all.
namespace rules {

// One thing the viewer would show wrongly or not at all.
struct Finding
{
    QString fileName; // the file concerned, no directory
    QString reason;
};

struct CheckReport
{
    int filesChecked = 0;
    QVector<Finding> findings; // ordered by file name, then as found
    // Files whose names the file-name encoding cannot decode, named by their escaped bytes.
    QSet<QString> undecodableNames;
};

// Checks every archive file of the directory (each read at most once).
CheckReport checkArchive(const QString &directory, const archive::ArchiveReading &reading = {});

} // namespace rules
