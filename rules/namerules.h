// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivename.h"

#include <QString>

// The rules a file name must follow for the viewer to list and open it as named.
namespace rules {

// The name is archiveFileName(technology, moment) exactly.
bool followsGrammar(const QString &fileName, const QString &technology, const archive::Moment &moment);
bool followsGrammar(const QString &fileName);

// What is wrong with a file's name, or the empty text when it follows the grammar exactly.
QString nameProblem(const QString &fileName);

// Why a file whose name the file-name encoding cannot decode is missing from the viewer's lists.
QString undecodableNameProblem();

// A reason with the control characters of the names and texts it quotes escaped as a name's are, so
// that a finding stays one line and cannot steer the terminal.
QString oneLine(const QString &reason);

} // namespace rules
