// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include "platform/filesystem.h"

#include <functional>
#include <memory>
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

// A new file of our own in a held folder: an open handle and its name there, or the system's reason.
// From the moment it exists it is on the list of files a signal ending the process removes, until
// TargetFolder::keepOnInterruption().
struct NewFile
{
    int handle = -1;
    QString name;
    QString failure;
};

// The folder an output is written into, opened once and held: every check of what it is (its
// identity, the folders above it, the files in it) and every step of the write (the new file, its
// rename over the target, the folder's sync) is made on this one handle, relative to it, so that a
// link or a folder switched at its path between the check and the write cannot move the write
// elsewhere. No name is looked up through the path again once it is open, and no file is created or
// renamed through a link.
class TargetFolder
{
public:
    explicit TargetFolder(const QString &path);
    ~TargetFolder();
    TargetFolder(const TargetFolder &) = delete;
    TargetFolder &operator=(const TargetFolder &) = delete;

    bool isOpen() const;
    // Why it could not be opened, when it is not open: missing, with the system's words in `failure`
    // when it is not simply "no such file" ("Not a directory", "Permission denied").
    PathStatus openFailure() const;
    // The held folder's identity and those of the folders above it, each reached from the one below
    // by its handle, the held folder first.
    FolderAncestry ancestry() const;
    // The entry `name` itself (a link is reported as a link).
    PathStatus entryStatus(const QString &name) const;
    // The name of the first regular file in the folder for which `matches` is true, or the empty text.
    QString firstRegularFile(const std::function<bool(const QString &)> &matches) const;
    // Why the process may not write the existing entry `name`, in the system's words, or the empty text.
    QString writeAccessFailure(const QString &name) const;
    // A new file of our own, made so that no other file (nor a link) can be met in its place.
    NewFile createUniqueFile(const QString &prefix) const;
    // Replaces the entry `target` (a link itself, never the file it names) by `source`, in one step.
    int replace(const QString &source, const QString &target) const;
    // Makes a replacement last through a crash, where the system allows it.
    void sync() const;
    // Removes a file of our own; errors do not matter then.
    void remove(const QString &name) const;
    // Takes the file `name` off the list of files an ending signal removes: before it is renamed into
    // place or removed.
    void keepOnInterruption(const QString &name) const;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

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
// Makes a write beyond the process's file-size limit (ulimit -f) fail with "File too large", which the
// writer then reports, instead of ending the process without a word. Once, early in main.
void failWritesBeyondSizeLimit();
// The files TargetFolder::createUniqueFile made are removed by any signal that ends the process
// (Ctrl+C, SIGTERM, a closed terminal, SIGQUIT, SIGUSR1, a reader gone from a pipe, a crash: every
// one that can be caught), so that no half-written file outlives it; only SIGKILL leaves one behind,
// as no process can act on that.
// The system's text for an error number ("No space left on device").
QString errorText(int error);
// Whether the error number says the reader of a pipe went away.
bool isBrokenPipe(int error);

} // namespace platform::writing
