// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/listedfiles.h"
#include "platform/filestamp.h"
#include "platform/workqueue.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The reading of a whole archive folder that the index and the database sync both stand on: list the
// folder, order the names by their bytes, take the stamps on all cores, step beside the rows a run
// kept (in the same order) to decide what to read, read on all cores in batches, and hand every file
// over in name order.
namespace archive {

// The order of names as the listing and every kept row sort them: by their bytes.
int compareBytes(const char *a, int aSize, const char *b, int bSize);

// A folder's archive files in ascending byte order of their names, with their stamps when asked for.
class FolderListing
{
public:
    explicit FolderListing(const QString &directory);

    // Adds every archive file of the folder for which `wanted` (when given) is true; such a name as
    // no text holds is seen by `wanted` in its escaped form. With `takeStamps`, every file's stamp
    // is taken on all cores while the folder is read. False if the folder could not be listed.
    bool list(const std::function<bool(QStringView fileName)> &wanted = {}, bool takeStamps = false);
    // Adds one file named by its bytes, as the listing would give it.
    void add(const QByteArray &encodedName);
    // Orders the names; with `takeStamps` (or when list() took them), every file's stamp is taken
    // on all cores meanwhile.
    void sort(bool takeStamps);

    int size() const { return listed.size(); }
    // By place in name order, as ListedNames.
    const ListedNames &names() const { return listed; }
    // The file's path in the file-name encoding's bytes.
    QByteArray path(int i) const { return encodedFolder + listed.encodedName(i); }
    // The file's stamp: the one taken by list() or sort() if they took them, else one status call now.
    // std::nullopt for a file that is no longer a regular file.
    std::optional<platform::FileStamp> stamp(int i) const;

private:
    const QString directory;
    const QString folder;
    const QByteArray encodedFolder;
    ListedNames listed;
    ListedStamps stamps;
};

// The moment before which a file must have last changed to be kept by the index or the database now:
// see indexSettleMilliseconds().
qint64 settledBeforeNow();

// Rows a run kept (the index's, the database's) in ascending byte order of their names, stepped
// beside the listing: `Feed` has `bool next(Row *)`; `Row` has `name` and `nameSize`.
template <typename Feed, typename Row> class KeptRows
{
public:
    explicit KeptRows(Feed *feed) : feed(feed) {}

    // Takes the first row; false when there is none.
    bool start() { return have = feed && feed->next(&row); }

    // Hands every row before `name` to `gone` and the row of `name`, if kept, to `found`.
    template <typename Gone, typename Found> void seek(const QByteArray &name, Gone gone, Found found)
    {
        while (have && compareBytes(row.name, row.nameSize, name.constData(), name.size()) < 0) {
            gone(row);
            have = feed->next(&row);
        }
        if (have && compareBytes(row.name, row.nameSize, name.constData(), name.size()) == 0) {
            found(row);
            have = feed->next(&row);
        }
    }
    // Hands every row not yet reached to `gone`, while `more()` says so.
    template <typename Gone, typename More> void drain(Gone gone, More more)
    {
        while (have && more()) {
            gone(row);
            have = feed->next(&row);
        }
    }

private:
    Feed *feed;
    Row row;
    bool have = false;
};

// Files read between two hand-overs: enough to keep every core busy, few enough to bound memory.
constexpr int readingBatch = 2048;

// What a consumer does with each file of a reading in batches.
template <typename Slot> struct BatchSteps
{
    // On the caller's thread, in name order: ready the slot of the `index`-th file (the slots are
    // reused: the readers let go of what they held).
    std::function<void(Slot &slot, int index)> prepare;
    // On all cores, in any order: every status call and every read happens here.
    std::function<void(Slot &slot)> read;
    // On the caller's thread, batch by batch in name order.
    std::function<void(std::vector<Slot> &batch)> handOver;
    // Asked before each batch is handed over; true ends the reading there.
    std::function<bool()> stop;
};

// Reads the files 0 to total - 1 in batches: a batch is prepared, read on all cores in the
// background while the batch before it is handed over, and handed over in order. False when `stop`
// ended the reading early.
template <typename Slot> bool readInBatches(int total, const BatchSteps<Slot> &steps)
{
    std::vector<Slot> batches[2];
    std::unique_ptr<platform::SharedCounter> counter;
    platform::BackgroundWork reading;
    const auto start = [&](std::vector<Slot> &batch, int first) {
        const int count = std::min(readingBatch, total - first);
        batch.resize(size_t(count));
        for (int k = 0; k < count; ++k)
            steps.prepare(batch[size_t(k)], first + k);
        counter = std::make_unique<platform::SharedCounter>(batch.size(), 1);
        platform::SharedCounter *shared = counter.get();
        reading.start([shared, &batch, &steps] { shared->drain([&](size_t i) { steps.read(batch[i]); }); },
                      unsigned(std::min<size_t>(platform::coreCount(), batch.size())));
    };
    int current = 0;
    if (total > 0)
        start(batches[0], 0);
    for (int first = 0; first < total; first += readingBatch) {
        if (steps.stop && steps.stop()) {
            reading.finish();
            return false;
        }
        reading.finish();
        if (first + readingBatch < total)
            start(batches[1 - current], first + readingBatch);
        steps.handOver(batches[current]);
        current = 1 - current;
    }
    reading.finish();
    return true;
}

} // namespace archive
