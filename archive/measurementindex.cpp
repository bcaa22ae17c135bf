// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/measurementindex.h"

#include "platform/filesystem.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

// Header-only: nothing to link, on every platform.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <array>
#include <cstring>

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

// A row's checksum: XXH3 over the record, seeded with XXH3 of the name. A row changed in any stored
// byte (a damaged page that SQLite's own checks let through, a hand edit) no longer matches, and its
// file is read again. A checksum, not a signature: it guards against accidents, at a few dozen
// cycles a row.
qint64 rowChecksum(const char *name, int nameSize, const char *record, int recordSize)
{
    const XXH64_hash_t seed = XXH3_64bits(name, size_t(nameSize));
    return qint64(XXH3_64bits_withSeed(record, size_t(recordSize), seed));
}

// The record: the stamp's eight integers, then the digest. Texts are kept as their UTF-16 code units
// and numbers by their bits, so that what comes back is exactly what was read, down to a lone
// surrogate or the sign of a zero: the answer with the index must be the answer without it. In the
// machine's own byte order: an index never leaves the machine that made it.
class RecordWriter
{
public:
    explicit RecordWriter(std::string &bytes) : bytes(bytes) { bytes.clear(); }
    template <typename T> void value(T v) { bytes.append(reinterpret_cast<const char *>(&v), sizeof v); }
    void optionalText(const std::optional<QString> &text)
    {
        if (!text) {
            value(qint32(-1));
            return;
        }
        this->text(*text);
    }
    void text(const QString &text)
    {
        value(qint32(text.size()));
        bytes.append(reinterpret_cast<const char *>(text.utf16()), size_t(text.size()) * sizeof(QChar));
    }
    void optionalReal(const std::optional<double> &v)
    {
        value(quint8(v.has_value()));
        value(v.value_or(0.0));
    }

private:
    std::string &bytes;
};

// Reads what RecordWriter wrote; every read is bounded, and a record that ends early or holds an
// impossible length is damaged.
class RecordReader
{
public:
    RecordReader(const char *data, int size) : at(data), end(data + size) {}
    template <typename T> T value()
    {
        T v{};
        if (end - at < qint64(sizeof v)) {
            damaged = true;
            return v;
        }
        std::memcpy(&v, at, sizeof v);
        at += sizeof v;
        return v;
    }
    std::optional<QString> optionalText()
    {
        const qint32 length = value<qint32>();
        if (length == -1)
            return std::nullopt;
        return text(length);
    }
    QString text(qint32 length)
    {
        if (length < 0 || length > (end - at) / qint64(sizeof(QChar))) {
            damaged = true;
            return QString();
        }
        QString text(reinterpret_cast<const QChar *>(at), length);
        at += qint64(length) * qint64(sizeof(QChar));
        return text;
    }
    std::optional<double> optionalReal()
    {
        const bool present = value<quint8>() != 0;
        const double v = value<double>();
        return present ? std::optional<double>(v) : std::nullopt;
    }
    // Nothing was missing so far.
    bool whole() const { return !damaged; }
    // Whole and used up to its last byte.
    bool intact() const { return !damaged && at == end; }

private:
    const char *at;
    const char *end;
    bool damaged = false;
};

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

const char *const companionSuffixes[] = {"", "-wal", "-shm", "-journal"};

// The index file and its companions are plain files or not there yet: a link among them (made by
// accident or on purpose) could lead SQLite's writes out of the cache folder.
bool indexFilesArePlain(const QString &path)
{
    for (const char *suffix : companionSuffixes) {
        const platform::EntryType type = platform::entryType(path + QLatin1String(suffix));
        if (type != platform::EntryType::missing && type != platform::EntryType::regular)
            return false;
    }
    return true;
}

bool isWithin(const QString &path, const QString &folder)
{
    return folder == QLatin1String("/") || path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Whether the cache folder may take an index for the archive at `canonicalArchive`: it must not lie
// in the archive (however either is spelt), and the folders that this program makes below the
// user's cache folder must be folders, not links that could lead elsewhere later. Asked before the
// folders are made, so that not even an empty folder is made in the archive.
bool cacheFolderFits(const QString &canonicalArchive)
{
    const QString folder = QDir::cleanPath(QFileInfo(MeasurementIndex::cacheFolder()).absoluteFilePath());
    const QString userCache =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
    if (platform::entryType(folder) == platform::EntryType::link)
        return false;
    for (QString part = folder; part != userCache && isWithin(part, userCache);
         part = QFileInfo(part).path()) {
        if (platform::entryType(part) == platform::EntryType::link)
            return false;
    }
    // Where the folder is, or would be once made: its nearest existing ancestor's canonical path and
    // the names still to be made.
    QString existing = folder;
    QString rest;
    while (platform::entryType(existing) == platform::EntryType::missing) {
        const QFileInfo info(existing);
        rest = QLatin1Char('/') + info.fileName() + rest;
        if (info.path() == existing)
            return false;
        existing = info.path();
    }
    const QString canonicalExisting = QFileInfo(existing).canonicalFilePath();
    if (canonicalExisting.isEmpty())
        return false;
    const QString canonical = canonicalExisting == QLatin1String("/") ? rest : canonicalExisting + rest;
    return !isWithin(canonical.isEmpty() ? QStringLiteral("/") : canonical, canonicalArchive);
}

void removeIndexFiles(const QString &path)
{
    // Removing a name never follows a link: what goes is always in the cache folder.
    for (const char *suffix : companionSuffixes)
        QFile::remove(path + QLatin1String(suffix));
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

// Beyond the limit, the indexes of the archives asked about least recently go first.
void keepWithinLimit(const QString &current)
{
    struct IndexFile
    {
        QString path;
        qint64 bytes;
        QDateTime used;
    };
    QVector<IndexFile> files;
    qint64 total = 0;
    QDirIterator it(MeasurementIndex::cacheFolder(), {QStringLiteral("*.sqlite")}, QDir::Files);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        qint64 bytes = info.size() + QFileInfo(info.filePath() + QStringLiteral("-wal")).size();
        files.append({info.filePath(), bytes, info.lastModified()});
        total += bytes;
    }
    std::sort(files.begin(), files.end(),
              [](const IndexFile &a, const IndexFile &b) { return a.used < b.used; });
    for (const IndexFile &file : files) {
        if (total <= MeasurementIndex::sizeLimitBytes())
            break;
        if (file.path == current)
            continue;
        removeIndexFiles(file.path);
        total -= file.bytes;
    }
}

} // namespace

