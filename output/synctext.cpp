// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/synctext.h"

#include "archive/displayname.h"

#include <QCoreApplication>

namespace output {

QString syncSummaryLine(const QString &directory, const SyncTally &tally)
{
    return archive::displayPath(directory) + QStringLiteral(": ") +
           QCoreApplication::translate("output", "added %1, changed %2, removed %3, failed %4, unchanged %5")
               .arg(tally.added)
               .arg(tally.changed)
               .arg(tally.removed)
               .arg(tally.failed)
               .arg(tally.unchanged) +
           // Only where there are any: a file written to as the run read it.
           (tally.waiting > 0 ? QCoreApplication::translate("output", ", waiting %1").arg(tally.waiting)
                              : QString()) +
           QLatin1Char('\n');
}

} // namespace output
