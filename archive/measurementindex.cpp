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

#include <algorithm>
#include <array>
#include <cstring>

namespace archive {

using platform::FileStamp;

namespace {

// "STLI": tells our index files from any other SQLite file that may sit under the same name.
constexpr int applicationId = 0x53544c49;
// The layout of the tables; a file of another layout is made anew. 2: stamps with the device and the
// mount, rows with their checksum.
constexpr int formatVersion = 2;
// How long a run waits for another run's lock before it goes on without writing.
constexpr int busyMilliseconds = 200;

const char *const schema =
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS files("
    " name TEXT PRIMARY KEY, size INTEGER, mtime_s INTEGER, mtime_ns INTEGER,"
    " ctime_s INTEGER, ctime_ns INTEGER, inode INTEGER, device INTEGER, mount INTEGER,"
    " smelt BLOB, temp BLOB, eds BLOB, ox BLOB, al BLOB, carbon BLOB,"
    " status BLOB, status_code INTEGER,"
    " emf_n INTEGER, emf_min INTEGER, emf_max INTEGER, temp_n INTEGER, temp_min INTEGER, temp_max INTEGER,"
    " findings BLOB, checksum INTEGER) WITHOUT ROWID;";
// Texts are kept as their UTF-16 code units and numbers by their bits, so that what comes back is
// exactly what was read, down to a lone surrogate or the sign of a zero: the answer with the index
// must be the answer without it.

const char *const columns =
    "name, size, mtime_s, mtime_ns, ctime_s, ctime_ns, inode, device, mount, smelt, temp, eds, ox, al, "
    "carbon, status, status_code, emf_n, emf_min, emf_max, temp_n, temp_min, temp_max, "
    "findings, checksum";
// The columns before the checksum, which it covers.
constexpr int checkedColumns = 24;

// A row's checksum, over its values exactly as stored: each column's type and bytes in turn. A row
// changed in any stored byte (a damaged page that SQLite's own checks let through, a hand edit) no
// longer matches, and its file is read again.
class RowChecksum
{
public:
    void null() { bytes.append('\0'); }
    void integer(qint64 value)
    {
        bytes.append('i');
        bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    }
    void real(double value)
    {
        bytes.append('r');
        bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    }
    void text(const char *data, int size)
    {
        bytes.append('t');
        bytes.append(reinterpret_cast<const char *>(&size), sizeof size);
        bytes.append(data, size);
    }
    // The column as SQLite gives it back.
    void column(sqlite3_stmt *statement, int column)
    {
        switch (sqlite3_column_type(statement, column)) {
        case SQLITE_NULL:
            null();
            break;
        case SQLITE_INTEGER:
            integer(sqlite3_column_int64(statement, column));
            break;
        case SQLITE_FLOAT:
            real(sqlite3_column_double(statement, column));
            break;
        default: {
            const char *data = static_cast<const char *>(sqlite3_column_blob(statement, column));
            text(data, sqlite3_column_bytes(statement, column));
        }
        }
    }
    qint64 value()
    {
        QCryptographicHash hash(QCryptographicHash::Md5);
        hash.addData(bytes);
        const QByteArray digest = hash.result();
        qint64 first = 0;
        std::memcpy(&first, digest.constData(), sizeof first);
        bytes.clear();
        return first;
    }

private:
    QByteArray bytes;
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

std::optional<QString> optionalText(sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    return QString(static_cast<const QChar *>(sqlite3_column_blob(statement, column)),
                   sqlite3_column_bytes(statement, column) / int(sizeof(QChar)));
}

// The findings, each as its length in code units and the code units.
QStringList findingsOf(sqlite3_stmt *statement, int column)
{
    QStringList findings;
    const char *data = static_cast<const char *>(sqlite3_column_blob(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    for (int at = 0; at + int(sizeof(qint32)) <= size;) {
        qint32 length;
        std::memcpy(&length, data + at, sizeof length);
        at += int(sizeof length);
        if (length < 0 || length > (size - at) / int(sizeof(QChar)))
            break; // the checksum tells a damaged row
        findings.append(QString(reinterpret_cast<const QChar *>(data + at), length));
        at += length * int(sizeof(QChar));
    }
    return findings;
}

QByteArray findingsBytes(const QStringList &findings)
{
    QByteArray bytes;
    for (const QString &finding : findings) {
        const qint32 length = finding.size();
        bytes.append(reinterpret_cast<const char *>(&length), sizeof length);
        bytes.append(reinterpret_cast<const char *>(finding.utf16()), length * int(sizeof(QChar)));
    }
    return bytes;
}

// Binds a row's values and sums them up as they will be stored.
class RowBinder
{
public:
    explicit RowBinder(sqlite3_stmt *statement) : statement(statement) {}
    void integer(qint64 value)
    {
        sqlite3_bind_int64(statement, ++column, value);
        checksum.integer(value);
    }
    void null()
    {
        sqlite3_bind_null(statement, ++column);
        checksum.null();
    }
    void bytes(const char *data, int size)
    {
        // A zero-length blob is stored as one, not as NULL.
        sqlite3_bind_blob(statement, ++column, size ? data : "", size, SQLITE_TRANSIENT);
        checksum.text(data, size);
    }
    void text(const QByteArray &utf8)
    {
        sqlite3_bind_text(statement, ++column, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
        checksum.text(utf8.constData(), utf8.size());
    }
    void optionalText(const std::optional<QString> &text)
    {
        if (text)
            bytes(reinterpret_cast<const char *>(text->utf16()), text->size() * int(sizeof(QChar)));
        else
            null();
    }
    void optionalReal(const std::optional<double> &value)
    {
        if (!value) {
            null();
            return;
        }
        qint64 bits;
        std::memcpy(&bits, &*value, sizeof bits);
        integer(bits);
    }
    void finish() { sqlite3_bind_int64(statement, ++column, checksum.value()); }

private:
    sqlite3_stmt *statement;
    int column = 0;
    RowChecksum checksum;
};

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
    const QByteArray sql = QByteArray("SELECT ") + columns + " FROM files ORDER BY name";
    return sqlite3_prepare_v2(reader, sql.constData(), -1, &select, nullptr) == SQLITE_OK;
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
    // Each column is asked once: what it gives serves the checksum and the row alike. The checksum's
    // bytes are those RowChecksum makes, gathered in a buffer kept from row to row.
    struct Column
    {
        int type;
        qint64 integer;
        const char *data;
        int size;
    };
    std::array<Column, checkedColumns> c;
    rowBytes.clear();
    for (int i = 0; i < checkedColumns; ++i) {
        Column &column = c[size_t(i)];
        column = {sqlite3_column_type(s, i), 0, nullptr, 0};
        switch (column.type) {
        case SQLITE_NULL:
            rowBytes.push_back('\0');
            break;
        case SQLITE_INTEGER:
            column.integer = sqlite3_column_int64(s, i);
            rowBytes.push_back('i');
            rowBytes.append(reinterpret_cast<const char *>(&column.integer), sizeof column.integer);
            break;
        case SQLITE_FLOAT: {
            const double value = sqlite3_column_double(s, i);
            rowBytes.push_back('r');
            rowBytes.append(reinterpret_cast<const char *>(&value), sizeof value);
            break;
        }
        default:
            column.data = static_cast<const char *>(sqlite3_column_blob(s, i));
            column.size = sqlite3_column_bytes(s, i);
            rowBytes.push_back('t');
            rowBytes.append(reinterpret_cast<const char *>(&column.size), sizeof column.size);
            rowBytes.append(column.data ? column.data : "", size_t(column.size));
        }
    }
    const QByteArray hash = QCryptographicHash::hash(
        QByteArray::fromRawData(rowBytes.data(), int(rowBytes.size())), QCryptographicHash::Md5);
    qint64 checksum = 0;
    std::memcpy(&checksum, hash.constData(), sizeof checksum);
    row->intact = sqlite3_column_type(s, checkedColumns) == SQLITE_INTEGER &&
                  sqlite3_column_int64(s, checkedColumns) == checksum;
    // A value of an unexpected type (a damaged row, which the checksum already tells) is converted as
    // SQLite converts it.
    const auto integer = [&](int i) {
        return c[size_t(i)].type == SQLITE_INTEGER ? c[size_t(i)].integer : sqlite3_column_int64(s, i);
    };
    const auto text = [&](int i) -> std::optional<QString> {
        const Column &column = c[size_t(i)];
        if (column.type == SQLITE_NULL)
            return std::nullopt;
        if (column.type != SQLITE_TEXT && column.type != SQLITE_BLOB)
            return optionalText(s, i);
        return QString(reinterpret_cast<const QChar *>(column.data), column.size / int(sizeof(QChar)));
    };
    const auto real = [&](int i) -> std::optional<double> {
        if (c[size_t(i)].type == SQLITE_NULL)
            return std::nullopt;
        const qint64 bits = integer(i);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    };
    if (c[0].type == SQLITE_TEXT || c[0].type == SQLITE_BLOB)
        row->name = QByteArray(c[0].data, c[0].size);
    else
        row->name =
            QByteArray(reinterpret_cast<const char *>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0));
    row->stamp.size = integer(1);
    row->stamp.modifiedSeconds = integer(2);
    row->stamp.modifiedNanoseconds = integer(3);
    row->stamp.changedSeconds = integer(4);
    row->stamp.changedNanoseconds = integer(5);
    row->stamp.inode = quint64(integer(6));
    row->stamp.device = quint64(integer(7));
    row->stamp.mount = quint64(integer(8));
    measurement::MeasurementDigest &d = row->digest;
    d.smelt = text(9);
    d.temperatureText = text(10);
    d.emfText = text(11);
    d.oxidation = text(12);
    d.aluminiumMass = text(13);
    d.carbon = text(14);
    d.status = text(15);
    d.statusCode = c[16].type == SQLITE_NULL ? std::nullopt : std::optional<int>(int(integer(16)));
    d.emf = {int(integer(17)), real(18), real(19)};
    d.temperature = {int(integer(20)), real(21), real(22)};
    d.findings = findingsOf(s, 23);
    return true;
}

bool MeasurementIndex::beginWriting()
{
    if (writing)
        return true;
    if (writeRefused || !writer)
        return false;
    const QByteArray insertSql = QByteArray("INSERT OR REPLACE INTO files(") + columns +
                                 ") VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    if (!exec(writer, "BEGIN IMMEDIATE") ||
        sqlite3_prepare_v2(writer, insertSql.constData(), -1, &insert, nullptr) != SQLITE_OK ||
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
    sqlite3_reset(insert);
    RowBinder bind(insert);
    bind.text(name);
    bind.integer(stamp.size);
    bind.integer(stamp.modifiedSeconds);
    bind.integer(stamp.modifiedNanoseconds);
    bind.integer(stamp.changedSeconds);
    bind.integer(stamp.changedNanoseconds);
    bind.integer(qint64(stamp.inode));
    bind.integer(qint64(stamp.device));
    bind.integer(qint64(stamp.mount));
    for (const std::optional<QString> *text :
         {&d.smelt, &d.temperatureText, &d.emfText, &d.oxidation, &d.aluminiumMass, &d.carbon, &d.status})
        bind.optionalText(*text);
    if (d.statusCode)
        bind.integer(*d.statusCode);
    else
        bind.null();
    bind.integer(d.emf.samples);
    bind.optionalReal(d.emf.minimum);
    bind.optionalReal(d.emf.maximum);
    bind.integer(d.temperature.samples);
    bind.optionalReal(d.temperature.minimum);
    bind.optionalReal(d.temperature.maximum);
    const QByteArray findings = findingsBytes(d.findings);
    bind.bytes(findings.constData(), findings.size());
    bind.finish();
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
