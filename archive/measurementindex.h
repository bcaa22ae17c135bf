// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementdigest.h"
#include "platform/filestamp.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {
class OwnFolder;
}

namespace archive {

// What was read of an archive's files, kept in an SQLite file in the user's cache folder (never in
// the archive) so that a second question about an unchanged archive need not read every file again.
// One index per canonical archive path. A row is only ever used for a file whose stamp is exactly the
// stamp the row was stored under, and only while the row's checksum matches its values. An index that
// is corrupt, foreign or of another format is made anew in the cache folder; one that another run is
// writing is read but not written; one that cannot be opened at all is simply not used. No index is
// used where the cache folder lies in the archive being read (however it is reached), where a folder
// this program made for the index is a symbolic link, or where the index file or one of its
// companions (-wal, -shm, -journal) is anything but a file of the program's own: a regular file with
// one link, owned by the user.
class MeasurementIndex
{
public:
    // The index of `directory` for findings made by rules named `rulesVersion` (rows stored under
    // other rules are dropped). std::nullopt when no index can be used; the run then reads every file.
    static std::unique_ptr<MeasurementIndex> open(const QString &folder, const QString &rulesVersion);
    ~MeasurementIndex();

    // Where the indexes live, and how much room they may take together: beyond it the least recently
    // used are deleted.
    static QString cacheFolder();
    static qint64 sizeLimitBytes();
    // What tells archives apart: the folder's canonical absolute path (empty if it cannot be found),
    // so that one folder has one index however it is spelt.
    static QString archiveKey(const QString &directory);
    // The path of the index file for an archive folder; empty if the folder cannot be found.
    static QString indexPath(const QString &directory);

    // The stored rows in ascending byte order of their UTF-8 names, one at a time, as SQLite gives
    // them: valid until the next call. The record is read by readIndexRecord, on whichever thread
    // needs it, so that the row scan itself is only SQLite's step and the checksum.
    struct Row
    {
        const char *name = nullptr; // UTF-8
        int nameSize = 0;
        const char *record = nullptr;
        int recordSize = 0;
        bool intact = true; // false: the row's checksum does not match its values
    };
    bool nextRow(Row *row); // false at the end, or when the index turned out unreadable

    // Changes, written in one transaction by finish(), which ends the use of the index. Dropped
    // silently when another run holds the index for writing.
    void store(const QByteArray &name, const platform::FileStamp &stamp,
               const measurement::MeasurementDigest &digest);
    void forget(const QByteArray &name);
    void finish();

    // The viewer's last listing of the archive, as far as its first view needs it: file names (UTF-8)
    // and modification instants in nanoseconds, kept apart from the rows above. Each row has its
    // checksum, and a listing with a damaged row is no listing: the viewer then lists the folder
    // before it shows anything, as it does without an index.
    struct ListedName
    {
        QByteArray name;
        qint64 modifiedNsecs = 0;
    };
    bool lastListing(std::vector<ListedName> *names);
    // Replaces the last listing; written by finish() with the other changes.
    void storeLastListing(const std::vector<ListedName> &names);

    MeasurementIndex(const MeasurementIndex &) = delete;
    MeasurementIndex &operator=(const MeasurementIndex &) = delete;

private:
    MeasurementIndex() = default;
    bool prepareReading();
    bool beginWriting();
    void giveUpWriting();

    QString path;
    std::unique_ptr<platform::OwnFolder> heldCacheFolder; // held while the index is open
    sqlite3 *reader = nullptr;
    sqlite3 *writer = nullptr;
    sqlite3_stmt *select = nullptr;
    sqlite3_stmt *insert = nullptr;
    sqlite3_stmt *remove = nullptr;
    bool writing = false;
    bool writeRefused = false;
    bool readFailed = false;
    std::string record; // the record being stored, kept from row to row
};

} // namespace archive
