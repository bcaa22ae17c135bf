// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace cli {

// Exit codes of every command.
enum ExitCode : int
{
    exitSuccess = 0,  // done; for check: nothing found
    exitFindings = 1, // the archive has problems: check's findings, no archive file, files find skipped;
                      // watch lost its folder
    exitFailure = 2,  // bad usage, an input that cannot be read, an output that cannot or must not be written
};

// Runs one command. `arguments` begins with the command name; the program name is not part of it.
// Normal output goes to `out`, error lines and progress to `err`.
int runCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Whether the command draws and so needs a QApplication (the others run on a QCoreApplication).
bool commandNeedsWidgets(const QString &command);

// The tool's own help: the list of commands.
QString toolHelpText();

// The commands; each takes its own name followed by its arguments.
int runDemo(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runList(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runShow(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runExport(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runRender(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runCheck(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runFind(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runReport(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runStats(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runChart(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runWatch(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runSync(const QStringList &arguments, QTextStream &out, QTextStream &err);
// Whether this build has sync (it needs libpq): a build without it leaves it out of the command list,
// though the command still answers with why.
bool syncIsBuilt();

} // namespace cli