QString MeasurementIndex::cacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/index");
}

qint64 MeasurementIndex::sizeLimitBytes()
{
    return qint64(4) * 1024 * 1024 * 1024;
}

QString MeasurementIndex::archiveKey(const QString &directory)
{
    return QFileInfo(directory.isEmpty() ? QStringLiteral(".") : directory).canonicalFilePath();
}

QString MeasurementIndex::indexPath(const QString &directory)
{
    const QString key = archiveKey(directory);
    if (key.isEmpty())
        return QString();
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    return cacheFolder() + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".sqlite");
}

std::unique_ptr<MeasurementIndex> MeasurementIndex::open(const QString &folder, const QString &rulesVersion)
{
    const QString directory = archiveKey(folder);
    if (directory.isEmpty() || !cacheFolderFits(directory) || !QDir().mkpath(cacheFolder()) ||
        !cacheFolderFits(directory))
        return nullptr;
    std::unique_ptr<MeasurementIndex> index(new MeasurementIndex);
    index->path = indexPath(directory);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!indexFilesArePlain(index->path))
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
                               rowChecksum(row->name, row->nameSize, row->record, row->recordSize);
    return true;
}

bool MeasurementIndex::readRecord(const char *record, int size, FileStamp *stamp,
                                  measurement::MeasurementDigest *digest)
{
    RecordReader r(record, size);
    stamp->size = r.value<qint64>();
    stamp->modifiedSeconds = r.value<qint64>();
    stamp->modifiedNanoseconds = r.value<qint64>();
    stamp->changedSeconds = r.value<qint64>();
    stamp->changedNanoseconds = r.value<qint64>();
    stamp->inode = r.value<quint64>();
    stamp->device = r.value<quint64>();
    stamp->mount = r.value<quint64>();
    if (!digest)
        return r.whole();
    measurement::MeasurementDigest &d = *digest;
    for (std::optional<QString> *text :
         {&d.smelt, &d.temperatureText, &d.emfText, &d.oxidation, &d.aluminiumMass, &d.carbon, &d.status})
        *text = r.optionalText();
    const bool hasStatusCode = r.value<quint8>() != 0;
    const qint32 statusCode = r.value<qint32>();
    d.statusCode = hasStatusCode ? std::optional<int>(statusCode) : std::nullopt;
    for (measurement::CurveSummary *curve : {&d.emf, &d.temperature}) {
        curve->samples = r.value<qint32>();
        curve->minimum = r.optionalReal();
        curve->maximum = r.optionalReal();
    }
    const qint32 findings = r.value<qint32>();
    d.findings.clear();
    for (qint32 k = 0; k < findings && r.whole(); ++k)
        d.findings.append(r.text(r.value<qint32>()));
    return r.intact();
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
    RecordWriter w(record);
    for (const qint64 v :
         {stamp.size, stamp.modifiedSeconds, stamp.modifiedNanoseconds, stamp.changedSeconds,
          stamp.changedNanoseconds, qint64(stamp.inode), qint64(stamp.device), qint64(stamp.mount)})
        w.value(v);
    for (const std::optional<QString> *text :
         {&d.smelt, &d.temperatureText, &d.emfText, &d.oxidation, &d.aluminiumMass, &d.carbon, &d.status})
        w.optionalText(*text);
    w.value(quint8(d.statusCode.has_value()));
    w.value(qint32(d.statusCode.value_or(0)));
    for (const measurement::CurveSummary *curve : {&d.emf, &d.temperature}) {
        w.value(qint32(curve->samples));
        w.optionalReal(curve->minimum);
        w.optionalReal(curve->maximum);
    }
    w.value(qint32(d.findings.size()));
    for (const QString &finding : d.findings)
        w.text(finding);
    sqlite3_reset(insert);
    sqlite3_bind_text(insert, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert, 2, record.data(), int(record.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 3,
                       rowChecksum(name.constData(), name.size(), record.data(), int(record.size())));
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
    // The file's time says when the archive was last asked about, for the size limit.
    platform::touchWithoutFollowing(path);
    keepWithinLimit(path);
}

} // namespace archive
