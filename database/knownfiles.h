// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/workqueue.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace database {

class Connection;

// The files the database holds for an archive, with the stamps they were sent under, in ascending
// byte order of their names: read on a connection and a thread of their own a bounded stretch ahead
// of the merge with the listing, so that an unchanged archive is compared while it is listed.
class KnownFiles
{
public:
    // Reads the rows of `archiveId` not marked removed; `connection` is this feed's alone until it
    // ends or stop() returns.
    KnownFiles(Connection *connection, const QByteArray &quotedSchema, int archiveId);
    // The same for the files of these names only (bytes as the system stores them).
    KnownFiles(Connection *connection, const QByteArray &quotedSchema, int archiveId,
               const QVector<QByteArray> &names);
    ~KnownFiles();
    KnownFiles(const KnownFiles &) = delete;
    KnownFiles &operator=(const KnownFiles &) = delete;

    struct Row
    {
        const char *name = nullptr;
        int nameSize = 0;
        const char *stamp = nullptr; // null: the row is to be read again
        int stampSize = 0;
    };
    // The next row, valid until the following call; false at the end, or when reading failed.
    bool next(Row *row);
    // After next() gave false: why the rows ended early, or the empty text at their true end.
    QString failure() const;
    // No row is read after this.
    void stop();

private:
    struct Chunk
    {
        // Where one row's fields lie in `bytes`.
        struct Place
        {
            int name;
            int nameSize;
            int stamp;
            int stampSize; // -1: null
        };
        std::string bytes;
        std::vector<Place> rows;

        void add(const char *name, int nameSize, const char *stamp, int stampSize);
    };
    static constexpr size_t chunkRows = 1024;
    static constexpr size_t chunksAhead = 32;

    void produce(const QByteArray &statement);
    void produceNamed(const QByteArray &statement, const QVector<QByteArray> &names, int archiveId);
    void end(const QString &failure);
    bool handOver(Chunk &chunk);

    Connection *connection;
    platform::BoundedQueue<Chunk> chunks{chunksAhead};
    std::thread worker;
    mutable std::mutex mutex; // guards `error`
    QString error;
    Chunk current; // the consumer's own
    size_t taken = 0;
};

} // namespace database
