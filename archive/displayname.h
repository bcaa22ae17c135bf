// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace archive {

// A file name as plain-text output shows it, one name on one line that cannot steer a terminal,
// the way `ls -b` quotes names: control characters (C0, DEL and C1) and the Unicode line and
// paragraph separators (U+2028, U+2029) become C escapes ("\n", "\t", "\x1b", "\xc2\x85",
// "\xe2\x80\xa8"), bytes that are not valid in the file-name encoding become "\xff", and a
// backslash is doubled so that the escapes cannot be mistaken for the name. Any other name is
// shown as it is.
// `encodedName` is the name's bytes as the system stores them.
QString displayName(const QByteArray &encodedName);
// The same for a name already decoded (one that the file-name encoding can represent).
QString displayName(const QString &name);

// A path as a message or a report shows it to a person: with the system's own separators
// ("C:\plant\archive" on Windows, whichever way it was typed or Qt wrote it), as it is elsewhere.
// JSON and CSV write paths with "/" on every system instead (jsonPath).
QString displayPath(const QString &path);
// A file of a folder so shown: the folder's path, a separator and the file's displayName.
QString displayPath(const QString &folder, const QString &fileName);
// A path as JSON and CSV write it on every system: with "/" between its parts.
QString jsonPath(const QString &path);

// Whether a character is one that a name or a quoted text must not show as it is: a control
// character (C0, DEL, C1 with its NEL) or Unicode's own line and paragraph separator, which a
// terminal or a program reading lines may take for a line break.
bool isControl(uint c);

// Whether the name needs any escaping at all.
bool needsEscaping(const QByteArray &encodedName);

} // namespace archive
