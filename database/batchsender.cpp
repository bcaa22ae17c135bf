// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/batchsender.h"

#include "database/binarycopy.h"
#include "database/measurementrow.h"
#include "database/pgconnection.h"
#include "database/syncschema.h"

namespace database {

namespace {

Parameter namesParameter(const QVector<QByteArray> &names)
{
    return Parameter{BinaryCopyWriter::byteaArray(names), false, true, oid::byteaArray};
}

} // namespace

BatchSender::BatchSender(Connection *connection, const QByteArray &quotedSchema, int archiveId, qint64 runId,
                         bool keepRemoved)
    : connection(connection), schema(quotedSchema), archiveId(archiveId), runId(runId),
      keepRemoved(keepRemoved)
{
    worker = std::thread([this] { work(); });
}

BatchSender::~BatchSender()
{
    QString ignored;
    finish(&ignored);
}

bool BatchSender::send(Batch &&batch)
{
    return batches.push(std::move(batch));
}

bool BatchSender::finish(QString *error)
{
    batches.close();
    if (worker.joinable())
        worker.join();
    const std::lock_guard<std::mutex> lock(mutex);
    if (failed)
        *error = this->error;
    return !failed;
}

bool BatchSender::hasFailed() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return failed;
}

void BatchSender::work()
{
    Batch batch;
    while (batches.pop(&batch)) {
        if (!transact(batch)) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                failed = true;
                error = connection->error();
            }
            // What waits is not sent, and send() says the run is over.
            batches.cancel();
            return;
        }
    }
}

bool BatchSender::transact(Batch &batch)
{
    const Parameter archive = integerParameter(archiveId);
    QVector<QByteArray> deleted = batch.replaced;
    if (!keepRemoved)
        deleted += batch.removed;
    bool ok = connection->run("BEGIN");
    if (ok && !deleted.isEmpty())
        ok = connection->run(
            inSchema("DELETE FROM @schema@.measurements WHERE archive_id = $1 AND removed IS NULL "
                     "AND file_name_bytes = ANY ($2)",
                     schema),
            {archive, namesParameter(deleted)});
    if (ok && keepRemoved && !batch.removed.isEmpty())
        ok = connection->run(
            inSchema("UPDATE @schema@.measurements SET removed = pg_catalog.now() WHERE archive_id = $1 "
                     "AND removed IS NULL AND file_name_bytes = ANY ($2)",
                     schema),
            {archive, namesParameter(batch.removed)});
    if (ok && batch.rowCount > 0) {
        batch.rows += BinaryCopyWriter::trailer();
        ok = connection->copyIn(inSchema("COPY @schema@.measurements (", schema) + measurementColumns +
                                    ") FROM STDIN (FORMAT binary)",
                                batch.rows.data(), qint64(batch.rows.size()));
    }
    const SyncCounts &c = batch.counts;
    if (ok)
        ok = connection->run(
            inSchema("UPDATE @schema@.sync_runs SET files_added = files_added + $2, files_changed = "
                     "files_changed + $3, files_removed = files_removed + $4, files_failed = files_failed + "
                     "$5, files_unchanged = files_unchanged + $6, files_waiting = files_waiting + $7 WHERE "
                     "run_id = $1",
                     schema),
            {integerParameter(runId), integerParameter(c.added), integerParameter(c.changed),
             integerParameter(c.removed), integerParameter(c.failed), integerParameter(c.unchanged),
             integerParameter(c.waiting)});
    if (ok)
        ok = connection->run("COMMIT");
    // The reason stays the failing statement's: a rollback that succeeds leaves it alone.
    if (!ok && !connection->isLost())
        connection->run("ROLLBACK");
    return ok;
}

} // namespace database
