// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivereader.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "archive/listedfiles.h"
#include "archive/measurementindex.h"
#include "platform/filesystem.h"

#include <QDateTime>
#include <QFile>
#include <QTextCodec>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace archive {

using platform::FileStamp;

namespace {

// Files read between two hand-overs: enough to keep every core busy, few enough to bound memory.
constexpr int batchSize = 2048;

int compareBytes(const MeasurementIndex::Row &row, const QByteArray &name)
{
    const int common = std::min(row.nameSize, name.size());
    const int order = std::memcmp(row.name, name.constData(), size_t(common));
    return order != 0 ? order : row.nameSize - name.size();
}

// One file of a batch on its way to the visitor.
struct Slot
{
    int index = 0;
    bool indexed = false; // the index has a row of this name
    bool known = false;   // the index had it under its current stamp
    bool stale = false;   // the index had it under another stamp
    bool read = false;
    bool gone = false;     // no longer a regular file by the time it was looked at
    bool fileable = false; // read unchanged and settled: may go into the index
    FileStamp stamp;       // as looked at, or as opened for reading
    std::string record;    // the index's record of the file
    measurement::MeasurementDigest digest;
};

// The index's rows, stepped over and checksummed on a thread of their own a bounded stretch ahead
// of the merge with the listing: a warm run reads rows while the folder is listed and while it hands
// over the files before them. Rows travel as their bytes, a chunk of them in one buffer; their records
// are read by the readers, on all cores.
class RowFeed
{
public:
    explicit RowFeed(MeasurementIndex *index) : index(index)
    {
        if (index)
            worker = std::thread([this] { produce(); });
    }
    ~RowFeed() { stop(); }

    // The next row; its name and record stay valid until the following call.
    bool next(MeasurementIndex::Row *row)
    {
        if (taken == current.rows.size()) {
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
        const Chunk::Place &place = current.rows[taken++];
        const char *bytes = current.bytes.data();
        *row = {bytes + place.name, place.nameSize, bytes + place.record, place.recordSize, place.intact};
        return true;
    }

    // No row is read after this: the index may be finished.
    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        emptied.notify_all();
        if (worker.joinable())
            worker.join();
    }

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

    void produce()
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

    MeasurementIndex *index;
    std::thread worker;
    std::mutex mutex;
    std::condition_variable filled;
    std::condition_variable emptied;
    std::deque<Chunk> chunks;
    bool ended = false;
    bool stopping = false;
    Chunk current; // the consumer's own
    size_t taken = 0;
};

// The changes to the index, written on a thread of their own in the order given: the hand-over of
// the files never waits for SQLite. A bounded stretch of changes is held at a time.
class IndexWriting
{
public:
    explicit IndexWriting(MeasurementIndex *index) : index(index)
    {
        if (index)
            worker = std::thread([this] { write(); });
    }
    ~IndexWriting() { finish(); }

    void store(const QByteArray &name, const FileStamp &stamp, measurement::MeasurementDigest &&digest)
    {
        gathered.push_back({true, name, stamp, std::move(digest)});
        if (gathered.size() >= chunkChanges)
            handOver();
    }
    void forget(const QByteArray &name)
    {
        gathered.push_back({false, name, FileStamp(), measurement::MeasurementDigest()});
        if (gathered.size() >= chunkChanges)
            handOver();
    }
    // Every change given is with the index after this.
    void finish()
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

private:
    struct Change
    {
        bool store;
        QByteArray name;
        FileStamp stamp;
        measurement::MeasurementDigest digest;
    };
    static constexpr size_t chunkChanges = 512;
    static constexpr size_t chunksAhead = 8;

    void handOver()
    {
        if (gathered.empty() || !worker.joinable())
            return;
        std::unique_lock<std::mutex> lock(mutex);
        written.wait(lock, [this] { return chunks.size() < chunksAhead; });
        chunks.push_back(std::move(gathered));
        gathered = {};
        changed.notify_one();
    }

