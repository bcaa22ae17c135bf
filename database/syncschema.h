// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace database {

class Connection;

// The version of the tables that sync keeps in its schema; README's "The plant database" describes
// each version's tables. An older version found in the database is migrated in one transaction.
constexpr int schemaVersion = 3;

// The statement texts name the schema through this placeholder, replaced by the quoted name.
QByteArray inSchema(const char *statement, const QByteArray &quotedSchema);

// Makes sure the schema holds the current version of sync's tables: creates them on first use (and
// the schema itself when it is missing), migrates an older version, refuses a newer one or a schema
// that holds tables of someone else's. All in one transaction, under a lock that keeps two first
// runs from creating the tables twice. False with `error` set (one line) otherwise. `version` is the
// one to make: an older one only where a test makes the tables an older program made.
bool prepareSchema(Connection &connection, const QString &schema, QString *error,
                   int version = schemaVersion);

// The advisory lock keys of a schema: the first half of every key this program takes in it.
qint32 schemaLockKey(const QString &schema);

} // namespace database
