// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/measurementindex.h"

#include "archive/indexcache.h"
#include "archive/indexrecord.h"
#include "platform/filesystem.h"
#include "platform/ownfolder.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <optional>

namespace archive {

using platform::FileStamp;

namespace {

// "STLI": tells our index files from any other SQLite file that may sit under the same name.
constexpr int applicationId = 0x53544c49;
// The layout of the tables; a file of another layout is made anew. 2: stamps with the device and the
// mount, rows with their checksum. 3: a row's stamp and digest in one record.
constexpr int formatVersion = 3;
// How long a run waits for another run's lock before it goes on without writing.
constexpr int busyMilliseconds = 200;

// A row is its file's name, a record of the stamp and the digest, and a checksum over both: three
// columns for SQLite to step over instead of two dozen, which a warm run over a million rows feels.
const char *const schema = "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
                           "CREATE TABLE IF NOT EXISTS files("
                           " name TEXT PRIMARY KEY, record BLOB, checksum INTEGER) WITHOUT ROWID;";

bool exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// One integer from a one-row query; std::nullopt when the query fails.
std::optional<qint64> queryInteger(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    std::optional<qint64> value;
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

std::optional<QString> queryMeta(sqlite3 *db, const char *key)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT value FROM meta WHERE key = ?", -1, &statement, nullptr) != SQLITE_OK)
        return std::nullopt;
    sqlite3_bind_text(statement, 1, key, -1, SQLITE_STATIC);
    std::optional<QString> value;
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

bool setMeta(sqlite3 *db, const char *key, const QString &value)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)", -1, &statement,
                           nullptr) != SQLITE_OK)
        return false;
    const QByteArray bytes = value.toUtf8();
    sqlite3_bind_text(statement, 1, key, -1, SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
    return done;
}

// SQLite opens and removes its files by name: given the platform's stand-ins for those calls, it does
// so relative to the held cache folder for every name in it. Once, for the process.
void useHeldFolders()
{
    static const bool installed = [] {
        sqlite3_vfs *files = sqlite3_vfs_find(nullptr);
        for (const platform::LibraryCall &call : platform::libraryCalls()) {
            if (files && files->iVersion >= 3 && files->xSetSystemCall)
                files->xSetSystemCall(files, call.name, reinterpret_cast<sqlite3_syscall_ptr>(call.call));
        }
        return true;
    }();
    Q_UNUSED(installed)
}

sqlite3 *openConnection(const QString &path, bool create)
{
    sqlite3 *db = nullptr;
    // Never through a link: SQLite would otherwise open the file it names, and make the journal and
    // the write-ahead log beside that file, wherever it is.
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX |
                      SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(platform::encodeFileName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, busyMilliseconds);
    // An index is a cache: after a power failure it may lose the last run's rows, never its
    // consistency, and a run need not wait for the disk.
    exec(db, "PRAGMA synchronous = NORMAL");
    return db;
}

// What the file says about itself: ours, of this layout, for this archive and these rules.
enum class Verdict
{
    usable,
    stale,   // ours, but its rows were made by other rules: emptied and used
    foreign, // not an index of ours, another layout, or unreadable: made anew
    busy,    // another run holds it: not used this time
};

Verdict inspect(sqlite3 *db, const QString &directory, const QString &rules)
{
    const std::optional<qint64> id = queryInteger(db, "PRAGMA application_id");
    const std::optional<qint64> version = queryInteger(db, "PRAGMA user_version");
    if (!id || !version)
        return sqlite3_errcode(db) == SQLITE_BUSY ? Verdict::busy : Verdict::foreign;
    if (*id == 0 && *version == 0) {
        // A new, empty file: give it our marks and tables.
        if (!exec(db, "BEGIN IMMEDIATE"))
            return Verdict::busy;
        const QString pragmas = QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2;")
                                    .arg(applicationId)
                                    .arg(formatVersion);
        const bool made = exec(db, pragmas.toUtf8().constData()) && exec(db, schema) &&
                          setMeta(db, "directory", directory) && setMeta(db, "rules", rules) &&
                          exec(db, "COMMIT");
        if (!made) {
            exec(db, "ROLLBACK");
            return Verdict::foreign;
        }
        return Verdict::usable;
    }
    if (*id != applicationId || *version != formatVersion)
        return Verdict::foreign;
    const std::optional<QString> storedDirectory = queryMeta(db, "directory");
    const std::optional<QString> storedRules = queryMeta(db, "rules");
    if (!storedDirectory || *storedDirectory != directory)
        return Verdict::foreign;
    if (!storedRules || *storedRules != rules)
        return Verdict::stale;
    // Damage further in is found as the rows are read (SQLite checks every page it reads); the run
    // then reads the remaining files itself and the index is made anew next time.
    return Verdict::usable;
}

} // namespace

