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
    std::unique_lock<std::mutex> lock(mutex);
    emptied.wait(lock, [this] { return chunks.size() < chunksAhead || stopping; });
    if (stopping)
        return false;
    if (!chunk.places.empty())
        chunks.push_back(std::move(chunk));
    chunk = Chunk();
    filled.notify_one();
    return true;
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
        const int nameAt = int(chunk.bytes.size());
        chunk.bytes.append(fields[0], size_t(lengths[0]));
        const int stampAt = int(chunk.bytes.size());
        if (fields[1])
            chunk.bytes.append(fields[1], size_t(lengths[1]));
        chunk.places.insert(chunk.places.end(), {nameAt, lengths[0], stampAt, fields[1] ? lengths[1] : -1});
        if (chunk.places.size() >= chunkRows * 4)
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
        const int nameAt = int(chunk.bytes.size());
        chunk.bytes.append(name.constData(), size_t(name.size()));
        const int stampAt = int(chunk.bytes.size());
        const QByteArray stamp = rows.bytes(r, 1);
        chunk.bytes.append(stamp.constData(), size_t(stamp.size()));
        chunk.places.insert(chunk.places.end(),
                            {nameAt, int(name.size()), stampAt, rows.isNull(r, 1) ? -1 : int(stamp.size())});
    }
    handOver(chunk);
    end(rows.ok() ? QString() : connection->error());
}

void KnownFiles::end(const QString &failure)
{
    std::lock_guard<std::mutex> lock(mutex);
    error = failure;
    ended = true;
    filled.notify_all();
}

bool KnownFiles::next(Row *row)
{
    if (taken * 4 == current.places.size()) {
        current = Chunk();
        taken = 0;
        std::unique_lock<std::mutex> lock(mutex);
        filled.wait(lock, [this] { return !chunks.empty() || ended; });
        if (chunks.empty())
            return false;
        current = std::move(chunks.front());
        chunks.pop_front();
        emptied.notify_one();
    }
    const int *place = current.places.data() + taken * 4;
    ++taken;
    const char *bytes = current.bytes.data();
    *row = {bytes + place[0], place[1], place[3] < 0 ? nullptr : bytes + place[2], std::max(place[3], 0)};
    return true;
}

QString KnownFiles::failure() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return error;
}

void KnownFiles::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    emptied.notify_all();
    if (worker.joinable())
        worker.join();
}

} // namespace database
