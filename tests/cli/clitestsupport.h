// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// What one command gave back.
struct CommandResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a command in this process, through the same dispatch as the program.
CommandResult runTool(const QStringList &arguments);

// Runs the built program itself. `environment` entries "NAME=value" are added; "NAME=" alone removes
// the variable.
CommandResult runProgram(const QStringList &arguments, const QStringList &environment = {});

// Where the built program is, for a test that talks to it while it runs.
QString steelArchiveProgram();

// Writes a file with a chosen modification time (UTC), so listing orders never depend on the clock.
QString writeFile(const QString &directory, const QString &fileName, const QByteArray &content,
                  const QDateTime &modified = QDateTime(QDate(2020, 1, 1), QTime(12, 0), Qt::UTC));

// Samples "start", "start + step", ... as strings in C notation.
QStringList ramp(int count, double start, double step);

// A one-line measurement document: the two curves, then `resultKeys` (already JSON, without braces).
QByteArray measurementDocument(const QStringList &emf, const QStringList &temperature,
                               const QByteArray &resultKeys);

// Ordinary good results with the given "Status" text.
QByteArray goodResults(const QByteArray &status = "8");

// A complete ordinary measurement: 160 samples each, good results.
QByteArray goodMeasurement();
