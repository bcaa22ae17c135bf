// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/workqueue.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <mutex>
#include <string>
#include <thread>

namespace database {

class Connection;

// What a run did to the files of an archive.
struct SyncCounts
{
    qint64 added = 0;
    qint64 changed = 0;
    qint64 removed = 0;
    qint64 failed = 0;    // could not be read: left out, as find leaves them out
    qint64 unchanged = 0; // read again or not, the same content under the same name
    qint64 waiting = 0;   // changed too lately to be settled: counted by the run that finds it settled

    SyncCounts &operator+=(const SyncCounts &o)
    {
        waiting += o.waiting;
        added += o.added;
        changed += o.changed;
        removed += o.removed;
        failed += o.failed;
        unchanged += o.unchanged;
        return *this;
    }
};

// One transaction's worth of changes.
struct Batch
{
    std::string rows; // COPY's binary format, header included, trailer added by the sender
    int rowCount = 0;
    QVector<QByteArray> replaced; // names whose rows go before the batch's own come in
    QVector<QByteArray> removed;  // names of files gone from the archive
    SyncCounts counts;

    bool isEmpty() const { return rowCount == 0 && replaced.isEmpty() && removed.isEmpty(); }
};

// Sends batches on a connection and a thread of its own, each in one transaction together with the
// run's bookkeeping (its counts so far), so that a run cut off at any moment leaves rows that are
// each as their file was, and counts that say what was done. Reading goes on while a batch is sent.
class BatchSender
{
public:
    BatchSender(Connection *connection, const QByteArray &quotedSchema, int archiveId, qint64 runId,
                bool keepRemoved);
    ~BatchSender();
    BatchSender(const BatchSender &) = delete;
    BatchSender &operator=(const BatchSender &) = delete;

    // Hands a batch over, waiting while one is on its way besides the one being sent. False once a batch has
    // failed: the run is over.
    bool send(Batch &&batch);
    // Waits for every batch handed over. False with `error` set when one failed.
    bool finish(QString *error);
    bool hasFailed() const;

private:
    void work();
    bool transact(Batch &batch);

    Connection *connection;
    const QByteArray schema;
    const int archiveId;
    const qint64 runId;
    const bool keepRemoved;
    // One batch waits while one is sent: reading goes on meanwhile, and memory stays bounded.
    platform::BoundedQueue<Batch> batches{1};
    std::thread worker;
    mutable std::mutex mutex; // guards `failed` and `error`
    bool failed = false;
    QString error;
};

} // namespace database
