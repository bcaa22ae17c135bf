// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "database/batchsender.h"
#include "database/measurementrow.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

namespace database {

class Connection;

struct SyncOptions
{
    QString conninfo; // a libpq connection string or URI, without a password
    QString schema = QStringLiteral("steel_archive");
    // Files gone from the archive keep their rows, marked with the time they were found gone.
    bool keepRemoved = false;
    // Files sent per transaction at most; a transaction also ends at 16 MB of rows.
    int batchRows = 2000;
    // Lines for the person running the sync ("waiting for another sync"), not failures.
    std::function<void(const QString &line)> notice;
    std::function<void(qint64 done, qint64 total)> progress;
};

struct SyncReport
{
    enum class Outcome
    {
        done,
        failed,           // the database refused or went away: `error` says why
        folderUnreadable, // the folder could not be listed
        // The folder holds no archive file at all while the database holds files of it: a share
        // that is not mounted looks just so. Nothing is removed.
        emptyFolderKept,
    };
    Outcome outcome = Outcome::failed;
    QString error;
    SyncCounts counts;
    qint64 listed = 0;
    QStringList unreadable; // files that could not be read, named as find names them
};

// Keeps a PostgreSQL database equal to one archive folder: after a run, the database holds one row
// for every file that find reads, made from what the file holds at that moment. Only files whose
// stamps differ from the ones the database keeps are read and sent; rows of files gone are removed
// (or marked removed). One run of an archive at a time: a second one waits for the first.
class ArchiveSync
{
public:
    ArchiveSync(const QString &directory, const SyncOptions &options);
    ~ArchiveSync();
    ArchiveSync(const ArchiveSync &) = delete;
    ArchiveSync &operator=(const ArchiveSync &) = delete;

    // Connects, makes or migrates the schema and finds the archive's row (made on first use). False
    // with `error` set (one line) when any of it fails; the database is then left as it was.
    bool open(QString *error);
    SyncReport run();
    // The same for these files only (names as the system stores them, in the folder): each is sent if
    // it changed, its row removed if it is gone; every other file's row is left as it is.
    SyncReport runFiles(const QVector<QByteArray> &encodedNames);
    // The server went away: open() again before the next run.
    bool connectionLost() const;

private:
    struct Slot;
    struct Pass;
    bool suitsServer(QString *error);
    bool findArchive(const QString &path, QString *error);
    bool lockArchive();
    SyncReport runPass(const QVector<QByteArray> *names);
    bool list(Pass &pass) const;
    qint64 startRun();
    void finishRun(qint64 runId, SyncReport &report);
    void compare(Pass &pass, SyncReport &report);
    void readFile(Pass &pass, Slot &slot) const;
    // How a file read is counted, and what its row keeps for the next run to count by.
    void countRead(Slot &slot, FileRow &file, const measurement::Measurement &m) const;
    void prepare(Pass &pass, Slot &slot, int index);
    void handOver(Pass &pass, std::vector<Slot> &batch, SyncReport &report);
    void sendPending(Pass &pass);
    QString fail(SyncReport &report, const QString &error);

    const QString directory;
    const SyncOptions options;
    const QByteArray rulesVersion;       // kept with every stamp: see rowsVersion()
    std::unique_ptr<Connection> writer;  // the run's own statements, and batches
    std::unique_ptr<Connection> writer2; // batches, so that the server works on two at once

    std::unique_ptr<Connection> reader;
    QByteArray schema; // quoted
    int archiveId = 0;
};

} // namespace database
