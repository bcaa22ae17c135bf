// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Files as only a POSIX system has them, for the suites that run there: named pipes, symbolic links,
// names that are not valid in the file-name encoding, the times of an entry itself rather than of what
// it names.
namespace support {

// Sets the modification time of the entry itself: a symbolic link is not followed.
bool setModified(const QString &path, qint64 modifiedSecs);
bool makeFifo(const QString &path, qint64 modifiedSecs);
bool makeSymlink(const QString &target, const QString &path);
// A file named by raw bytes, which need not be valid UTF-8, with the given content and time.
bool writeRawNamedFile(const QByteArray &encodedPath, const QByteArray &content, qint64 seconds,
                       long nanoseconds = 0);

} // namespace support
