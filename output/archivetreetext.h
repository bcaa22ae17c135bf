// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivetree.h"

#include <QString>

class QTextStream;

// The archive's tree as `ls` writes it: indented lines for a person, or JSON written piece by piece,
// so that a listing of a million times is never held in memory as a document.
namespace output {

void writeTreeText(QTextStream &out, const archive::ArchiveTree &tree);
void writeTreeJson(QTextStream &out, const QString &directory, const archive::ArchiveTree &tree);

} // namespace output
