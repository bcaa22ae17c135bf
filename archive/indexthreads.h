// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/measurementindex.h"
#include "measurement/measurementdigest.h"
#include "platform/filestamp.h"
#include "platform/workqueue.h"

#include <QByteArray>

#include <string>
#include <thread>
#include <vector>

// The index on threads of its own beside a reading: its rows read ahead of the merge with the
// listing, its changes written behind the hand-over, each a bounded stretch at a time, so that neither
// the reading nor the visitor waits for SQLite.
namespace archive {

// The index's rows, stepped over and checksummed on a thread of their own a bounded stretch ahead
// of the merge with the listing: a warm run reads rows while the folder is listed and while it hands
// over the files before them. Rows travel as their bytes, a chunk of them in one buffer; their records
// are read by the readers, on all cores.
class RowFeed
{
public:
    // No index: no rows.
    explicit RowFeed(MeasurementIndex *index);
    ~RowFeed();
    RowFeed(const RowFeed &) = delete;
    RowFeed &operator=(const RowFeed &) = delete;

    // The next row; its name and record stay valid until the following call.
    bool next(MeasurementIndex::Row *row)
    {
        if (taken == current.rows.size() && !nextChunk())
            return false;
        const Chunk::Place &place = current.rows[taken++];
        const char *bytes = current.bytes.data();
        *row = {bytes + place.name, place.nameSize, bytes + place.record, place.recordSize, place.intact};
        return true;
    }

    // No row is read after this: the index may be finished.
    void stop();

private:
    struct Chunk
    {
        struct Place
        {
            int name;
            int nameSize;
            int record;
            int recordSize;
            bool intact;
        };
        std::string bytes;
        std::vector<Place> rows;
    };
    // Up to 16k rows ahead (a few MB): stepping over rows is quick enough to keep ahead of the
    // merge without a long stretch held in memory.
    static constexpr size_t chunkRows = 256;
    static constexpr size_t chunksAhead = 64;

    bool nextChunk();
    void produce();

    MeasurementIndex *index;
    platform::BoundedQueue<Chunk> chunks{chunksAhead};
    std::thread worker;
    Chunk current; // the consumer's own
    size_t taken = 0;
};

// The changes to the index, written on a thread of their own in the order given: the hand-over of
// the files never waits for SQLite. A bounded stretch of changes is held at a time.
class IndexWriting
{
public:
    // No index: the changes go nowhere.
    explicit IndexWriting(MeasurementIndex *index);
    ~IndexWriting();
    IndexWriting(const IndexWriting &) = delete;
    IndexWriting &operator=(const IndexWriting &) = delete;

    void store(const QByteArray &name, const platform::FileStamp &stamp,
               measurement::MeasurementDigest &&digest);
    void forget(const QByteArray &name);
    // Every change given is with the index after this.
    void finish();

private:
    struct Change
    {
        bool store;
        QByteArray name;
        platform::FileStamp stamp;
        measurement::MeasurementDigest digest;
    };
    static constexpr size_t chunkChanges = 512;
    static constexpr size_t chunksAhead = 8;

    void handOver();
    void write();

    MeasurementIndex *index;
    platform::BoundedQueue<std::vector<Change>> chunks{chunksAhead};
    std::thread worker;
    std::vector<Change> gathered; // the caller's own
};

} // namespace archive
