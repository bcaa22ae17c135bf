// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/console.h"

#include <QString>
#include <QStringList>

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

// Takes --encoding E (or --encoding=E), which every command accepts anywhere on its line, out of
// `arguments`: the code page it asks for, or std::nullopt for UTF-8 (also when it is not given).
// `error` is set when the option is given without a value, twice, or with one this system lacks.
std::optional<platform::CodePage> takeEncodingOption(QStringList &arguments, QString *error);

// Writes "steel-archive <command>: <message>" as one line on `err` and returns the failure code.
int reportFailure(QTextStream &err, const QString &command, const QString &message);

// The optional DIR argument of the commands that read a whole archive.
void addArchiveDirectoryArgument(QCommandLineParser &parser);
// That argument as given, or the viewer's default archive when it is left out.
QString archiveDirectoryArgument(const QCommandLineParser &parser);

// A progress line on `err` ("read 1200/100000") when standard error is a terminal that a person
// watches; no function otherwise, so that redirected output stays clean.
std::function<void(qint64 done, qint64 total)> terminalProgress(QTextStream &err, const QString &verb);

} // namespace cli

namespace cli {

// "-o -": the output is standard output.
bool isStandardOutput(const QString &output);

} // namespace cli
