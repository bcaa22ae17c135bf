// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "database/pgconnection.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A PostgreSQL 15 server of the test's own: a cluster made by initdb in a temporary folder, reached
// through a Unix socket in that folder only, started and stopped with pg_ctl. PostgreSQL refuses to
// run as root: a test run by root runs the server as "nobody". Its superuser "steel" logs in without
// a password; the role "syncer" needs the password "right horse".
class TestServer
{
public:
    // A durable server writes as a plant's would (fsync on); the tests' own skips the syncs to the disk,
    // which no test can tell from the rest.
    explicit TestServer(bool durable = false);
    ~TestServer();

    // Why no server can be made here (no server binaries), or the empty text.
    static QString unavailableReason();

    // Makes the cluster (once) and starts the server. False with `why` set.
    bool start(QString *why);
    // For a suite's initTestCase: starts the server, or gives the reason its cases are skipped.
    QString startOrReason();
    // For a case's init: starts the server again where an earlier case stopped it.
    bool ensureRunning(QString *why) { return running || start(why); }
    // A size no file of the server may grow beyond from the next start on (0: none): a full disk, as
    // the server meets it.
    void setFileSizeLimit(qint64 bytes) { fileSizeLimit = bytes; }
    // Stops the server ("fast" ends every session; "immediate" as a crash would).
    bool stop(const QString &mode = QStringLiteral("fast"));
    bool isRunning() const { return running; }

    // The connection string of a database as `user`.
    QString conninfo(const QString &database, const QString &user = QStringLiteral("steel")) const;
    // A fresh, empty database.
    bool createDatabase(const QString &name);
    // A fresh database of a name not used before on this server, so that no case sees another's rows;
    // one that cannot be made ends the test run.
    QString freshDatabase();
    // The superuser's connection to a database.
    std::unique_ptr<database::Connection> connect(const QString &database) const;
    // The server's main process, whose children serve the connections.
    qint64 postmasterPid() const;

private:
    bool runAsServer(const QString &program, const QStringList &arguments, QString *output,
                     qint64 sizeLimit = 0);

    QTemporaryDir folder;
    const bool durable;
    qint64 fileSizeLimit = 0;
    bool made = false;
    bool running = false;
    int databasesMade = 0;
};
