// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/sharedlisting.h"

#include "archive/archivefolder.h"
#include "archive/archivescans.h"
#include "archive/encodedname.h"
#include "platform/filesystem.h"
#include "platform/workqueue.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace archive {

namespace {

// Names are looked at in runs of this many, so that the status calls can start while the folder is
// still being read.
constexpr int runLength = 4096;

} // namespace

// Every archive file's name back to back with its modification time, in runs: a million files take
// some 80 MB, for as long as one refresh runs.
struct SharedListing::Files
{
    struct Entry
    {
        int offset;
        int length;
        qint64 modifiedNsecs; // -1: no longer a regular file when it was looked at
    };
    struct Run
    {
        QString names;
        std::vector<Entry> entries;
        QStringView name(const Entry &entry) const
        {
            return QStringView(names).mid(entry.offset, entry.length);
        }
    };

    QString directory;
    bool listed = false;
    std::vector<std::unique_ptr<Run>> runs;

    void take();

private:
    void lookAtRuns(const platform::HeldFolder &folder);

    // From the thread reading the folder to the threads looking at the files: runs complete and
    // not yet looked at. Never full: the reading thread is the last looker, and must not wait.
    platform::BoundedQueue<Run *> published{std::numeric_limits<size_t>::max()};
};

void SharedListing::Files::take()
{
    const platform::HeldFolder folder(folderPath(directory));
    platform::BackgroundWork lookers;
    const unsigned cores = platform::coreCount();
    if (cores > 1)
        lookers.start([this, &folder] { lookAtRuns(folder); }, cores - 1);

    auto run = std::make_unique<Run>();
    // Only this thread touches `runs` until the listing is taken; the lookers reach a run through
    // the queue.
    const auto handOver = [this, &run] {
        runs.push_back(std::move(run));
        published.push(runs.back().get());
    };
    // Names only: the status calls follow on all cores.
    listed = forEachMatchingFile(directory, technologyPattern(), false, [&](QStringView name, qint64) {
        run->entries.push_back(Entry{int(run->names.size()), int(name.size()), -1});
        run->names.append(name.data(), int(name.size()));
        if (run->entries.size() == size_t(runLength)) {
            handOver();
            run = std::make_unique<Run>();
        }
    });
    if (!run->entries.empty())
        handOver();
    published.close();
    lookAtRuns(folder); // this thread is one of the cores now
    lookers.finish();
}

void SharedListing::Files::lookAtRuns(const platform::HeldFolder &folder)
{
    QByteArray buffer; // this thread's, reused for every name
    Run *run = nullptr;
    while (published.pop(&run)) {
        for (Entry &entry : run->entries) {
            // The name in the file-name encoding, the one the held folder decodes (UTF-8 on Windows,
            // not the ANSI code page).
            const std::optional<platform::FileStamp> stamp =
                folder.regularFileStamp(encodeFileName(run->name(entry), &buffer));
            entry.modifiedNsecs = stamp ? modifiedNsecsOf(*stamp) : -1;
        }
    }
}

SharedListing::SharedListing(const QString &directory) : files(std::make_unique<Files>())
{
    files->directory = directory;
    files->take();
}

SharedListing::~SharedListing() = default;

namespace {

bool visitListed(const SharedListing::Files &shared, const QString &pattern, bool needTimes,
                 const FileVisitor &visit)
{
    if (!shared.listed)
        return false;
    const WildcardPattern compiled(pattern);
    // The listing took exactly the files of the technology pattern.
    const bool everyFile = pattern == technologyPattern();
    for (const std::unique_ptr<SharedListing::Files::Run> &run : shared.runs) {
        for (const SharedListing::Files::Entry &entry : run->entries) {
            const QStringView name = run->name(entry);
            // A file gone by the time it was looked at is left out, as the folder's own walk leaves it.
            if (entry.modifiedNsecs < 0 || (!everyFile && !compiled.matches(name)))
                continue;
            visit(name, needTimes ? entry.modifiedNsecs : 0);
        }
    }
    return true;
}

} // namespace

bool SharedListing::forEachFile(const FileVisitor &visit) const
{
    return visitListed(*files, technologyPattern(), true, visit);
}

bool forEachScannedFile(const QString &directory, const QString &pattern, bool needTimes,
                        const FileVisitor &visit, const SharedListing *listing)
{
    if (!listing || listing->files->directory != directory)
        return forEachMatchingFile(directory, pattern, needTimes, visit);
    return visitListed(*listing->files, pattern, needTimes, visit);
}

} // namespace archive
