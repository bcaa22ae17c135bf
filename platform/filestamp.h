// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <algorithm>

namespace platform {

// What the file system says of a file's content without reading it. A file whose stamp is unchanged
// is taken to hold what it held: a rewrite changes the change time even when the size and the
// modification time are put back, and another file system mounted at the same place (a remount, a
// swapped read-only image whose times and inode numbers repeat) differs in its mount.
struct FileStamp
{
    qint64 size = 0;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;
    qint64 changedSeconds = 0;
    qint64 changedNanoseconds = 0;
    quint64 inode = 0;
    // The device the file lies on, and the mount it was reached through: an id the system never
    // hands to another mount where it has one (Linux 6.8 and later), else 0 and the device alone
    // tells file systems apart.
    quint64 device = 0;
    quint64 mount = 0;

    // The later of the modification and the change time, in nanoseconds since the epoch.
    qint64 lastChangeNanoseconds() const
    {
        return std::max(modifiedSeconds * 1000000000 + modifiedNanoseconds,
                        changedSeconds * 1000000000 + changedNanoseconds);
    }
    // Whether the file had last changed before `instantNs` (nanoseconds since the epoch): a file read
    // now that changed within the file system's time resolution of the reading could change again
    // under the same stamp, and so is kept only once it has settled.
    bool settledBefore(qint64 instantNs) const { return lastChangeNanoseconds() < instantNs; }

    // Whole milliseconds rounded down, as QFileInfo gives them.
    qint64 modifiedMsecs() const { return modifiedSeconds * 1000 + modifiedNanoseconds / 1000000; }
    bool operator==(const FileStamp &o) const
    {
        return size == o.size && modifiedSeconds == o.modifiedSeconds &&
               modifiedNanoseconds == o.modifiedNanoseconds && changedSeconds == o.changedSeconds &&
               changedNanoseconds == o.changedNanoseconds && inode == o.inode && device == o.device &&
               mount == o.mount;
    }
    bool operator!=(const FileStamp &o) const { return !(*this == o); }
};

} // namespace platform
