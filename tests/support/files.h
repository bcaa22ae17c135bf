// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// Real files with chosen modification times, so that no listing order or file-time finding depends
// on the clock or on how fast the files were written.
namespace support {

// 2020-01-01 12:00 UTC: the time of a file whose time does not matter to the test.
QDateTime fixedTime();

// Writes a file whole and gives it the modification time `modified` (the content is flushed first,
// so that no later write stamps it with the present time). False on any failure.
bool writeStampedFile(const QString &path, const QByteArray &content, const QDateTime &modified);
// The same with the time in seconds since 1970-01-01 UTC.
bool writeStampedFile(const QString &path, const QByteArray &content, qint64 modifiedSecs);

// Writes `fileName` into `directory` as above and gives its path; a file that cannot be written ends
// the test run.
QString writeFile(const QString &directory, const QString &fileName, const QByteArray &content,
                  const QDateTime &modified = fixedTime());

// The folder `name` in `root`, emptied or made: where one case works without meeting another's files.
QString freshFolder(const QTemporaryDir &root, const QString &name);

// A file of `size` bytes that starts with `head` and holds no line break; sparse, so it costs no disk.
bool writeSparseFile(const QString &path, const QByteArray &head, qint64 size, qint64 modifiedSecs);

// Whether a file without read permission can still be read: true for the superuser, and on Windows,
// where Qt has no permission bits to take the right away. Cases about unreadable files skip then.
bool readsUnreadableFiles();

// Everything about a folder tree that a run must leave alone: per entry (its path below `root`, the
// root itself as the empty text) its type, size, permissions, modification time, link target and a
// hash of its content; on POSIX systems the time to the nanosecond and every mode bit.
QMap<QString, QString> snapshot(const QString &root);

} // namespace support
