// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/archivecheck.h"

#include <QPair>
#include <QString>
#include <QVector>

class QTextStream;

// check's lines: a finding each, then a summary.
namespace output {

// One line per finding, whatever the name holds, then the summary line.
void writeCheckReport(QTextStream &out, const rules::CheckReport &report);
// The one line of a folder without a single archive file; `nothing` says so (noArchiveFilesText).
QString noFilesCheckedText(const QString &nothing);
// --list-times: each file whose modification time disagrees with its name (name and time in
// milliseconds since the epoch, in the order given), then the summary over `datedFiles` files.
void writeFileTimes(QTextStream &out, const QVector<QPair<QString, qint64>> &disagreeing, int datedFiles);

} // namespace output
