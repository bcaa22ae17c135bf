// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/filestamp.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The file-system calls the core makes, behind one interface: filesystem_posix.cpp talks to POSIX
// (and Linux where it has more to give), filesystem_win.cpp to Windows. Everything above this room
// is portable Qt.
namespace platform {

// File names as bytes in this room's file-name encoding (the system's on POSIX, UTF-8 on Windows,
// where the system's names are UTF-16) and back.
QString decodeFileName(const QByteArray &encodedName);
QByteArray encodeFileName(const QString &name);

// A path as a C library that opens its files with the C run-time's narrow calls (fopen, open) must
// be given it: the file-name encoding on POSIX. On Windows those calls read the ANSI code page, not
// UTF-8: the path in that code page, or, where it holds a character the code page lacks, the short
// (8.3) form of an existing path, which is plain ASCII. Empty when neither names it.
QByteArray narrowRuntimePath(const QString &path);

// One entry of a folder as the system lists it, valid during the visit only.
class FolderEntry
{
public:
    enum class Kind
    {
        regular,   // a regular file, by the listing's own word
        maybeFile, // a link or an entry the listing does not type: a status call decides
        other,     // a folder, a FIFO, a socket, a device
    };

    // The name as the system stores it: bytes in the file-name encoding (UTF-8 on Windows).
    const char *name = nullptr;
    int length = 0;
    Kind kind = Kind::other;

    // The entry's stamp, following a link to the file it names; std::nullopt unless that is a
    // regular file. One status call.
    std::optional<FileStamp> regularFileStamp() const;

    // The modification time the listing itself carries, in milliseconds since the epoch, or -1 where
    // the system's listing carries none (POSIX's readdir). Windows lists it with every name, so a
    // watch that asks only for times is spared opening each file of a large folder.
    qint64 listedModifiedMsecs = -1;

