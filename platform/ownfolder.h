// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/filesystem.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// A folder of the program's own (the index cache), reached and made one step at a time from a base
// folder, each step relative to the folder held before and never through a link, and held open while
// it is used. A library that opens its files by name (SQLite) is given system calls that serve every
// name in a held folder relative to its handle, so that a link or folder switched at the folder's
// path meanwhile cannot lead the library's files elsewhere (into an archive).
namespace platform {

class OwnFolder
{
public:
    // Opens `base`, then each of `names` below it, making those that are missing (for the user alone).
    // `mayUse` is asked of every folder on the way, by its handle, before anything is made in it or
    // it is used (the folders above it included); where it says no, nothing more is done.
    OwnFolder(const QString &base, const QStringList &names,
              const std::function<bool(const FolderAncestry &)> &mayUse);
    ~OwnFolder();
    OwnFolder(const OwnFolder &) = delete;
    OwnFolder &operator=(const OwnFolder &) = delete;

    bool isOpen() const;
    // The folder's absolute path without links: the spelling under which the library's files are
    // served from the handle.
    QString path() const;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

// A system call of a library that opens files by name, under the name the library knows it by
// ("open", "unlink"), with its POSIX signature. Empty where the system has none to give (Windows).
struct LibraryCall
{
    const char *name;
    void (*call)();
};
std::vector<LibraryCall> libraryCalls();

// Removes a file of the program's own, relative to its held folder where the folder is held; a link
// is removed itself, never followed. False if it could not be removed (a missing file too).
bool removeOwnFile(const QString &path);

} // namespace platform