QString MeasurementIndex::cacheFolder()
{
    return indexCacheFolder();
}

qint64 MeasurementIndex::sizeLimitBytes()
{
    return indexSizeLimitBytes();
}

QString MeasurementIndex::archiveKey(const QString &directory)
{
    return canonicalArchivePath(directory);
}

QString MeasurementIndex::indexPath(const QString &directory)
{
    const QString key = archiveKey(directory);
    return key.isEmpty() ? QString() : indexFilePath(key);
}

std::unique_ptr<MeasurementIndex> MeasurementIndex::open(const QString &folder, const QString &rulesVersion)
{
    const QString directory = archiveKey(folder);
    if (directory.isEmpty())
        return nullptr;
    useHeldFolders();
    std::unique_ptr<platform::OwnFolder> held = openCacheFolder(directory);
    if (!held)
        return nullptr;
    std::unique_ptr<MeasurementIndex> index(new MeasurementIndex);
    // Spelt as the held folder is, so that SQLite's every name in it is served from its handle.
    index->path = held->path() + QLatin1Char('/') + QFileInfo(indexFilePath(directory)).fileName();
    index->heldCacheFolder = std::move(held);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!indexFilesAreOwn(index->path))
            return nullptr;
        sqlite3 *db = openConnection(index->path, true);
        if (!db)
            return nullptr;
        // Readers never wait for a writer, and two runs can share the index.
        exec(db, "PRAGMA journal_mode = WAL");
        const Verdict verdict = inspect(db, directory, rulesVersion);
        if (verdict == Verdict::busy) {
            sqlite3_close(db);
            return nullptr;
        }
        if (verdict == Verdict::foreign) {
            sqlite3_close(db);
            removeIndexFiles(index->path);
            continue;
        }
        index->reader = db;
        index->writer = openConnection(index->path, false);
        // SQLite has opened (or made) the write-ahead log and the shared memory by now: what stands at
        // every name must still be the program's own before anything is written.
        if (!indexFilesAreOwn(index->path))
            return nullptr;
        // Rows made under other rules go before anything is read; if that cannot be done now, the
        // index is not used at all, since such rows must never be read.
        if (verdict == Verdict::stale &&
            !(index->writer && exec(index->writer, "BEGIN IMMEDIATE") &&
              exec(index->writer, "DELETE FROM files") && setMeta(index->writer, "rules", rulesVersion) &&
              exec(index->writer, "COMMIT")))
            return nullptr;
        if (!index->prepareReading())
            return nullptr;
        return index;
    }
    return nullptr;
}

MeasurementIndex::~MeasurementIndex()
{
    sqlite3_finalize(select);
    sqlite3_finalize(insert);
    sqlite3_finalize(remove);
    if (writing)
        exec(writer, "ROLLBACK");
    sqlite3_close(reader);
    sqlite3_close(writer);
}

bool MeasurementIndex::prepareReading()
{
    return sqlite3_prepare_v2(reader, "SELECT name, record, checksum FROM files ORDER BY name", -1, &select,
                              nullptr) == SQLITE_OK;
}

bool MeasurementIndex::nextRow(Row *row)
{
    if (readFailed || !select)
        return false;
    const int step = sqlite3_step(select);
    if (step != SQLITE_ROW) {
        readFailed = step != SQLITE_DONE;
        if (readFailed)
            removeIndexFiles(path); // damaged: the next run makes it anew
        return false;
    }
    sqlite3_stmt *s = select;
    // A name or record of another type is a damaged row: the checksum is then not even compared.
    const bool typed = sqlite3_column_type(s, 0) == SQLITE_TEXT && sqlite3_column_type(s, 1) == SQLITE_BLOB &&
                       sqlite3_column_type(s, 2) == SQLITE_INTEGER;
    row->name = static_cast<const char *>(sqlite3_column_blob(s, 0));
    row->nameSize = sqlite3_column_bytes(s, 0);
    row->record = static_cast<const char *>(sqlite3_column_blob(s, 1));
    row->recordSize = sqlite3_column_bytes(s, 1);
    row->intact = typed && sqlite3_column_int64(s, 2) ==
                               indexRowChecksum(row->name, row->nameSize, row->record, row->recordSize);
    return true;
}

