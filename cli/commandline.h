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
    QString exitCodes; // the "Exit codes:" paragraph that ends the help text
};

// Adds --help, parses `arguments` (the command name first) and checks the number of positional
// arguments and that no option is given twice. Returns the exit code when the command is already
// finished (help printed: success; a usage error reported on `err`: failure), std::nullopt when the
// command goes on.
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

// A progress line on `err` ("read 1200/100000") when standard error is a terminal that a person
// watches; no function otherwise, so that redirected output stays clean.
std::function<void(qint64 done, qint64 total)> terminalProgress(QTextStream &err, const QString &verb);

// Shortest text that reads back to exactly the same double ("inf", "-inf" and "nan" included).
QString exactNumberText(double value);

// Escapes a text for a JSON string literal, quotes included, exactly as QJsonDocument writes it.
QString jsonQuoted(const QString &text);

} // namespace cli

namespace cli {

// A text the system gave ("No space left on device") in the language of our messages: as it is when
// the system wrote it in the reader's language, translated by us when it is the C locale's English.
// Every reason from the system passes here.
QString systemText(const QString &text);
// That text written to follow a colon in our lines: no full stop, a lower-case first letter
// ("permission denied").
QString systemReason(const QString &errorString);

// Why a file cannot be read, for an error line: "is a folder", or the system's reason ("no such file
// or directory", "permission denied").
QString unreadableReason(const QString &path);

// "-o -": the output is standard output.
bool isStandardOutput(const QString &output);

// Checks that an archive folder can be listed; returns the empty text, or the reason why not.
QString unlistableFolderReason(const QString &directory);

// "yyyy-MM-dd hh:mm:ss" for a valid moment, whatever the machine's locale; "?" otherwise.
QString momentDisplayText(const QDate &date, const QTime &time);

} // namespace cli
