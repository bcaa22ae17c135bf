// SPDX-License-Identifier: GPL-3.0-or-later
#include "pgtestserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace {

const QString binaries = QStringLiteral("/usr/lib/postgresql/15/bin");

bool runsAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

TestServer::TestServer(bool durable)
    : folder(QDir::tempPath() + QStringLiteral("/steel-pg-XXXXXX")), durable(durable)
{}

TestServer::~TestServer()
{
    if (running)
        stop(QStringLiteral("immediate"));
}

QString TestServer::unavailableReason()
{
    for (const char *program : {"initdb", "pg_ctl", "postgres"}) {
        if (!QFileInfo(binaries + QLatin1Char('/') + QLatin1String(program)).isExecutable())
            return QStringLiteral("no PostgreSQL 15 server here (%1/%2; Debian package postgresql-15)")
                .arg(binaries, QLatin1String(program));
    }
    if (runsAsRoot() && !QFileInfo(QStringLiteral("/usr/bin/setpriv")).isExecutable())
        return QStringLiteral("run as root without setpriv to run the server as nobody");
    return QString();
}

bool TestServer::runAsServer(const QString &program, const QStringList &arguments, QString *output,
                             qint64 sizeLimit)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder.path());
    QStringList command{binaries + QLatin1Char('/') + program};
    // The server ignores SIGXFSZ: a write beyond the limit fails as on a full disk.
    if (sizeLimit > 0)
        command =
            QStringList{QStringLiteral("/usr/bin/prlimit"), QStringLiteral("--fsize=%1").arg(sizeLimit)} +
            command;
    if (runsAsRoot())
        command = QStringList{QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=nobody"),
                              QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")} +
                  command;
    process.start(command.takeFirst(), command + arguments);
    const bool finished = process.waitForFinished(180000);
    *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString TestServer::startOrReason()
{
    QString reason = unavailableReason();
    if (reason.isEmpty() && !start(&reason) && reason.isEmpty())
        reason = QStringLiteral("the server did not start");
    return reason;
}

bool TestServer::start(QString *why)
{
    if (!folder.isValid()) {
        *why = QStringLiteral("no temporary folder");
        return false;
    }
    const QString data = folder.path() + QStringLiteral("/data");
    QString output;
    if (!made) {
        if (runsAsRoot() && ::chown(QFile::encodeName(folder.path()).constData(), 65534, 65534) != 0) {
            *why = QStringLiteral("cannot give the temporary folder to nobody");
            return false;
        }
        if (!runAsServer(QStringLiteral("initdb"),
                         {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("steel"),
                          QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                          QStringLiteral("--auth=trust"), QStringLiteral("--no-sync")},
                         &output)) {
            *why = QStringLiteral("initdb failed: ") + output;
            return false;
        }
        // The role with a password logs in with it; everyone else without.
        QFile hba(data + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            hba.write("local all syncer scram-sha-256\nlocal all all trust\n") < 0) {
            *why = QStringLiteral("cannot write pg_hba.conf");
            return false;
        }
        hba.close();
        made = true;
    }
    const QString options =
        QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off -c full_page_writes=off")
            .arg(folder.path());
    if (!runAsServer(QStringLiteral("pg_ctl"),
                     {QStringLiteral("-D"), data, QStringLiteral("-l"),
                      folder.path() + QStringLiteral("/log"), QStringLiteral("-o"), options,
                      QStringLiteral("-w"), QStringLiteral("start")},
                     &output, fileSizeLimit)) {
        *why = QStringLiteral("pg_ctl start failed: ") + output;
        return false;
    }
    running = true;
    const std::unique_ptr<database::Connection> superuser = connect(QStringLiteral("postgres"));
    if (!superuser ||
        !superuser->run("DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'syncer') "
                        "THEN CREATE ROLE syncer LOGIN PASSWORD 'right horse'; END IF; END $$")) {
        *why = QStringLiteral("cannot make the role syncer");
        return false;
    }
    return true;
}

bool TestServer::stop(const QString &mode)
{
    QString output;
    const bool stopped =
        runAsServer(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), folder.path() + QStringLiteral("/data"), QStringLiteral("-m"),
                     mode, QStringLiteral("-w"), QStringLiteral("stop")},
                    &output);
    running = running && !stopped;
    return stopped;
}

QString TestServer::conninfo(const QString &database, const QString &user) const
{
    return QStringLiteral("host=%1 dbname=%2 user=%3").arg(folder.path(), database, user);
}

bool TestServer::createDatabase(const QString &name)
{
    const std::unique_ptr<database::Connection> superuser = connect(QStringLiteral("postgres"));
    return superuser && superuser->run("DROP DATABASE IF EXISTS " + superuser->identifier(name)) &&
           superuser->run("CREATE DATABASE " + superuser->identifier(name)) &&
           superuser->run("GRANT ALL ON DATABASE " + superuser->identifier(name) + " TO syncer");
}

QString TestServer::freshDatabase()
{
    const QString name = QStringLiteral("case%1").arg(++databasesMade);
    if (!createDatabase(name))
        qFatal("cannot make a database");
    return name;
}

qint64 TestServer::postmasterPid() const
{
    QFile pidFile(folder.path() + QStringLiteral("/data/postmaster.pid"));
    return pidFile.open(QIODevice::ReadOnly) ? pidFile.readLine().trimmed().toLongLong() : 0;
}

std::unique_ptr<database::Connection> TestServer::connect(const QString &database) const
{
    QString error;
    return database::Connection::open(conninfo(database), 10, &error);
}
