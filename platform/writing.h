// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The system calls behind writing an output file whole or not at all, and behind telling whether a
// path is, or leads to, a file a command reads. writing_posix.cpp talks to POSIX, writing_win.cpp to
// Windows.
namespace platform::writing {

// What a path names, as the system sees it.
struct PathStatus
{
    enum class Kind
    {
        missing,
        regular,
        folder,
        symbolicLink, // only when the link itself was asked for
        other,        // a device, a FIFO, a socket
    };
    Kind kind = Kind::missing;
    quint64 device = 0;
    quint64 file = 0;
    quint64 links = 0;    // hard links to the file
    uint permissions = 0; // the permission bits (07777: set-user-ID, set-group-ID and sticky too)
    uint owner = 0;       // the owning user and group, where the system has them
    uint group = 0;
    QString failure; // why the status could not be had, when kind is missing; empty for "no such file"
};
// The path itself (a link is reported as a link) or, with `followLinks`, what it leads to.
PathStatus pathStatus(const QString &path, bool followLinks);

// The absolute path with every link resolved, or the empty text when the path does not lead anywhere.
QString resolvedPath(const QString &path);

// The name of an entry in `folder` that is the file (device, file) itself, or the empty text.
QString entryOfFile(const QString &folder, quint64 device, quint64 file);

// A new file of our own in `folder`, made so that no other file can be met in its place: an open
// handle and its path, or the system's reason. From the moment it exists it is on the list of files
// a signal ending the process removes, until keepOnInterruption().
struct NewFile
{
    int handle = -1;
    QString path;
    QString failure;
};
NewFile createUniqueFile(const QString &folder, const QString &prefix);

// Writes all of `data`, resuming after interruptions. Returns the error number of the failure or 0.
int writeAll(int handle, const char *data, qint64 size);
// Sets the permission bits of an open file. Returns the error number or 0.
int setPermissions(int handle, uint permissions);
// Gives an open file the owner and group of the file it replaces, where the process may (as root);
// elsewhere the file stays the writer's, which is no failure. Says which of the two the file has now.
struct OwnerKept
{
    bool owner = false;
    bool group = false;
};
OwnerKept keepOwner(int handle, uint owner, uint group);
// The bits that make a program run as its file's owner or group (set-user-ID 04000 and
// set-group-ID 02000): only worth keeping on a file that kept that owner or group.
constexpr uint setUserIdBit = 04000u;
constexpr uint setGroupIdBit = 02000u;
// The permission bits a newly made file gets by default (0666 less the process's mask).
uint defaultFilePermissions();
// Sets the modification (and access) time of an open file. Returns the error number or 0.
int setModificationTime(int handle, const QDateTime &moment);
// Flushes the file's data to the disk. Returns the error number or 0; a file system that cannot
// sync is no failure.
int syncToDisk(int handle);
// Closes the handle. Returns the error number or 0 (a delayed write error is reported here on some
// file systems).
int closeHandle(int handle);
// Replaces `target` (a link itself, never the file it names) by `source` in one step.
int replaceFile(const QString &source, const QString &target);
// Makes a replacement in `folder` last through a crash, where the system allows it.
void syncFolder(const QString &folder);
// Why the process may not write the existing file `path`, in the system's words ("Read-only file
// system", "Permission denied"), or the empty text when it may.
QString writeAccessFailure(const QString &path);
// Makes a write beyond the process's file-size limit (ulimit -f) fail with "File too large", which the
// writer then reports, instead of ending the process without a word. Once, early in main.
void failWritesBeyondSizeLimit();
// Removes a file of our own; errors do not matter then.
void removeFile(const QString &path);
// The files createUniqueFile made are removed by any signal that ends the process (Ctrl+C, SIGTERM,
// a closed terminal, SIGQUIT, SIGUSR1, a reader gone from a pipe, a crash: every one that can be
// caught), so that no half-written file outlives it; only SIGKILL leaves one behind, as no process
// can act on that. This takes `path` off that list: before it is renamed into place or removed.
void keepOnInterruption(const QString &path);
// The system's text for an error number ("No space left on device").
QString errorText(int error);
// Whether the error number says the reader of a pipe went away.
bool isBrokenPipe(int error);

} // namespace platform::writing
