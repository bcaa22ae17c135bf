// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/archivesync.h"

#include "archive/archivefolder.h"
#include "archive/measurementindex.h"
#include "archive/readingengine.h"
#include "database/binarycopy.h"
#include "database/knownfiles.h"
#include "database/pgconnection.h"
#include "database/syncschema.h"
#include "platform/filesystem.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <algorithm>

namespace database {

namespace {

// A server that does not answer within this time is given up, unless the connection string says.
constexpr int connectTimeoutSeconds = 15;
// Removals gathered before they go in a transaction of their own.
constexpr int removalsPerBatch = 50000;
// A transaction's rows are held in memory until it is sent: however many files a batch may hold,
// its data ends here (some 5,000 ordinary files).
constexpr size_t batchBytes = 16 * 1024 * 1024;

Batch newBatch()
{
    Batch batch;
    // Room for the whole batch at once: growing it would copy every row again and again.
    batch.rows.reserve(batchBytes + 64 * 1024);
    batch.rows.append(BinaryCopyWriter::header());
    return batch;
}

} // namespace

// One file of a batch on its way to the database.
struct ArchiveSync::Slot
{
    enum class Kind
    {
        unchanged,
        read,
        unreadable,
        gone, // no longer a regular file by the time it was looked at
    };
    enum class Count
    {
        added,
        changed,
        unchanged,
        waiting,
    };
    int index = 0;
    Count count = Count::added; // of a file read
    bool known = false;         // the database holds a row of this name
    bool knownStampNull = true;
    std::string knownStamp;
    Kind kind = Kind::gone;
    std::string row; // the row to send, in COPY's binary format
};

// What one run holds while it compares the archive with the database.
struct ArchiveSync::Pass
{
    Pass(const QString &directory, const QVector<QByteArray> *names, std::unique_ptr<KnownFiles> known)
        : listing(directory), names(names), known(std::move(known)), kept(this->known.get())
    {}

    archive::FolderListing listing;
    const qint64 settledBeforeNs = archive::settledBeforeNow();
    const QVector<QByteArray> *names; // only these files, or all when null
    std::unique_ptr<KnownFiles> known;
    archive::KeptRows<KnownFiles, KnownFiles::Row> kept;
    // Batches go to two senders in turn: the server takes in one while it takes in the other.
    std::unique_ptr<BatchSender> senders[2];
    int nextSender = 0;
    qint64 runId = 0;
    Batch pending = newBatch();
    SyncCounts handedOver;

    bool failed() const { return senders[0]->hasFailed() || senders[1]->hasFailed(); }
};

ArchiveSync::ArchiveSync(const QString &directory, const SyncOptions &options)
    : directory(directory), options(options), rulesVersion(rowsVersion())
{}

ArchiveSync::~ArchiveSync() = default;

bool ArchiveSync::connectionLost() const
{
    return !writer || !writer2 || !reader || writer->isLost() || writer2->isLost() || reader->isLost();
}

bool ArchiveSync::open(QString *error)
{
    const QString path = archive::MeasurementIndex::archiveKey(directory);
    if (path.isEmpty()) {
        *error = QCoreApplication::translate("database", "%1: the folder cannot be found")
                     .arg(archive::displayPath(directory));
        return false;
    }
    writer = Connection::open(options.conninfo, connectTimeoutSeconds, error);
    if (writer)
        writer2 = Connection::open(options.conninfo, connectTimeoutSeconds, error);
    if (writer2)
        reader = Connection::open(options.conninfo, connectTimeoutSeconds, error);
    if (!reader) {
        writer.reset();
        writer2.reset();
        return false;
    }
    // Before anything else each session runs: a role's or database's search_path must not put a
    // schema's functions or operators in the place of PostgreSQL's own.
    for (Connection *connection : {writer.get(), writer2.get(), reader.get()}) {
        if (!connection->pinSearchPath(connection->identifier(options.schema))) {
            *error = connection->error();
            return false;
        }
    }
    if (!suitsServer(error) || !prepareSchema(*writer, options.schema, error))
        return false;
    schema = writer->identifier(options.schema);
    if (!findArchive(path, error))
        return false;
    // The batches' commits do not wait for the disk: a server crash may lose the last of them, which
    // leaves the database as a run cut off a moment earlier would, and the next run sends them again.
    // The tables and the archive's row are made before (and waited for); the run's own end waits
    // (finishRun), and with it everything before it.
    for (Connection *batches : {writer.get(), writer2.get()}) {
        if (!batches->run("SET synchronous_commit TO off")) {
            *error = batches->error();
            return false;
        }
    }
    return true;
}

bool ArchiveSync::suitsServer(QString *error)
{
    // Identity columns and rows kept in the table's own pages (toast_tuple_target) are PostgreSQL 11's.
    if (writer->serverVersion() < 110000) {
        *error =
            QCoreApplication::translate("database", "the server is PostgreSQL %1; sync needs 11 or later")
                .arg(QString::fromUtf8(writer->serverParameter("server_version")));
        return false;
    }
    // Texts are UTF-8 on the way; a database in an encoding that cannot hold every character would
    // refuse some melt number some day, in the middle of a batch.
    const QByteArray encoding = writer->serverParameter("server_encoding");
    if (encoding != "UTF8" && encoding != "SQL_ASCII") {
        *error = QCoreApplication::translate("database",
                                             "the database's encoding is %1, which cannot hold every text "
                                             "of an archive; create it with ENCODING 'UTF8'")
                     .arg(QString::fromUtf8(encoding));
        return false;
    }
    return true;
}

bool ArchiveSync::findArchive(const QString &path, QString *error)
{
    const QVector<Parameter> key{textParameter(QSysInfo::machineHostName()), textParameter(path)};
    // Made by this statement or found made; a row made at the same moment by another run is only
    // seen by the statement's second try.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Result found = writer->exec(
            inSchema("WITH made AS (INSERT INTO @schema@.archives (host, path) VALUES ($1, $2) ON CONFLICT "
                     "DO NOTHING RETURNING archive_id) SELECT archive_id FROM made UNION ALL SELECT "
                     "archive_id FROM @schema@.archives WHERE host = $1 AND path = $2",
                     schema),
            key);
        if (!found.ok()) {
            *error = writer->error();
            return false;
        }
        if (found.rows() > 0) {
            archiveId = int(found.number(0, 0));
            return true;
        }
    }
    *error = QCoreApplication::translate("database", "the archive's row cannot be made");
    return false;
}

