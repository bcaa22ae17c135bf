// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Running steel-archive: a command in this process through the program's own dispatch, or the built
// program itself.
namespace support {

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
// the variable. An exit code of -1: the program did not end normally within two minutes.
CommandResult runProgram(const QStringList &arguments, const QStringList &environment = {});

// Where the built program is, for a test that talks to it while it runs.
QString steelArchiveProgram();

} // namespace support
