// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The system's reasons for a failure, as our lines quote them.
namespace language {

// A text the system gave ("No space left on device") in the language of our messages: as it is when
// the system wrote it in the reader's language, translated by us when it is the C locale's English.
// Every reason from the system passes here.
QString systemText(const QString &text);
// That text written to follow a colon in our lines: no full stop, a lower-case first letter
// ("permission denied").
QString systemReason(const QString &errorString);

// What the system says when it looks the path up, or the empty text when it finds it.
QString lookupFailure(const QString &path);

// Why a file cannot be read, for an error line: "is a folder", or the system's reason ("no such file
// or directory", "permission denied").
QString unreadableReason(const QString &path);
// The same for a path in the file-name encoding's bytes, so that a name the encoding cannot decode
// is asked about under its own bytes, not under a decoded form that names nothing.
QString unreadableReason(const QByteArray &encodedPath);

} // namespace language