bool ArchiveSync::lockArchive()
{
    const QVector<Parameter> key{integerParameter(schemaLockKey(options.schema)),
                                 integerParameter(archiveId)};
    const Result tried =
        writer->exec("SELECT pg_catalog.pg_try_advisory_lock($1::integer, $2::integer)", key);
    if (!tried.ok())
        return false;
    if (tried.bytes(0, 0) == "t")
        return true;
    if (options.notice)
        options.notice(QCoreApplication::translate("database",
                                                   "another sync of %1 into this database is running; "
                                                   "waiting for it to end")
                           .arg(archive::displayPath(directory)));
    return writer->run("SELECT pg_catalog.pg_advisory_lock($1::integer, $2::integer)", key);
}

qint64 ArchiveSync::startRun()
{
    const Result started = writer->exec(
        inSchema("INSERT INTO @schema@.sync_runs (archive_id) VALUES ($1) RETURNING run_id", schema),
        {integerParameter(archiveId)});
    return started.ok() ? started.number(0, 0) : 0;
}

void ArchiveSync::finishRun(qint64 runId, SyncReport &report)
{
    // Stored in English: the table is read by whoever asks, in whichever language.
    QString outcome;
    switch (report.outcome) {
    case SyncReport::Outcome::done:
        outcome = QStringLiteral("complete");
        break;
    case SyncReport::Outcome::emptyFolderKept:
        outcome = QStringLiteral("refused: the folder holds no archive file; nothing removed");
        break;
    case SyncReport::Outcome::folderUnreadable:
        outcome = QStringLiteral("refused: the folder cannot be listed");
        break;
    case SyncReport::Outcome::failed:
        outcome = QStringLiteral("failed: ") + report.error;
        break;
    }
    if (writer->isLost())
        return;
    bool ok = writer->run("BEGIN") && writer->run("SET LOCAL synchronous_commit TO on") &&
              writer->run(
                  inSchema("UPDATE @schema@.sync_runs SET ended = pg_catalog.clock_timestamp(), outcome = $2 "
                           "WHERE run_id = $1",
                           schema),
                  {integerParameter(runId), textParameter(outcome)});
    if (ok && report.outcome == SyncReport::Outcome::done)
        ok = writer->run(
            inSchema("UPDATE @schema@.archives SET last_synced = pg_catalog.now() WHERE archive_id = $1",
                     schema),
            {integerParameter(archiveId)});
    ok = ok && writer->run("COMMIT");
    // Success is only told once the run's end is on the server's disk, and every batch before it.
    if (!ok && report.outcome == SyncReport::Outcome::done)
        fail(report, writer->error());
    if (!ok && !writer->isLost())
        writer->run("ROLLBACK");
}

QString ArchiveSync::fail(SyncReport &report, const QString &error)
{
    report.outcome = SyncReport::Outcome::failed;
    report.error = error;
    return error;
}