    void write()
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

    MeasurementIndex *index;
    std::thread worker;
    std::mutex mutex;
    std::condition_variable changed;
    std::condition_variable written;
    std::deque<std::vector<Change>> chunks;
    bool ending = false;
    std::vector<Change> gathered; // the caller's own
};

} // namespace

QString ArchiveFile::shownName() const
{
    return undecodableName ? fileName : displayName(fileName);
}

qint64 indexSettleMilliseconds()
{
    // Two seconds cover the coarsest common file-system clock (FAT). Tests that cannot wait that
    // long name a shorter time.
    bool ok = false;
    const qint64 fromEnvironment = qEnvironmentVariable("STEEL_ARCHIVE_INDEX_SETTLE_MS").toLongLong(&ok);
    return ok && fromEnvironment >= 0 ? fromEnvironment : 2000;
}

bool readArchive(const QString &directory, const ArchiveReadOptions &options,
                 const std::function<void(const ArchiveFile &file)> &visit)
{
    const qint64 startNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
    const qint64 settledBeforeNs = startNs - indexSettleMilliseconds() * 1000000;

    const QString folder = directory.isEmpty() ? QStringLiteral(".") : directory;
    const QByteArray encodedFolder = platform::encodeFileName(folder) + '/';
    // The index is opened and its rows decoded while the folder is listed, which is mostly the
    // system's work: the merge then finds a good stretch of them ready.
    std::unique_ptr<MeasurementIndex> index;
    if (options.useIndex)
        index = MeasurementIndex::open(folder, options.rulesVersion);
    RowFeed rows(index.get());
    ListedNames listed;
    const bool listable = forEachArchiveFileName(
        directory, technologyPattern(), [&](QStringView name, const QByteArray &undecodable) {
            if (undecodable.isEmpty() ? (!options.wanted || options.wanted(name))
                                      : (!options.wanted || options.wanted(displayName(undecodable))))
                listed.add(name, undecodable);
        });
    if (!listable)
        return false;
    // An index with rows: the files' stamps are taken on every core while the names are sorted.
    MeasurementIndex::Row row;
    bool haveRow = index && rows.next(&row);
    ListedStamps stamps;
    if (haveRow)
        stamps.start(listed, encodedFolder);
    listed.sortByName();
    stamps.finish();

    // Only a name-filtered run misses files: it must not forget rows of the files it did not list.
    const bool listedAll = !options.wanted;
    IndexWriting writes(index.get());

    // Runs on all cores: every status call and every read happens here, none in the listing.
    const auto readFile = [&](Slot &slot) {
        // What the slot held in the batch before is let go here, on the thread that made most of it.
        slot.stale = slot.read = slot.gone = slot.fileable = false;
        slot.stamp = FileStamp();
        slot.digest = measurement::MeasurementDigest();
        const auto path = [&] { return encodedFolder + listed.encodedName(slot.index); };
        if (slot.indexed) {
            const std::optional<FileStamp> now =
                stamps.taken() ? stamps.at(listed.listed(slot.index)) : platform::regularFileStamp(path());
            if (!now) {
                slot.gone = true;
                return;
            }
            FileStamp indexed;
            const char *record = slot.record.data();
            const int size = int(slot.record.size());
            if (slot.known && MeasurementIndex::readRecord(record, size, &indexed) && *now == indexed &&
                MeasurementIndex::readRecord(record, size, &indexed, &slot.digest)) {
                slot.stamp = *now;
                slot.read = true;
                return;
            }
            slot.known = false;
            slot.stale = true;
            slot.digest = measurement::MeasurementDigest();
        }
        std::optional<FileStamp> atOpen;
        const std::optional<measurement::Measurement> m = measurement::readMeasurementFile(path(), &atOpen);
        if (!atOpen) {
            // Not opened: the listing's word that it is a file stands if a status call still finds
            // one (an unreadable file is named as such); one that is gone since is left out.
            const std::optional<FileStamp> now = platform::regularFileStamp(path());
            slot.gone = !now;
            slot.stamp = now.value_or(FileStamp());
            return;
        }
        slot.stamp = *atOpen;
        if (!m)
            return;
        slot.read = true;
        slot.digest = measurement::digestOf(*m, options.findings ? options.findings(*m) : QStringList());
        // Filed under the stamp it was opened with: a change while it is read changes the stamp, and
        // a change within the clock's resolution of the reading is kept out by the settling time.
        const FileStamp &stamp = slot.stamp;
        const qint64 lastChangeNs = std::max(stamp.modifiedSeconds * 1000000000 + stamp.modifiedNanoseconds,
                                             stamp.changedSeconds * 1000000000 + stamp.changedNanoseconds);
        slot.fileable = lastChangeNs < settledBeforeNs;
    };
    // Takes what the index knows for the batch's files and names the ones to read.
    const auto prepare = [&](std::vector<Slot> &batch, int first) {
        const int count = std::min(batchSize, listed.size() - first);
        // The slots are reused: the readers let go of what they held.
        batch.resize(size_t(count));
        std::vector<Slot *> toRead;
        for (int k = 0; k < count; ++k) {
            Slot &slot = batch[size_t(k)];
            slot.index = first + k;
            slot.indexed = slot.known = false;
            slot.record.clear();
            const QByteArray name = listed.bytes(slot.index);
            // Rows before this name belong to files that are gone.
            while (haveRow && compareBytes(row, name) < 0) {
                if (listedAll)
                    writes.forget(QByteArray(row.name, row.nameSize));
                haveRow = rows.next(&row);
            }
            if (haveRow && compareBytes(row, name) == 0) {
                // Whether the row still holds is decided where the file is looked at.
                slot.indexed = true;
                if (row.intact) {
                    slot.known = true;
                    slot.record.assign(row.record, size_t(row.recordSize));
                }
                haveRow = rows.next(&row);
            }
            toRead.push_back(&slot);
        }
        return toRead;
    };
    const auto handOver = [&](std::vector<Slot> &batch) {
        for (Slot &slot : batch) {
            if (slot.gone) {
                if (index && slot.indexed && !listed.undecodable(slot.index))
                    writes.forget(listed.bytes(slot.index));
                continue;
            }
            visit(ArchiveFile{
                listed.name(slot.index), slot.stamp, slot.read ? &slot.digest : nullptr,
                listed.undecodable(slot.index),
                listed.undecodable(slot.index)
                    ? QByteArray(listed.bytes(slot.index).constData(), listed.bytes(slot.index).size())
                    : QByteArray()});
            // Rows hold names as text: a name no text can hold is read every time.
            if (!index || slot.known || listed.undecodable(slot.index))
                continue;
            if (slot.fileable)
                writes.store(listed.bytes(slot.index), slot.stamp, std::move(slot.digest));
            else if (slot.stale)
                writes.forget(listed.bytes(slot.index));
        }
        if (options.progress)
            options.progress(batch.empty() ? 0 : batch.back().index + 1, listed.size());
    };

    std::vector<Slot> batches[2];
    BackgroundReading<Slot> reading;
    int current = 0;
    if (listed.size() > 0)
        reading.start(prepare(batches[0], 0), readFile);
    for (int first = 0; first < listed.size(); first += batchSize) {
        reading.finish();
        const int following = first + batchSize;
        if (following < listed.size())
            reading.start(prepare(batches[1 - current], following), readFile);
        handOver(batches[current]);
        current = 1 - current;
    }
    reading.finish();
    if (index) {
        while (haveRow && listedAll) {
            writes.forget(QByteArray(row.name, row.nameSize));
            haveRow = rows.next(&row);
        }
        rows.stop();
        writes.finish();
        index->finish();
    }
    return true;
}

} // namespace archive
