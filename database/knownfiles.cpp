// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/knownfiles.h"

#include "database/binarycopy.h"
#include "database/pgconnection.h"
#include "database/syncschema.h"

#include <QCoreApplication>

namespace database {

KnownFiles::KnownFiles(Connection *connection, const QByteArray &quotedSchema, int archiveId)
    : connection(connection)
{
    // COPY takes no parameters: the archive's number is ours, written into the statement as digits.
    const QByteArray statement =
        inSchema("COPY (SELECT file_name_bytes, stamp FROM @schema@.measurements WHERE archive_id = ",
                 quotedSchema) +
        QByteArray::number(archiveId) +
        " AND removed IS NULL ORDER BY file_name_bytes) TO STDOUT (FORMAT binary)";
    worker = std::thread([this, statement] { produce(statement); });
}

KnownFiles::KnownFiles(Connection *connection, const QByteArray &quotedSchema, int archiveId,
                       const QVector<QByteArray> &names)
    : connection(connection)
{
    const QByteArray statement =
        inSchema("SELECT file_name_bytes, stamp FROM @schema@.measurements WHERE archive_id = $1 AND removed "
                 "IS NULL AND file_name_bytes = ANY ($2) ORDER BY file_name_bytes",
                 quotedSchema);
    worker = std::thread([this, statement, names, archiveId] { produceNamed(statement, names, archiveId); });
}

KnownFiles::~KnownFiles()
{
    stop();
}

bool KnownFiles::handOver(Chunk &chunk)
{
    const bool taken = chunk.rows.empty() ? !chunks.isCancelled() : chunks.push(std::move(chunk));
    chunk = Chunk();
    return taken;
}

void KnownFiles::Chunk::add(const char *name, int nameSize, const char *stamp, int stampSize)
{
    const int nameAt = int(bytes.size());
    bytes.append(name, size_t(nameSize));
    const int stampAt = int(bytes.size());
    if (stamp)
        bytes.append(stamp, size_t(stampSize));
    rows.push_back(Place{nameAt, nameSize, stampAt, stamp ? stampSize : -1});
}

void KnownFiles::produce(const QByteArray &statement)
{
    Chunk chunk;
    bool wanted = true;
    bool wellFormed = true;
    BinaryCopyReader reader([&](const QVector<const char *> &fields, const QVector<int> &lengths) {
        if (fields.size() != 2 || !fields[0]) {
            wellFormed = false;
            return;
        }
        chunk.add(fields[0], lengths[0], fields[1], lengths[1]);
        if (chunk.rows.size() >= chunkRows)
            wanted = handOver(chunk);
    });
    const bool read = connection->copyOut(statement, [&](const char *data, int length) {
        wellFormed = reader.add(data, length) && wellFormed;
        return wanted && wellFormed;
    });
    if (wanted)
        handOver(chunk);
    if (!read)
        end(connection->error());
    else if (!wellFormed || !reader.finished())
        end(QCoreApplication::translate("database", "the server's list of the archive's files is damaged"));
    else
        end(QString());
}

void KnownFiles::produceNamed(const QByteArray &statement, const QVector<QByteArray> &names, int archiveId)
{
    const Result rows =
        connection->exec(statement,
                         {integerParameter(archiveId),
                          Parameter{BinaryCopyWriter::byteaArray(names), false, true, oid::byteaArray}},
                         true);
    Chunk chunk;
    for (int r = 0; rows.ok() && r < rows.rows(); ++r) {
        const QByteArray name = rows.bytes(r, 0);
        const QByteArray stamp = rows.bytes(r, 1);
        chunk.add(name.constData(), name.size(), rows.isNull(r, 1) ? nullptr : stamp.constData(),
                  stamp.size());
    }
    handOver(chunk);
    end(rows.ok() ? QString() : connection->error());
}

void KnownFiles::end(const QString &failure)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        error = failure;
    }
    chunks.close();
}

bool KnownFiles::next(Row *row)
{
    if (taken == current.rows.size()) {
        current = Chunk();
        taken = 0;
        if (!chunks.pop(&current))
            return false;
    }
    const Chunk::Place &place = current.rows[taken++];
    const char *bytes = current.bytes.data();
    *row = {bytes + place.name, place.nameSize, place.stampSize < 0 ? nullptr : bytes + place.stamp,
            std::max(place.stampSize, 0)};
    return true;
}

QString KnownFiles::failure() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return error;
}

void KnownFiles::stop()
{
    chunks.cancel();
    if (worker.joinable())
        worker.join();
}

} // namespace database
