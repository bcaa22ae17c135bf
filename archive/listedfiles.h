// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/displayname.h"
#include "platform/filestamp.h"
#include "platform/filesystem.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QTextCodec>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

// The listing of a whole archive as the archive-wide readers hold it: every name in ascending byte
// order, and every file's stamp taken on all cores. Shared by the reading for the index and the
// database sync, which both merge the listing with rows kept in the same order.
namespace archive {

// Every listed name back to back as UTF-8: a million names fit in a few dozen MB. Names are kept in
// the listing's order and reached in name order through a permutation, so that the names can be
// looked at in the listing's order while the permutation is being sorted.
class ListedNames
{
public:
    // `undecodable`: the name's own bytes when the file-name encoding cannot decode them.
    void add(QStringView name, const QByteArray &undecodable)
    {
        const QByteArray bytes = undecodable.isEmpty() ? name.toUtf8() : undecodable;
        entries.push_back({int(arena.size()), int(bytes.size()), !undecodable.isEmpty()});
        arena.append(bytes);
    }

    void sortByName()
    {
        order.resize(entries.size());
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = int(k);
        std::sort(order.begin(), order.end(), [this](int a, int b) {
            const Entry &x = entries[size_t(a)];
            const Entry &y = entries[size_t(b)];
            const int common = std::min(x.length, y.length);
            const int byBytes =
                std::memcmp(arena.constData() + x.offset, arena.constData() + y.offset, size_t(common));
            return byBytes != 0 ? byBytes < 0 : x.length < y.length;
        });
    }

    int size() const { return int(entries.size()); }

    // The place in the listing of the name that comes `i`-th in name order.
    int listed(int i) const { return order[size_t(i)]; }

    // By place in name order.
    QByteArray bytes(int i) const { return bytesListed(listed(i)); }
    bool undecodable(int i) const { return entries[size_t(listed(i))].undecodable; }
    // A name no text can hold is named by its escaped bytes.
    QString name(int i) const { return nameListed(listed(i)); }
    QByteArray encodedName(int i) const { return encodedNameListed(listed(i)); }

    // By place in the listing; usable before the names are sorted.
    QByteArray encodedNameListed(int e) const
    {
        static const bool utf8Names = QTextCodec::codecForLocale()->mibEnum() == 106;
        return entries[size_t(e)].undecodable || utf8Names ? bytesListed(e)
                                                           : platform::encodeFileName(nameListed(e));
    }

private:
    QByteArray bytesListed(int e) const
    {
        return QByteArray::fromRawData(arena.constData() + entries[size_t(e)].offset,
                                       entries[size_t(e)].length);
    }
    QString nameListed(int e) const
    {
        return entries[size_t(e)].undecodable ? displayName(bytesListed(e))
                                              : QString::fromUtf8(bytesListed(e));
    }

    struct Entry
    {
        int offset;
        int length;
        bool undecodable;
    };
    QByteArray arena;
    std::vector<Entry> entries;
    std::vector<int> order;
};

// The stamps of every listed file, taken in the listing's order on all cores while the names are
// sorted: what a run compares the stamps it kept (the index's, the database's) with. A run that
// kept none takes each stamp where it opens the file instead, and needs none of these.
class ListedStamps
{
public:
    void start(const ListedNames &names, const QByteArray &encodedFolder)
    {
        stamps.assign(size_t(names.size()), Packed());
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned t = 0; t < cores; ++t)
            workers.emplace_back([this, &names, encodedFolder] {
                constexpr int chunk = 256;
                for (int first = next.fetch_add(chunk); first < names.size(); first = next.fetch_add(chunk)) {
                    const int last = std::min(first + chunk, names.size());
                    for (int e = first; e < last; ++e) {
                        const std::optional<platform::FileStamp> stamp =
                            platform::regularFileStamp(encodedFolder + names.encodedNameListed(e));
                        if (stamp)
                            stamps[size_t(e)] = Packed(*stamp);
                    }
                }
            });
    }
    void finish()
    {
        for (std::thread &worker : workers)
            worker.join();
        workers.clear();
    }
    ~ListedStamps() { finish(); }
    bool taken() const { return !stamps.empty(); }
    // By place in the listing; std::nullopt for a file that was no longer a regular file.
    std::optional<platform::FileStamp> at(int e) const { return stamps[size_t(e)].unpacked(); }

private:
    // A stamp in 56 bytes instead of 72: a million of them are held at once.
    struct Packed
    {
        Packed() = default;
        explicit Packed(const platform::FileStamp &s)
            : size(s.size), modifiedSeconds(s.modifiedSeconds), changedSeconds(s.changedSeconds),
              inode(s.inode), device(s.device), mount(s.mount),
              modifiedNanoseconds(qint32(s.modifiedNanoseconds)),
              changedNanoseconds(qint32(s.changedNanoseconds))
        {}
        std::optional<platform::FileStamp> unpacked() const
        {
            if (size < 0)
                return std::nullopt;
            platform::FileStamp s;
            s.size = size;
            s.modifiedSeconds = modifiedSeconds;
            s.modifiedNanoseconds = modifiedNanoseconds;
            s.changedSeconds = changedSeconds;
            s.changedNanoseconds = changedNanoseconds;
            s.inode = inode;
            s.device = device;
            s.mount = mount;
            return s;
        }
        qint64 size = -1; // -1: not a regular file
        qint64 modifiedSeconds = 0;
        qint64 changedSeconds = 0;
        quint64 inode = 0;
        quint64 device = 0;
        quint64 mount = 0;
        qint32 modifiedNanoseconds = 0; // below 10^9
        qint32 changedNanoseconds = 0;
    };
    std::vector<Packed> stamps;
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
};

// The files of one batch being read on all cores in the background, while the caller hands over the
// batch before it: reading never waits for the visitor or the index, nor they for reading.
template <typename Slot> class BackgroundReading
{
public:
    void start(std::vector<Slot *> work, std::function<void(Slot &)> job)
    {
        work_ = std::move(work);
        read = std::move(job);
        next = 0;
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const size_t threads = std::min<size_t>(cores, work_.size());
        for (size_t t = 0; t < threads; ++t)
            workers.emplace_back([this] {
                for (size_t i = next++; i < work_.size(); i = next++)
                    read(*work_[i]);
            });
    }
    void finish()
    {
        for (std::thread &worker : workers)
            worker.join();
        workers.clear();
    }
    ~BackgroundReading() { finish(); }

private:
    std::vector<Slot *> work_;
    std::function<void(Slot &)> read;
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
};

} // namespace archive
