// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/syncschema.h"

#include "database/pgconnection.h"

#include <QCoreApplication>

namespace database {

namespace {

// Version 1: the archives, the sync runs and one row per measurement file.
// Rows are kept in the table's own pages (toast_tuple_target) rather than in TOAST: the two curves
// make a row about 3 KB, which would otherwise be compressed (to little avail) and stored apart.
const char *const version1[] = {
    R"(CREATE TABLE @schema@.schema_version (
        version integer NOT NULL,
        migrated timestamptz NOT NULL DEFAULT pg_catalog.now()))",
    R"(CREATE TABLE @schema@.archives (
        archive_id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
        host text NOT NULL,
        path text NOT NULL,
        first_synced timestamptz NOT NULL DEFAULT pg_catalog.now(),
        last_synced timestamptz,
        UNIQUE (host, path)))",
    R"(CREATE TABLE @schema@.sync_runs (
        run_id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
        archive_id integer NOT NULL REFERENCES @schema@.archives ON DELETE CASCADE,
        started timestamptz NOT NULL DEFAULT pg_catalog.clock_timestamp(),
        ended timestamptz,
        files_added integer NOT NULL DEFAULT 0,
        files_changed integer NOT NULL DEFAULT 0,
        files_removed integer NOT NULL DEFAULT 0,
        files_failed integer NOT NULL DEFAULT 0,
        files_unchanged integer NOT NULL DEFAULT 0,
        outcome text))",
    R"(CREATE TABLE @schema@.measurements (
        archive_id integer NOT NULL REFERENCES @schema@.archives ON DELETE CASCADE,
        file_name text NOT NULL,
        file_name_bytes bytea NOT NULL,
        name_decodable boolean NOT NULL,
        technology text NOT NULL,
        moment timestamp,
        modified timestamptz NOT NULL,
        file_size bigint NOT NULL,
        melt text,
        temperature_text text,
        temperature double precision,
        emf_text text,
        emf double precision,
        oxidation_text text,
        oxidation double precision,
        aluminium_text text,
        aluminium double precision,
        carbon_text text,
        carbon double precision,
        status text,
        status_code integer,
        emf_curve double precision[] NOT NULL,
        temperature_curve double precision[] NOT NULL,
        findings text[] NOT NULL,
        synced timestamptz NOT NULL DEFAULT pg_catalog.now(),
        removed timestamptz,
        stamp bytea) WITH (toast_tuple_target = 8160))",
    R"(CREATE UNIQUE INDEX measurements_file ON @schema@.measurements (archive_id, file_name_bytes)
        WHERE removed IS NULL)",
    R"(CREATE INDEX measurements_moment ON @schema@.measurements (moment))",
    R"(CREATE INDEX sync_runs_archive ON @schema@.sync_runs (archive_id, started))",
    // What `find --json` writes for each measurement of an archive, field for field.
    R"(CREATE VIEW @schema@.found AS
        SELECT m.archive_id, a.host, a.path, m.file_name AS file,
               coalesce(pg_catalog.to_char(m.moment, 'YYYY-MM-DD HH24:MI:SS'), '') AS moment, m.technology,
               coalesce(m.melt, 'Нет данных') AS smelt,
               coalesce(m.temperature_text, 'Нет данных') AS temperature,
               coalesce(m.emf_text, 'Нет данных') AS emf,
               coalesce(m.status, '') AS status, m.status_code AS "statusCode"
        FROM @schema@.measurements m JOIN @schema@.archives a USING (archive_id)
        WHERE m.removed IS NULL)",
};

// Version 2: the measurements of a melt are found without reading the whole table. A hash index: a
// B-tree refuses a key longer than a third of a page, and a melt number is whatever the file says.
const char *const version2[] = {
    "CREATE INDEX measurements_melt ON @schema@.measurements USING hash (melt)",
};

// Version 3: the files a run found changed too lately to be settled, counted by the next run.
const char *const version3[] = {
    "ALTER TABLE @schema@.sync_runs ADD COLUMN files_waiting integer NOT NULL DEFAULT 0",
};

struct Migration
{
    int version; // the version it makes
    const char *const *statements;
    int count;
};

