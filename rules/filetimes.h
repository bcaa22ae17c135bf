// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archivecheck.h"

#include "archive/archivename.h"

#include <QHash>
#include <QString>

#include <optional>

namespace rules {

// One finding for the whole archive when modification times disagree with the moments in the names
// by more than a day (the name's moment taken as local time): the viewer's newest measurement and
// its time lists follow the file times. Names the count and the first such file by name.
class FileTimeSummary
{
public:
    // Whether the file's modification time disagrees with its name.
    bool add(const QString &fileName, qint64 modifiedMsecs);
    // The same for a name whose moment is known; `nameEscaped` as in Finding.
    bool add(const QString &fileName, const archive::Moment &moment, qint64 modifiedMsecs,
             bool nameEscaped = false);
    std::optional<Finding> finding() const;
    int datedFiles() const { return dated; }

private:
    QHash<qint64, std::optional<int>> offsetOfDay; // seconds east of UTC, for days without a change
    int dated = 0;
    int disagreeing = 0;
    QString example;
    bool exampleEscaped = false;
    qint64 exampleModified = 0;
};

} // namespace rules
