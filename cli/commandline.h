// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

class QCommandLineParser;
class QTextStream;

namespace cli {

// What a command accepts besides its options, for the usage check and the help text.
struct CommandSyntax
{
    QString name;        // "show"
    QString description; // the paragraph under the usage line of --help
    int minPositional = 0;
    int maxPositional = 0;
};

// Adds --help, parses `arguments` (the command name first) and checks the number of positional
// arguments. Returns the exit code when the command is already finished (help printed: success; a
// usage error reported on `err`: failure), std::nullopt when the command goes on.
std::optional<int> parseCommandLine(QCommandLineParser &parser, const CommandSyntax &syntax,
                                    const QStringList &arguments, QTextStream &out, QTextStream &err);

// Writes "steel-archive <command>: <message>" as one line on `err` and returns the failure code.
int reportFailure(QTextStream &err, const QString &command, const QString &message);

// The viewer's default archive: the working directory followed by "/archive".
QString defaultArchiveDirectory();

// The optional DIR argument of the commands that read a whole archive.
void addArchiveDirectoryArgument(QCommandLineParser &parser);
// That argument as given, or the viewer's default archive when it is left out.
QString archiveDirectoryArgument(const QCommandLineParser &parser);

// Shortest text that reads back to exactly the same double ("inf", "-inf" and "nan" included).
QString exactNumberText(double value);

// Escapes a text for a JSON string literal, quotes included.
QString jsonQuoted(const QString &text);

} // namespace cli

namespace cli {

// Why a file cannot be read, for an error line: "no such file", "is a folder", the system's reason.
QString unreadableReason(const QString &path);

// Checks that an archive folder can be listed; returns the empty text, or the reason why not.
QString unlistableFolderReason(const QString &directory);

// A progress display on standard error, "\r<what> done/total", for a person watching: none (a null
// function) when `err` writes into a string or standard error is not a terminal.
std::function<void(int done, int total)> terminalProgress(QTextStream &err, const QString &what);

// "yyyy-MM-dd hh:mm:ss" for a valid moment, whatever the machine's locale; "?" otherwise.
QString momentDisplayText(const QDate &date, const QTime &time);

} // namespace cli
