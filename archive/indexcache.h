// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

namespace platform {
class OwnFolder;
}

// Where the index files live and what keeps them there: one file per archive in the user's cache
// folder, never in an archive, never through a link, and all of them within a size limit.
namespace archive {

// The folder of the index files, below the user's cache folder.
QString indexCacheFolder();
// How much room the index files may take together: beyond it the least recently used are deleted.
qint64 indexSizeLimitBytes();
// The folder's canonical absolute path (empty if it cannot be found), so that one folder has one
// index however it is spelt.
QString canonicalArchivePath(const QString &directory);
// The path of the index file of the archive at `canonicalArchive`.
QString indexFilePath(const QString &canonicalArchive);

// Whether the cache folder may take an index for the archive at `canonicalArchive`: it must not lie
// in the archive, however either is spelt and by whatever path the archive is reached (the folders
// above it are compared with the archive by their identity on the file system, so that a bind mount
// of the archive is caught), and the folders that this program makes below the user's cache folder
// must be folders, not links that could lead elsewhere later. Asked before the folders are made, so
// that not even an empty folder is made in the archive.
bool cacheFolderFits(const QString &canonicalArchive);

// The cache folder made where missing and held open, every step below the user's cache folder made
// and checked relative to the folder above it, never through a link, and each folder on the way
// compared with the archive by identity on its handle before anything is made in it. SQLite's
// files in it are then opened and removed relative to the held folder. Null where it does not fit.
std::unique_ptr<platform::OwnFolder> openCacheFolder(const QString &canonicalArchive);

// The index file and its companions (-wal, -shm, -journal) are files of this program's own or not
// there yet: a link, a second name of another file (an archive file hard-linked into the cache
// folder), another user's file or anything but a regular file among them could make SQLite's writes,
// truncations or mappings land on someone's data.
bool indexFilesAreOwn(const QString &indexPath);
// Removes the index file and its companions; removing a name never follows a link, and where the cache
// folder is held (openCacheFolder) the names are removed relative to it, so what goes is always in
// the cache folder.
void removeIndexFiles(const QString &indexPath);
// Beyond the size limit, the indexes of the archives asked about least recently go first; `current`
// stays.
void keepIndexesWithinLimit(const QString &current);

} // namespace archive