bool MeasurementIndex::beginWriting()
{
    if (writing)
        return true;
    if (writeRefused || !writer)
        return false;
    if (!exec(writer, "BEGIN IMMEDIATE") ||
        sqlite3_prepare_v2(writer, "INSERT OR REPLACE INTO files(name, record, checksum) VALUES(?, ?, ?)", -1,
                           &insert, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(writer, "DELETE FROM files WHERE name = ?", -1, &remove, nullptr) != SQLITE_OK) {
        giveUpWriting();
        return false;
    }
    writing = true;
    return true;
}

void MeasurementIndex::giveUpWriting()
{
    if (writing)
        exec(writer, "ROLLBACK");
    writing = false;
    writeRefused = true;
}

void MeasurementIndex::store(const QByteArray &name, const FileStamp &stamp,
                             const measurement::MeasurementDigest &d)
{
    if (!beginWriting())
        return;
    writeIndexRecord(record, stamp, d);
    sqlite3_reset(insert);
    sqlite3_bind_text(insert, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 2, record.data(), int(record.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 3,
                       indexRowChecksum(name.constData(), name.size(), record.data(), int(record.size())));
    if (sqlite3_step(insert) != SQLITE_DONE)
        giveUpWriting();
}

void MeasurementIndex::forget(const QByteArray &name)
{
    if (!beginWriting())
        return;
    sqlite3_reset(remove);
    sqlite3_bind_text(remove, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    if (sqlite3_step(remove) != SQLITE_DONE)
        giveUpWriting();
}

void MeasurementIndex::finish()
{
    sqlite3_finalize(select);
    select = nullptr;
    if (writing) {
        sqlite3_finalize(insert);
        sqlite3_finalize(remove);
        insert = remove = nullptr;
        if (!exec(writer, "COMMIT"))
            exec(writer, "ROLLBACK");
        writing = false;
        exec(writer, "PRAGMA wal_checkpoint(TRUNCATE)");
    }
    // Closed before the file's time is set through a descriptor of its own, whose closing would drop
    // the locks the connections hold on the file.
    sqlite3_close(reader);
    sqlite3_close(writer);
    reader = writer = nullptr;
    // The file's time says when the archive was last asked about, for the size limit.
    platform::touchOwnFile(path);
    keepIndexesWithinLimit(path);
}

namespace {

const char *const listingTable = "CREATE TABLE IF NOT EXISTS listing("
                                 " name TEXT PRIMARY KEY, modified INTEGER, checksum INTEGER) WITHOUT ROWID;";

qint64 listedNameChecksum(const char *name, int nameSize, qint64 modifiedNsecs)
{
    return indexRowChecksum(name, nameSize, reinterpret_cast<const char *>(&modifiedNsecs),
                            int(sizeof modifiedNsecs));
}

} // namespace

bool MeasurementIndex::lastListing(std::vector<ListedName> *names)
{
    names->clear();
    sqlite3_stmt *statement = nullptr;
    // An index made before the viewer kept its listing has no such table: no listing, no error.
    if (!reader || sqlite3_prepare_v2(reader, "SELECT name, modified, checksum FROM listing", -1, &statement,
                                      nullptr) != SQLITE_OK)
        return false;
    int step = SQLITE_ROW;
    bool intact = true;
    while (intact && (step = sqlite3_step(statement)) == SQLITE_ROW) {
        const char *name = static_cast<const char *>(sqlite3_column_blob(statement, 0));
        const int nameSize = sqlite3_column_bytes(statement, 0);
        const qint64 modified = sqlite3_column_int64(statement, 1);
        intact = sqlite3_column_type(statement, 0) == SQLITE_TEXT &&
                 sqlite3_column_type(statement, 1) == SQLITE_INTEGER &&
                 sqlite3_column_type(statement, 2) == SQLITE_INTEGER &&
                 sqlite3_column_int64(statement, 2) == listedNameChecksum(name, nameSize, modified);
        if (intact)
            names->push_back(ListedName{QByteArray(name, nameSize), modified});
    }
    sqlite3_finalize(statement);
    if (intact && step == SQLITE_DONE)
        return true;
    names->clear();
    return false;
}

void MeasurementIndex::storeLastListing(const std::vector<ListedName> &names)
{
    if (!beginWriting())
        return;
    sqlite3_stmt *statement = nullptr;
    if (!exec(writer, listingTable) || !exec(writer, "DELETE FROM listing") ||
        sqlite3_prepare_v2(writer, "INSERT OR REPLACE INTO listing(name, modified, checksum) VALUES(?, ?, ?)",
                           -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        giveUpWriting();
        return;
    }
    bool stored = true;
    for (const ListedName &listed : names) {
        sqlite3_reset(statement);
        sqlite3_bind_text(statement, 1, listed.name.constData(), listed.name.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int64(statement, 2, listed.modifiedNsecs);
        sqlite3_bind_int64(
            statement, 3,
            listedNameChecksum(listed.name.constData(), listed.name.size(), listed.modifiedNsecs));
        stored = sqlite3_step(statement) == SQLITE_DONE;
        if (!stored)
            break;
    }
    sqlite3_finalize(statement);
    if (!stored)
        giveUpWriting();
}

} // namespace archive
