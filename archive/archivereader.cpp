// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivereader.h"

#include "archive/archivefolder.h"
#include "archive/archivelisting.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "archive/indexrecord.h"
#include "archive/indexthreads.h"
#include "archive/listedfiles.h"
#include "archive/measurementindex.h"
#include "platform/filesystem.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <memory>
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

// One reading of a whole folder: its listing merged with the index's rows, batch by batch. A batch is
// prepared (what the index knows of its files is taken, the others are named for reading), read on
// all cores in the background while the batch before it is handed over to the visitor, and handed
// over in name order, with what was read going to the index on a thread of its own.
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
    std::vector<Slot *> prepare(std::vector<Slot> &batch, int first);
    void read(Slot &slot) const;
    bool takeFromIndex(Slot &slot) const;
    void readFile(Slot &slot) const;
    void handOver(std::vector<Slot> &batch);
    void finishIndex();

    QByteArray path(const Slot &slot) const { return encodedFolder + listed.encodedName(slot.index); }

    const ArchiveReadOptions &options;
    const std::function<void(const ArchiveFile &file)> &visit;
    // Files changed after this are read but not filed: see indexSettleMilliseconds().
    const qint64 settledBeforeNs;
    const QString directory;
    const QString folder;
    const QByteArray encodedFolder;
    // Only a name-filtered run misses files: it must not forget rows of the files it did not list.
    const bool listedAll;
    std::unique_ptr<MeasurementIndex> index;
    RowFeed rows;
    ListedNames listed;
    ListedStamps stamps;
    MeasurementIndex::Row row;
    bool haveRow = false;
    bool stopped = false; // the caller asked for no more
    IndexWriting writes;
};

FolderReading::FolderReading(const QString &directory, const ArchiveReadOptions &options,
                             const std::function<void(const ArchiveFile &file)> &visit)
    : options(options), visit(visit),
      settledBeforeNs(QDateTime::currentMSecsSinceEpoch() * 1000000 - indexSettleMilliseconds() * 1000000),
      directory(directory), folder(folderPath(directory)),
      encodedFolder(platform::encodeFileName(folder) + '/'), listedAll(!options.wanted),
      // The index is opened and its rows decoded while the folder is listed, which is mostly the
      // system's work: the merge then finds a good stretch of them ready.
      index(options.useIndex ? MeasurementIndex::open(folder, options.rulesVersion) : nullptr),
      rows(index.get()), writes(index.get())
{}

bool FolderReading::list()
{
    const bool listable = forEachArchiveFileName(
        directory, technologyPattern(), [&](QStringView name, const QByteArray &undecodable) {
            if (undecodable.isEmpty() ? (!options.wanted || options.wanted(name))
                                      : (!options.wanted || options.wanted(displayName(undecodable))))
                listed.add(name, undecodable);
        });
    if (!listable)
        return false;
    // An index with rows: the files' stamps are taken on every core while the names are sorted.
    haveRow = index && rows.next(&row);
    if (haveRow)
        stamps.start(listed, encodedFolder);
    listed.sortByName();
    stamps.finish();
    return true;
}

// Takes what the index knows for the batch's files and names the ones to read.
std::vector<Slot *> FolderReading::prepare(std::vector<Slot> &batch, int first)
{
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
    const std::optional<FileStamp> now =
        stamps.taken() ? stamps.at(listed.listed(slot.index)) : platform::regularFileStamp(path(slot));
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
    const std::optional<measurement::Measurement> m = measurement::readMeasurementFile(path(slot), &atOpen);
    if (!atOpen) {
        // Not opened: the listing's word that it is a file stands if a status call still finds
        // one (an unreadable file is named as such); one that is gone since is left out.
        const std::optional<FileStamp> now = platform::regularFileStamp(path(slot));
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
}

void FolderReading::handOver(std::vector<Slot> &batch)
{
    for (Slot &slot : batch) {
        if (slot.gone) {
            if (index && slot.indexed && !listed.undecodable(slot.index))
                writes.forget(listed.bytes(slot.index));
            continue;
        }
        visit(ArchiveFile{listed.name(slot.index), slot.stamp, slot.read ? &slot.digest : nullptr,
                          listed.undecodable(slot.index),
                          listed.undecodable(slot.index) ? QByteArray(listed.bytes(slot.index).constData(),
                                                                      listed.bytes(slot.index).size())
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
}

void FolderReading::readAll()
{
    const auto job = [this](Slot &slot) { read(slot); };
    std::vector<Slot> batches[2];
    BackgroundReading<Slot> reading;
    int current = 0;
    if (listed.size() > 0)
        reading.start(prepare(batches[0], 0), job);
    for (int first = 0; first < listed.size(); first += batchSize) {
        if (options.stopRequested && options.stopRequested()) {
            stopped = true;
            break;
        }
        reading.finish();
        const int following = first + batchSize;
        if (following < listed.size())
            reading.start(prepare(batches[1 - current], following), job);
        handOver(batches[current]);
        current = 1 - current;
    }
    reading.finish();
    finishIndex();
}

// The rows past the last listed name belong to files that are gone.
void FolderReading::finishIndex()
{
    if (!index)
        return;
    // Rows not reached before a stop belong to files that were simply not looked at.
    while (haveRow && listedAll && !stopped) {
        writes.forget(QByteArray(row.name, row.nameSize));
        haveRow = rows.next(&row);
    }
    rows.stop();
    writes.finish();
    index->finish();
}

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
    FolderReading reading(directory, options, visit);
    if (!reading.list())
        return false;
    reading.readAll();
    return true;
}

} // namespace archive
