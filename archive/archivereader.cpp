// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivereader.h"

#include "archive/archivefolder.h"
#include "archive/displayname.h"
#include "archive/indexrecord.h"
#include "archive/indexthreads.h"
#include "archive/measurementindex.h"
#include "archive/readingengine.h"
#include "platform/filesystem.h"

#include <atomic>
#include <memory>
#include <vector>

namespace archive {

using platform::FileStamp;

namespace {

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

// One reading of a whole folder for the index's consumers: the folder's listing merged with the
// index's rows. What the index knows of a file under its current stamp is taken, the other files are
// read, and what was read goes to the index on a thread of its own.
class FolderReading
{
public:
    FolderReading(const QString &directory, const ArchiveReadOptions &options,
                  const std::function<void(const ArchiveFile &file)> &visit);

    // Lists the folder and takes the stamps the index's rows are compared with; false if the folder
    // could not be listed.
    bool list();
    // Reads and hands over every listed file, then brings the index up to date.
    void readAll();

private:
    void prepare(Slot &slot, int index);
    void read(Slot &slot) const;
    bool takeFromIndex(Slot &slot) const;
    void readFile(Slot &slot) const;
    void handOver(std::vector<Slot> &batch);
    void finishIndex();

    const ArchiveReadOptions &options;
    const std::function<void(const ArchiveFile &file)> &visit;
    // Files changed after this are read but not filed: see indexSettleMilliseconds().
    const qint64 settledBeforeNs;
    // Only a name-filtered run misses files: it must not forget rows of the files it did not list.
    const bool listedAll;
    std::unique_ptr<MeasurementIndex> index;
    RowFeed rows;
    KeptRows<RowFeed, MeasurementIndex::Row> kept;
    FolderListing listing;
    bool stopped = false; // the caller asked for no more
    IndexWriting writes;
};

FolderReading::FolderReading(const QString &directory, const ArchiveReadOptions &options,
                             const std::function<void(const ArchiveFile &file)> &visit)
    : options(options), visit(visit), settledBeforeNs(settledBeforeNow()), listedAll(!options.wanted),
      // The index is opened and its rows decoded while the folder is listed, which is mostly the
      // system's work: the merge then finds a good stretch of them ready.
      index(options.useIndex ? MeasurementIndex::open(folderPath(directory), options.rulesVersion) : nullptr),
      rows(index.get()), kept(index ? &rows : nullptr), listing(directory), writes(index.get())
{}

bool FolderReading::list()
{
    // An index with rows: the files' stamps are taken on every core while the folder is read.
    if (!listing.list(options.wanted, kept.start()))
        return false;
    listing.sort(false);
    return true;
}

// Takes what the index knows of the file; the rows before it belong to files that are gone.
void FolderReading::prepare(Slot &slot, int index)
{
    slot.index = index;
    slot.indexed = slot.known = false;
    slot.record.clear();
    kept.seek(
        listing.names().bytes(index),
        [this](const MeasurementIndex::Row &row) {
            if (listedAll)
                writes.forget(QByteArray(row.name, row.nameSize));
        },
        [&slot](const MeasurementIndex::Row &row) {
            // Whether the row still holds is decided where the file is looked at.
            slot.indexed = true;
            if (row.intact) {
                slot.known = true;
                slot.record.assign(row.record, size_t(row.recordSize));
            }
        });
}

// Runs on all cores: every status call and every read happens here, none in the listing.
void FolderReading::read(Slot &slot) const
{
    // What the slot held in the batch before is let go here, on the thread that made most of it.
    slot.stale = slot.read = slot.gone = slot.fileable = false;
    slot.stamp = FileStamp();
    slot.digest = measurement::MeasurementDigest();
    if (slot.indexed && takeFromIndex(slot))
        return;
    readFile(slot);
}

// A file the index has a row of: true if the row holds for it (or the file is gone), false if the
// file must be read.
bool FolderReading::takeFromIndex(Slot &slot) const
{
    const std::optional<FileStamp> now = listing.stamp(slot.index);
    if (!now) {
        slot.gone = true;
        return true;
    }
    FileStamp indexed;
    const char *record = slot.record.data();
    const int size = int(slot.record.size());
    if (slot.known && readIndexRecord(record, size, &indexed) && *now == indexed &&
        readIndexRecord(record, size, &indexed, &slot.digest)) {
        slot.stamp = *now;
        slot.read = true;
        return true;
    }
    slot.known = false;
    slot.stale = true;
    slot.digest = measurement::MeasurementDigest();
    return false;
}

void FolderReading::readFile(Slot &slot) const
{
    std::optional<FileStamp> atOpen;
    const QByteArray path = listing.path(slot.index);
    const std::optional<measurement::Measurement> m = measurement::readMeasurementFile(path, &atOpen);
    if (!atOpen) {
        // Not opened: the listing's word that it is a file stands if a status call still finds
        // one (an unreadable file is named as such); one that is gone since is left out.
        const std::optional<FileStamp> now = platform::regularFileStamp(path);
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
    slot.fileable = slot.stamp.settledBefore(settledBeforeNs);
}

void FolderReading::handOver(std::vector<Slot> &batch)
{
    const ListedNames &listed = listing.names();
    for (Slot &slot : batch) {
        const bool undecodable = listed.undecodable(slot.index);
        if (slot.gone) {
            if (index && slot.indexed && !undecodable)
                writes.forget(listed.bytes(slot.index));
            continue;
        }
        const QByteArray bytes = listed.bytes(slot.index);
        visit(ArchiveFile{listed.name(slot.index), slot.stamp, slot.read ? &slot.digest : nullptr,
                          undecodable,
                          undecodable ? QByteArray(bytes.constData(), bytes.size()) : QByteArray()});
        // Rows hold names as text: a name no text can hold is read every time.
        if (!index || slot.known || undecodable)
            continue;
        if (slot.fileable)
            writes.store(bytes, slot.stamp, std::move(slot.digest));
        else if (slot.stale)
            writes.forget(bytes);
    }
    if (options.progress)
        options.progress(batch.empty() ? 0 : batch.back().index + 1, listed.size());
}

void FolderReading::readAll()
{
    BatchSteps<Slot> steps;
    steps.prepare = [this](Slot &slot, int index) { prepare(slot, index); };
    steps.read = [this](Slot &slot) { read(slot); };
    steps.handOver = [this](std::vector<Slot> &batch) { handOver(batch); };
    steps.stop = options.stopRequested;
    stopped = !readInBatches(listing.size(), steps);
    finishIndex();
}

// The rows past the last listed name belong to files that are gone.
void FolderReading::finishIndex()
{
    if (!index)
        return;
    // Rows not reached before a stop belong to files that were simply not looked at.
    kept.drain(
        [this](const MeasurementIndex::Row &row) { writes.forget(QByteArray(row.name, row.nameSize)); },
        [this] { return listedAll && !stopped; });
    rows.stop();
    writes.finish();
    index->finish();
}

} // namespace

QString ArchiveFile::shownName() const
{
    return undecodableName ? fileName : displayName(fileName);
}

namespace {

// Two seconds cover the coarsest common file-system clock (FAT).
std::atomic<qint64> settleMilliseconds{2000};

} // namespace

qint64 indexSettleMilliseconds()
{
    return settleMilliseconds.load();
}

void setIndexSettleMilliseconds(qint64 milliseconds)
{
    settleMilliseconds.store(std::max<qint64>(milliseconds, 0));
}

bool readArchive(const QString &directory, const ArchiveReadOptions &options,
                 const std::function<void(const ArchiveFile &file)> &visit)
{
    FolderReading reading(directory, options, visit);
    if (!reading.list())
        return false;
    reading.readAll();
    return true;
}

} // namespace archive
