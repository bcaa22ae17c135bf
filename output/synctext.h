// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// sync's summary of a run. The counts come as plain numbers: the database room, which counts them,
// lies above this one.
namespace output {

struct SyncTally
{
    qint64 added = 0;
    qint64 changed = 0;
    qint64 removed = 0;
    qint64 failed = 0;
    qint64 unchanged = 0;
    qint64 waiting = 0;
};

// "DIR: added 1, changed 0, removed 0, failed 0, unchanged 5", with ", waiting 2" only where some
// file was still being written; `directory` as a message shows a path.
QString syncSummaryLine(const QString &directory, const SyncTally &tally);

} // namespace output
