// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/measurementindex.h"

#include "platform/filesystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>

namespace archive {

using platform::FileStamp;

namespace {

// "STLI": tells our index files from any other SQLite file that may sit under the same name.
constexpr int applicationId = 0x53544c49;
// The layout of the tables; a file of another layout is made anew.
constexpr int formatVersion = 1;
// How long a run waits for another run's lock before it goes on without writing.
constexpr int busyMilliseconds = 200;

const char *const schema =
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS files("
    " name TEXT PRIMARY KEY, size INTEGER, mtime_s INTEGER, mtime_ns INTEGER,"
    " ctime_s INTEGER, ctime_ns INTEGER, inode INTEGER,"
    " smelt TEXT, temp TEXT, eds TEXT, ox TEXT, al TEXT, carbon TEXT,"
    " status TEXT, status_code INTEGER,"
    " emf_n INTEGER, emf_min REAL, emf_max REAL, temp_n INTEGER, temp_min REAL, temp_max REAL,"
    " findings TEXT) WITHOUT ROWID;";

const char *const columns =
    "name, size, mtime_s, mtime_ns, ctime_s, ctime_ns, inode, smelt, temp, eds, ox, al, "
    "carbon, status, status_code, emf_n, emf_min, emf_max, temp_n, temp_min, temp_max, "
    "findings";

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
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
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

void removeIndexFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
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
    const char *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

std::optional<double> optionalReal(sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_double(statement, column);
}

void bindText(sqlite3_stmt *statement, int column, const std::optional<QString> &text)
{
    if (!text) {
        sqlite3_bind_null(statement, column);
        return;
    }
    const QByteArray bytes = text->toUtf8();
    sqlite3_bind_text(statement, column, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
}

void bindReal(sqlite3_stmt *statement, int column, const std::optional<double> &value)
{
    if (value)
        sqlite3_bind_double(statement, column, *value);
    else
        sqlite3_bind_null(statement, column);
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

QString MeasurementIndex::indexPath(const QString &directory)
{
    const QByteArray hash = QCryptographicHash::hash(directory.toUtf8(), QCryptographicHash::Sha1).toHex();
    return cacheFolder() + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".sqlite");
}

std::unique_ptr<MeasurementIndex> MeasurementIndex::open(const QString &directory,
                                                         const QString &rulesVersion)
{
    if (!QDir().mkpath(cacheFolder()))
        return nullptr;
    std::unique_ptr<MeasurementIndex> index(new MeasurementIndex);
    index->path = indexPath(directory);
    for (int attempt = 0; attempt < 2; ++attempt) {
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
    row->name =
        QByteArray(reinterpret_cast<const char *>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0));
    row->stamp.size = sqlite3_column_int64(s, 1);
    row->stamp.modifiedSeconds = sqlite3_column_int64(s, 2);
    row->stamp.modifiedNanoseconds = sqlite3_column_int64(s, 3);
    row->stamp.changedSeconds = sqlite3_column_int64(s, 4);
    row->stamp.changedNanoseconds = sqlite3_column_int64(s, 5);
    row->stamp.inode = quint64(sqlite3_column_int64(s, 6));
    measurement::MeasurementDigest &d = row->digest;
    d.smelt = optionalText(s, 7);
    d.temperatureText = optionalText(s, 8);
    d.emfText = optionalText(s, 9);
    d.oxidation = optionalText(s, 10);
    d.aluminiumMass = optionalText(s, 11);
    d.carbon = optionalText(s, 12);
    d.status = optionalText(s, 13);
    d.statusCode = sqlite3_column_type(s, 14) == SQLITE_NULL ? std::nullopt
                                                             : std::optional<int>(sqlite3_column_int(s, 14));
    d.emf = {sqlite3_column_int(s, 15), optionalReal(s, 16), optionalReal(s, 17)};
    d.temperature = {sqlite3_column_int(s, 18), optionalReal(s, 19), optionalReal(s, 20)};
    d.findings.clear();
    if (sqlite3_column_type(s, 21) != SQLITE_NULL) {
        const QJsonArray findings =
            QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, 21)),
                                               sqlite3_column_bytes(s, 21)))
                .array();
        for (const QJsonValue &finding : findings)
            d.findings.append(finding.toString());
    }
    return true;
}

bool MeasurementIndex::beginWriting()
{
    if (writing)
        return true;
    if (writeRefused || !writer)
        return false;
    const QByteArray insertSql = QByteArray("INSERT OR REPLACE INTO files(") + columns +
                                 ") VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
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
    sqlite3_stmt *s = insert;
    sqlite3_reset(s);
    sqlite3_bind_text(s, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 2, stamp.size);
    sqlite3_bind_int64(s, 3, stamp.modifiedSeconds);
    sqlite3_bind_int64(s, 4, stamp.modifiedNanoseconds);
    sqlite3_bind_int64(s, 5, stamp.changedSeconds);
    sqlite3_bind_int64(s, 6, stamp.changedNanoseconds);
    sqlite3_bind_int64(s, 7, qint64(stamp.inode));
    bindText(s, 8, d.smelt);
    bindText(s, 9, d.temperatureText);
    bindText(s, 10, d.emfText);
    bindText(s, 11, d.oxidation);
    bindText(s, 12, d.aluminiumMass);
    bindText(s, 13, d.carbon);
    bindText(s, 14, d.status);
    if (d.statusCode)
        sqlite3_bind_int(s, 15, *d.statusCode);
    else
        sqlite3_bind_null(s, 15);
    sqlite3_bind_int(s, 16, d.emf.samples);
    bindReal(s, 17, d.emf.minimum);
    bindReal(s, 18, d.emf.maximum);
    sqlite3_bind_int(s, 19, d.temperature.samples);
    bindReal(s, 20, d.temperature.minimum);
    bindReal(s, 21, d.temperature.maximum);
    if (d.findings.isEmpty())
        sqlite3_bind_null(s, 22);
    else
        bindText(s, 22,
                 QString::fromUtf8(
                     QJsonDocument(QJsonArray::fromStringList(d.findings)).toJson(QJsonDocument::Compact)));
    if (sqlite3_step(s) != SQLITE_DONE)
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
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    keepWithinLimit(path);
}

} // namespace archive
