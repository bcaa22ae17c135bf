// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/indexthreads.h"

namespace archive {

RowFeed::RowFeed(MeasurementIndex *index) : index(index)
{
    if (index)
        worker = std::thread([this] { produce(); });
}

RowFeed::~RowFeed()
{
    stop();
}

bool RowFeed::nextChunk()
{
    current = Chunk();
    taken = 0;
    std::unique_lock<std::mutex> lock(mutex);
    filled.wait(lock, [this] { return !chunks.empty() || ended; });
    if (chunks.empty())
        return false;
    current = std::move(chunks.front());
    chunks.pop_front();
    emptied.notify_one();
    return true;
}

void RowFeed::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    emptied.notify_all();
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
        std::unique_lock<std::mutex> lock(mutex);
        emptied.wait(lock, [this] { return chunks.size() < chunksAhead || stopping; });
        if (stopping)
            break;
        if (!chunk.rows.empty())
            chunks.push_back(std::move(chunk));
        filled.notify_one();
    }
    std::lock_guard<std::mutex> lock(mutex);
    ended = true;
    filled.notify_all();
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
    {
        std::lock_guard<std::mutex> lock(mutex);
        ending = true;
    }
    changed.notify_all();
    worker.join();
}

void IndexWriting::handOver()
{
    if (gathered.empty() || !worker.joinable())
        return;
    std::unique_lock<std::mutex> lock(mutex);
    written.wait(lock, [this] { return chunks.size() < chunksAhead; });
    chunks.push_back(std::move(gathered));
    gathered = {};
    changed.notify_one();
}

void IndexWriting::write()
{
    for (;;) {
        std::vector<Change> chunk;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return !chunks.empty() || ending; });
            if (chunks.empty())
                return;
            chunk = std::move(chunks.front());
            chunks.pop_front();
            written.notify_one();
        }
        for (const Change &change : chunk) {
            if (change.store)
                index->store(change.name, change.stamp, change.digest);
            else
                index->forget(change.name);
        }
    }
}

} // namespace archive
