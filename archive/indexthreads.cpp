// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/indexthreads.h"

namespace archive {

RowFeed::RowFeed(MeasurementIndex *index) : index(index)
{
    if (index)
        worker = std::thread([this] { produce(); });
    else
        chunks.close();
}

RowFeed::~RowFeed()
{
    stop();
}

bool RowFeed::nextChunk()
{
    current = Chunk();
    taken = 0;
    return chunks.pop(&current);
}

void RowFeed::stop()
{
    chunks.cancel();
    if (worker.joinable())
        worker.join();
}

void RowFeed::produce()
{
    bool more = true;
    while (more) {
        Chunk chunk;
        chunk.bytes.reserve(chunkRows * 320);
        chunk.rows.reserve(chunkRows);
        MeasurementIndex::Row row;
        while (chunk.rows.size() < chunkRows && (more = index->nextRow(&row))) {
            Chunk::Place place{int(chunk.bytes.size()), row.nameSize, 0, row.recordSize, row.intact};
            chunk.bytes.append(row.name, size_t(row.nameSize));
            place.record = int(chunk.bytes.size());
            chunk.bytes.append(row.record, size_t(row.recordSize));
            chunk.rows.push_back(place);
        }
        if (chunks.isCancelled() || (!chunk.rows.empty() && !chunks.push(std::move(chunk))))
            return;
    }
    chunks.close();
}

IndexWriting::IndexWriting(MeasurementIndex *index) : index(index)
{
    if (index)
        worker = std::thread([this] { write(); });
}

IndexWriting::~IndexWriting()
{
    finish();
}

void IndexWriting::store(const QByteArray &name, const platform::FileStamp &stamp,
                         measurement::MeasurementDigest &&digest)
{
    gathered.push_back({true, name, stamp, std::move(digest)});
    if (gathered.size() >= chunkChanges)
        handOver();
}

void IndexWriting::forget(const QByteArray &name)
{
    gathered.push_back({false, name, platform::FileStamp(), measurement::MeasurementDigest()});
    if (gathered.size() >= chunkChanges)
        handOver();
}

void IndexWriting::finish()
{
    if (!worker.joinable())
        return;
    handOver();
    chunks.close();
    worker.join();
}

void IndexWriting::handOver()
{
    if (gathered.empty() || !worker.joinable())
        return;
    chunks.push(std::move(gathered));
    gathered = {};
}

void IndexWriting::write()
{
    std::vector<Change> chunk;
    while (chunks.pop(&chunk)) {
        for (const Change &change : chunk) {
            if (change.store)
                index->store(change.name, change.stamp, change.digest);
            else
                index->forget(change.name);
        }
    }
}

} // namespace archive
