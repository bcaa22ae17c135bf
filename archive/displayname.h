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

// Whether the name needs any escaping at all.
bool needsEscaping(const QByteArray &encodedName);

} // namespace archive
