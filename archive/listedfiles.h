// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/displayname.h"
#include "platform/filestamp.h"
#include "platform/filesystem.h"
#include "platform/workqueue.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QTextCodec>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
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

// The stamps of every listed file, taken on all cores while the folder is still being listed (or
// while the names are sorted): what a run compares the stamps it kept (the index's, the database's)
// with. A run that kept none takes each stamp where it opens the file instead, and needs none of these.
class ListedStamps
{
public:
    ListedStamps() = default;
    ListedStamps(const ListedStamps &) = delete;
    ListedStamps &operator=(const ListedStamps &) = delete;
    // A listing given up halfway lets its lookers go.
    ~ListedStamps()
    {
        published.close();
        work.finish();
    }

    // Starts the lookers; the names reach them through offer(). `folder` is held open: each stamp is
    // one status call relative to it, not a walk of the path.
    void start(const QString &folder)
    {
        held = std::make_unique<platform::HeldFolder>(folder);
        work.start([this] { lookAtRuns(); });
    }
    // The names listed so far: each complete run of them goes to the lookers, and with `last` the
    // rest as well.
    void offer(const ListedNames &names, bool last = false)
    {
        while (offered < names.size() && (last || names.size() - offered >= runLength)) {
            const int end = std::min(offered + runLength, names.size());
            auto run = std::make_unique<Run>();
            for (int e = offered; e < end; ++e) {
                // Each name copied with the terminating zero the system call needs: the listing's
                // own buffer grows meanwhile.
                run->offsets.push_back(int(run->bytes.size()));
                run->bytes.append(names.encodedNameListed(e));
                run->bytes.append('\0');
            }
            run->stamps.assign(size_t(end - offered), Packed());
            runs.push_back(std::move(run));
            published.push(runs.back().get());
            offered = end;
        }
    }
    // Hands over the last names and waits for every stamp.
    void finish(const ListedNames &names)
    {
        if (!work.running())
            return;
        offer(names, true);
        published.close();
        work.finish();
    }
    bool taken() const { return held != nullptr; }
    // By place in the listing; std::nullopt for a file that was no longer a regular file.
    std::optional<platform::FileStamp> at(int e) const
    {
        return runs[size_t(e / runLength)]->stamps[size_t(e % runLength)].unpacked();
    }

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
    // Names handed to the lookers a run at a time, each run holding its own stamps.
    static constexpr int runLength = 2048;
    struct Run
    {
        QByteArray bytes; // the names, each ending in a zero
        std::vector<int> offsets;
        std::vector<Packed> stamps;
    };

    void lookAtRuns()
    {
        Run *run = nullptr;
        while (published.pop(&run)) {
            for (size_t k = 0; k < run->offsets.size(); ++k) {
                const int at = run->offsets[k];
                const int length = int(std::strlen(run->bytes.constData() + at));
                const std::optional<platform::FileStamp> stamp =
                    held->regularFileStamp(QByteArray::fromRawData(run->bytes.constData() + at, length));
                if (stamp)
                    run->stamps[k] = Packed(*stamp);
            }
            // The names' copies are let go at once: only the stamps are kept, a million at a time.
            run->bytes = QByteArray();
            run->offsets = std::vector<int>();
        }
    }

    std::unique_ptr<platform::HeldFolder> held;
    std::vector<std::unique_ptr<Run>> runs; // the listing thread's until finish()
    int offered = 0;
    // Never full: the thread that lists must not wait for the lookers.
    platform::BoundedQueue<Run *> published{std::numeric_limits<size_t>::max()};
    platform::BackgroundWork work; // last: finished before the rest goes
};

} // namespace archive