SyncReport ArchiveSync::run()
{
    return runPass(nullptr);
}

SyncReport ArchiveSync::runFiles(const QVector<QByteArray> &encodedNames)
{
    // Each name once: a file listed twice would be sent twice.
    QVector<QByteArray> names = encodedNames;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return runPass(&names);
}

SyncReport ArchiveSync::runPass(const QVector<QByteArray> *names)
{
    SyncReport report;
    if (connectionLost()) {
        fail(report, QCoreApplication::translate("database", "not connected"));
        return report;
    }
    if (!lockArchive()) {
        fail(report, writer->error());
        return report;
    }
    const qint64 runId = startRun();
    if (runId == 0) {
        fail(report, writer->error());
    } else {
        Pass pass(directory, names,
                  names ? std::make_unique<KnownFiles>(reader.get(), schema, archiveId, *names)
                        : std::make_unique<KnownFiles>(reader.get(), schema, archiveId));
        pass.runId = runId;
        compare(pass, report);
        pass.known->stop();
        finishRun(runId, report);
    }
    if (!writer->isLost())
        writer->run("SELECT pg_catalog.pg_advisory_unlock($1::integer, $2::integer)",
                    {integerParameter(schemaLockKey(options.schema)), integerParameter(archiveId)});
    return report;
}

bool ArchiveSync::list(Pass &pass) const
{
    if (!pass.names)
        return pass.listing.list();
    for (const QByteArray &name : *pass.names)
        pass.listing.add(name);
    return true;
}

void ArchiveSync::compare(Pass &pass, SyncReport &report)
{
    // The database's rows are read while the folder is listed.
    if (!list(pass)) {
        report.outcome = SyncReport::Outcome::folderUnreadable;
        return;
    }
    report.listed = pass.listing.size();
    const bool anyRow = pass.kept.start();
    if (!anyRow && !pass.known->failure().isEmpty()) {
        fail(report, pass.known->failure());
        return;
    }
    if (pass.listing.size() == 0 && anyRow && !pass.names) {
        report.outcome = SyncReport::Outcome::emptyFolderKept;
        return;
    }
    // With rows to compare, every file's stamp is taken on all cores while the names are sorted.
    pass.listing.sort(anyRow);

    pass.senders[0] =
        std::make_unique<BatchSender>(writer.get(), schema, archiveId, pass.runId, options.keepRemoved);
    pass.senders[1] =
        std::make_unique<BatchSender>(writer2.get(), schema, archiveId, pass.runId, options.keepRemoved);
    archive::BatchSteps<Slot> steps;
    steps.prepare = [this, &pass](Slot &slot, int index) { prepare(pass, slot, index); };
    steps.read = [this, &pass](Slot &slot) { readFile(pass, slot); };
    steps.handOver = [this, &pass, &report](std::vector<Slot> &batch) { handOver(pass, batch, report); };
    steps.stop = [&pass] { return pass.failed(); };
    archive::readInBatches(pass.listing.size(), steps);
    // Rows after the last name listed belong to files that are gone.
    pass.kept.drain(
        [this, &pass](const KnownFiles::Row &row) {
            pass.pending.removed.append(QByteArray(row.name, row.nameSize));
            ++pass.pending.counts.removed;
            if (pass.pending.removed.size() >= removalsPerBatch)
                sendPending(pass);
        },
        [&pass] { return !pass.failed(); });
    sendPending(pass);
    QString error = pass.known->failure();
    for (std::unique_ptr<BatchSender> &sender : pass.senders) {
        if (!sender->finish(&error))
            break;
    }
    if (!error.isEmpty()) {
        fail(report, error);
        return;
    }
    report.counts = pass.handedOver;
    report.outcome = SyncReport::Outcome::done;
}

// Takes what the database holds of the file; the rows before it belong to files that are gone.
void ArchiveSync::prepare(Pass &pass, Slot &slot, int index)
{
    slot.index = index;
    slot.known = false;
    slot.knownStampNull = true;
    pass.kept.seek(
        pass.listing.names().bytes(index),
        [&pass](const KnownFiles::Row &row) {
            pass.pending.removed.append(QByteArray(row.name, row.nameSize));
            ++pass.pending.counts.removed;
        },
        [&slot](const KnownFiles::Row &row) {
            slot.known = true;
            slot.knownStampNull = !row.stamp;
            if (row.stamp)
                slot.knownStamp.assign(row.stamp, size_t(row.stampSize));
        });
}