const Migration migrations[] = {
    {1, version1, int(sizeof version1 / sizeof *version1)},
    {2, version2, int(sizeof version2 / sizeof *version2)},
    {3, version3, int(sizeof version3 / sizeof *version3)},
};

QString failure(const Connection &connection)
{
    return connection.error();
}

// The version the schema's tables are at: 0 for a schema without tables (or no schema at all), -1
// for a schema holding tables that are not ours.
int currentVersion(Connection &connection, const QString &schema, const QByteArray &quoted, QString *error)
{
    const Result tables = connection.exec(
        "SELECT pg_catalog.count(*), pg_catalog.count(*) FILTER (WHERE c.relname = 'schema_version') "
        "FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = $1 AND c.relkind IN "
        "('r', 'v', 'p')",
        {textParameter(schema)});
    if (!tables.ok()) {
        *error = tables.error();
        return -2;
    }
    if (tables.number(0, 0) == 0)
        return 0;
    if (tables.number(0, 1) == 0)
        return -1;
    const Result version =
        connection.exec(inSchema("SELECT pg_catalog.max(version) FROM @schema@.schema_version", quoted));
    if (!version.ok()) {
        *error = version.error();
        return -2;
    }
    return version.isNull(0, 0) ? -1 : int(version.number(0, 0));
}

bool migrate(Connection &connection, const QByteArray &quoted, int from, int to)
{
    for (const Migration &migration : migrations) {
        if (migration.version <= from || migration.version > to)
            continue;
        for (int i = 0; i < migration.count; ++i) {
            if (!connection.run(inSchema(migration.statements[i], quoted)))
                return false;
        }
        if (!connection.run(inSchema("INSERT INTO @schema@.schema_version (version) VALUES ($1)", quoted),
                            {integerParameter(migration.version)}))
            return false;
    }
    return true;
}

} // namespace

QByteArray inSchema(const char *statement, const QByteArray &quotedSchema)
{
    return QByteArray(statement).replace("@schema@", quotedSchema);
}

qint32 schemaLockKey(const QString &schema)
{
    // FNV-1a over the name: the same key for the same schema in every run.
    quint32 hash = 2166136261u;
    for (const char byte : (QStringLiteral("steel-archive:") + schema).toUtf8())
        hash = (hash ^ quint8(byte)) * 16777619u;
    return qint32(hash);
}

bool prepareSchema(Connection &connection, const QString &schema, QString *error, int wanted)
{
    const QByteArray quoted = connection.identifier(schema);
    if (!connection.run("BEGIN") || !connection.run("SELECT pg_catalog.pg_advisory_xact_lock($1::integer, 0)",
                                                    {integerParameter(schemaLockKey(schema))})) {
        *error = failure(connection);
        connection.run("ROLLBACK");
        return false;
    }
    const int version = currentVersion(connection, schema, quoted, error);
    bool ok = version >= 0 && version <= schemaVersion;
    if (version == -1)
        *error = QCoreApplication::translate("database",
                                             "the schema \"%1\" holds tables that are not steel-archive's; "
                                             "name another with --schema")
                     .arg(schema);
    else if (version > schemaVersion)
        *error =
            QCoreApplication::translate("database", "the schema \"%1\" is at version %2, made by a newer "
                                                    "steel-archive; this one knows versions up to %3")
                .arg(schema)
                .arg(version)
                .arg(schemaVersion);
    if (ok && version < wanted) {
        // A schema made beforehand for the role that syncs (which then needs no right to make one)
        // is used as it is.
        const Result present =
            connection.exec("SELECT 1 FROM pg_namespace WHERE nspname = $1", {textParameter(schema)});
        ok = present.ok() &&
             (present.rows() > 0 || connection.run(inSchema("CREATE SCHEMA @schema@", quoted))) &&
             migrate(connection, quoted, version, wanted);
        if (!ok)
            *error = failure(connection);
    }
    if (ok && !connection.run("COMMIT")) {
        *error = failure(connection);
        ok = false;
    }
    if (!ok)
        connection.run("ROLLBACK");
    return ok;
}

} // namespace database
