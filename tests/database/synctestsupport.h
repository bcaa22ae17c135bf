// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pgtestserver.h"
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QString>
#include <QStringList>

// What the sync tests share: running sync and find as the built program, and the two answers that
// must agree after every run.
namespace synctest {

using support::CommandResult;
using support::measurementDocument;
using support::ramp;
using support::runProgram;
using support::steelArchiveProgram;
using support::writeFile;

// Runs `steel-archive sync DIR --to <the database> ARGS` with files settled at once.
CommandResult sync(const TestServer &server, const QString &database, const QString &directory,
                   const QStringList &arguments = {}, const QStringList &environment = {});

// The measurements of DIR as `find --json --no-index` writes them, one canonical JSON array per file
// ([file, moment, technology, smelt, temperature, emf, status, statusCode]), sorted. U+0000, which
// the database cannot store, is written as U+FFFD, as sync stores it.
QStringList findAnswer(const QString &directory);

// The same fields of the database's rows of DIR, from the view "found", sorted.
QStringList databaseAnswer(const TestServer &server, const QString &database, const QString &directory,
                           const QString &schema = QStringLiteral("steel_archive"));

// One value from the database: the first column of the first row, as text ("NULL" for a null).
QString queryText(const TestServer &server, const QString &database, const QByteArray &statement,
                  const QVector<database::Parameter> &parameters = {});

// The `i`-th melt of a case's archive, its number followed by `mark`; its EMF missing ("nan"), as
// many a melt's is.
QByteArray melt(int i, const QByteArray &mark = "");

// A one-line measurement with these results (already JSON: "\"Smelt\":\"1\",...") and good curves.
QByteArray measurementWith(const QByteArray &results);

// The summary line sync prints: "DIR: added A, changed C, removed R, failed F, unchanged U".
QString summaryLine(const QString &directory, int added, int changed, int removed, int failed, int unchanged);

} // namespace synctest