    // The implementation's own hold on the folder being read.
    const void *folder = nullptr;
};

// Reads a folder's entries in the order the system gives them, "." and ".." included, leaving the
// folder's access time alone where the system allows it. False if the folder could not be read.
bool forEachFolderEntry(const QString &folder, const std::function<void(const FolderEntry &)> &visit);

// A regular file opened for reading without disturbing it: its access time is left alone where the
// system allows it, a named pipe without a writer cannot block the open, and anything but a regular
// file is refused before a byte is read.
class ReadOnlyFile
{
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    // `encodedPath` in the file-name encoding's bytes, so that a name the encoding cannot decode is
    // still opened under its own bytes.
    bool open(const QByteArray &encodedPath);
    bool open(const QString &path);
    // The stamp of the opened file, as it was when it was opened.
    const FileStamp &stamp() const { return openedStamp; }
    // Up to `bytes` bytes; 0 at the end, -1 on a read error.
    qint64 read(char *buffer, qint64 bytes);
    void close();

private:
    FileStamp openedStamp;
    qintptr handle = -1;
};

// The stamp of the file a path names, following links; std::nullopt unless it is a regular file.
std::optional<FileStamp> regularFileStamp(const QString &path);
// The same for a path in the file-name encoding's bytes.
std::optional<FileStamp> regularFileStamp(const QByteArray &encodedPath);

// Which file a path names on which device, following links: two paths with one identity are one
// file, hard links included.
struct FileIdentity
{
    quint64 device = 0;
    quint64 file = 0;
    bool operator==(const FileIdentity &o) const { return device == o.device && file == o.file; }
    bool operator!=(const FileIdentity &o) const { return !(*this == o); }
};
std::optional<FileIdentity> fileIdentity(const QString &path);
bool isSameFile(const QString &a, const QString &b);

// Which folder a path leads to now, following links, and through which mount. Another folder in its
// place changes it however it got there: moved there or made anew (another inode), another file
// system mounted over it (another device or mount), a link on the way pointed elsewhere.
struct FolderIdentity
{
    quint64 device = 0; // the device, or on Windows the volume serial number
    quint64 file = 0;   // the inode, or on Windows the file index
    quint64 mount = 0;  // the mount's id where the system numbers mounts (Linux), else 0
    bool operator==(const FolderIdentity &o) const
    {
        return device == o.device && file == o.file && mount == o.mount;
    }
    bool operator!=(const FolderIdentity &o) const { return !(*this == o); }
};

// A folder looked up by its path, following links. Its stamp's times move with every entry made,
// removed or renamed in it, so comparing stamps tells whether a listing may be out of date.
struct FolderStatus
{
    enum class Kind
    {
        folder,
        missing,    // nothing there, or a path through something that is no folder
        notAFolder, // a file or a device is there
        unknown,    // the system would not say: `failure` tells why (permission, I/O, a stale handle)
    };
    Kind kind = Kind::unknown;
    FolderIdentity identity;
    FileStamp stamp;
    QString failure; // the system's words
};
FolderStatus folderStatus(const QString &path);

// The identities of a folder and of every folder above it up to the root, the folder itself first:
// the folders a path into it really passes through, however it is spelt. A second way to a folder
// (a bind mount, a link, a mapped drive) leads up through folders with the same identities, which
// no comparison of spellings sees. On POSIX each step is the system's own "..", on Windows the
// path's parent, as Windows resolves "..". `failure` is the system's reason when a folder on the
// way up could not be looked up (the list then ends there), else empty.
struct FolderAncestry
{
    std::vector<FileIdentity> folders;
    QString failure;
};
FolderAncestry folderAncestry(const QString &folder);

// What a path names itself, a symbolic link not followed.
enum class EntryType
{
    missing,
    regular,
    folder,
    link,
    other,   // a FIFO, a socket, a device
    unknown, // the system would not say (no permission to look)
};
EntryType entryType(const QString &path);

// Sets a file's modification time to now; a symbolic link is changed itself, never the file it
// names. False if that cannot be done.
bool touchWithoutFollowing(const QString &path);

// How a file that this program keeps for itself (an index and its companions) stands. Only a file of
// its own may be opened, written or mapped: a regular file with one link, owned by the user running
// the program. Anything else at its name (a link, a second name of another file, another user's
// file, a folder, a pipe) could make a write meant for the cache land on someone's data.
enum class OwnFileState
{
    missing,
    own,
    suspicious,
};
// The name itself is judged, a link never followed. The file is not opened where the system ties
// locks to the process (POSIX: closing any descriptor of a file drops all of the process's locks on
// it, SQLite's included), so that this may be asked while the file is in use.
OwnFileState ownFileState(const QString &path);
// Sets the modification time of a file of the program's own (as above) to now, through a handle
// opened without following a link and checked after the open. False, and nothing changed, for
// anything else. Not while this process holds locks on the file (see above).
bool touchOwnFile(const QString &path);

// Whether the system gives every mount an id that it never hands to another (statx's unique mount
// id, Linux 6.8 and later). Where it does not, stamps tell file systems apart by the device number
// alone, which a remount or a swapped image at the same place may share.
bool mountsHaveUniqueIds();

// The family of systems the program runs on, for the few texts that must name the system's own
// places and limits (where a cache lies, what tells two files apart).
enum class SystemKind
{
    posix,
    windows,
};
SystemKind systemKind();

// Whether a folder removed while a handle on it is open (a change notification's among them) stays
// until the last handle closes, as Windows keeps it "delete pending": a watch of it must then be
// renewed now and then for the removal to complete and be seen.
bool removedFoldersWaitForHandles();

// What the system says when it looks a path up ("No such file or directory", "Permission
// denied"), or the empty text when it finds it. A path below a folder without search permission
// does not "not exist": the system says why.
QString lookupFailure(const QString &path);
// The same for a path in the file-name encoding's bytes (a name that encoding cannot decode).
QString lookupFailure(const QByteArray &encodedPath);

// A folder held open, so that many of its files can be looked at by their names alone, from any
// number of threads at once: cheaper than a whole path for each file of a large folder.
class HeldFolder
{
public:
    explicit HeldFolder(const QString &folder);
    ~HeldFolder();
    HeldFolder(const HeldFolder &) = delete;
    HeldFolder &operator=(const HeldFolder &) = delete;

    bool isOpen() const;
    // The stamp of the folder's entry `encodedName` (the file-name encoding's bytes), following
    // links; std::nullopt unless it is a regular file.
    std::optional<FileStamp> regularFileStamp(const QByteArray &encodedName) const;
    // Hands the entry `encodedName` to `visit` as a listing of the folder would, its type unknown
    // (a status call decides): for an entry that a change notification named.
    void visitEntry(const QByteArray &encodedName,
                    const std::function<void(const FolderEntry &)> &visit) const;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace platform