// Runs on all cores: every status call, every read and the making of every row happen here.
void ArchiveSync::readFile(Pass &pass, Slot &slot) const
{
    slot.row.clear();
    const QByteArray path = pass.listing.path(slot.index);
    if (slot.known) {
        const std::optional<platform::FileStamp> now = pass.listing.stamp(slot.index);
        if (!now) {
            slot.kind = Slot::Kind::gone;
            return;
        }
        if (!slot.knownStampNull &&
            stampMatches(*now, rulesVersion, slot.knownStamp.data(), int(slot.knownStamp.size()))) {
            slot.kind = Slot::Kind::unchanged;
            return;
        }
    }
    std::optional<platform::FileStamp> atOpen;
    const std::optional<measurement::Measurement> m = measurement::readMeasurementFile(path, &atOpen);
    if (!atOpen || !m) {
        // Not opened: the listing's word that it is a file stands if a status call still finds one.
        slot.kind = platform::regularFileStamp(path) ? Slot::Kind::unreadable : Slot::Kind::gone;
        return;
    }
    FileRow file;
    file.archiveId = archiveId;
    const archive::ListedNames &listed = pass.listing.names();
    file.fileName = listed.name(slot.index);
    file.nameBytes = listed.bytes(slot.index);
    file.decodable = !listed.undecodable(slot.index);
    file.stamp = *atOpen;
    // A change within the clock's resolution of the reading would go unseen: such a file is sent
    // without a stamp, and so read again by the next run.
    file.settled = atOpen->settledBefore(pass.settledBeforeNs);
    countRead(slot, file, *m);
    writeMeasurementRow(&slot.row, file, *m, rulesVersion);
    slot.kind = Slot::Kind::read;
}

void ArchiveSync::countRead(Slot &slot, FileRow &file, const measurement::Measurement &m) const
{
    // Changed is what the content (or the name's bytes) is, not what the times say: a copy, a touch
    // or a restore makes a file read again, but counted unchanged. A row without a stamp was left by
    // a run before stamps kept a digest, and was counted then.
    const KeptStamp kept = slot.knownStampNull
                               ? KeptStamp()
                               : keptStamp(slot.knownStamp.data(), int(slot.knownStamp.size()), rulesVersion);
    const bool counted = slot.known && kept.counted;
    if (!file.settled) {
        // Still being written, perhaps: the next run counts it, against what was counted before.
        slot.count = Slot::Count::waiting;
        file.counted = counted;
        file.countedDigest = counted ? kept.digest : QByteArray();
        return;
    }
    const QByteArray digest = contentDigest(file, m, rulesVersion);
    slot.count = !counted                ? Slot::Count::added
                 : kept.digest == digest ? Slot::Count::unchanged
                                         : Slot::Count::changed;
    file.counted = true;
    file.countedDigest = digest;
}

void ArchiveSync::handOver(Pass &pass, std::vector<Slot> &batch, SyncReport &report)
{
    for (Slot &slot : batch) {
        Batch &pending = pass.pending;
        const auto name = [&] {
            const QByteArray bytes = pass.listing.names().bytes(slot.index);
            return QByteArray(bytes.constData(), bytes.size());
        };
        switch (slot.kind) {
        case Slot::Kind::unchanged:
            ++pending.counts.unchanged;
            break;
        case Slot::Kind::gone:
            if (slot.known) {
                pending.removed.append(name());
                ++pending.counts.removed;
            }
            break;
        case Slot::Kind::unreadable:
            // Left out, as find leaves it out; its earlier row goes.
            report.unreadable.append(pass.listing.names().name(slot.index));
            ++pending.counts.failed;
            if (slot.known)
                pending.replaced.append(name());
            break;
        case Slot::Kind::read:
            if (slot.known)
                pending.replaced.append(name());
            ++(slot.count == Slot::Count::added       ? pending.counts.added
               : slot.count == Slot::Count::changed   ? pending.counts.changed
               : slot.count == Slot::Count::unchanged ? pending.counts.unchanged
                                                      : pending.counts.waiting);
            pending.rows += slot.row;
            ++pending.rowCount;
            break;
        }
        if (pending.rowCount >= options.batchRows || pending.rows.size() >= batchBytes ||
            pending.removed.size() + pending.replaced.size() >= removalsPerBatch)
            sendPending(pass);
    }
    if (options.progress && !batch.empty())
        options.progress(batch.back().index + 1, pass.listing.size());
}

void ArchiveSync::sendPending(Pass &pass)
{
    const SyncCounts &c = pass.pending.counts;
    if (pass.pending.isEmpty() && c.unchanged == 0 && c.failed == 0)
        return;
    pass.handedOver += c;
    pass.senders[pass.nextSender]->send(std::move(pass.pending));
    pass.nextSender = 1 - pass.nextSender;
    pass.pending = newBatch();
}

} // namespace database
