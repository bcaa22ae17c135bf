// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivereader.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;
class QTextStream;

// What the commands that read a whole archive share on the command line.
namespace cli {

// The --no-index option of the commands that read a whole archive, and the help text's paragraph on
// the index.
QCommandLineOption noIndexOption();
QString indexHelpText();
// How a command reads its archive: with the index unless --no-index is given, with progress on a
// terminal that counts the files `done` ("read", "checked").
archive::ArchiveReading readingOptions(const QCommandLineParser &parser, QTextStream &err,
                                       const QString &done);

// For a command that found nothing: when DIR holds no archive file at all, says so on `err` with a
// hint and gives the exit code; std::nullopt when the folder does hold archive files.
std::optional<int> noArchiveFilesFailure(QTextStream &err, const QString &command, const QString &directory);

// Names each file that could not be read on `err`, one line each, as skipped.
void reportSkippedFiles(QTextStream &err, const QString &command, const QString &directory,
                        const QStringList &fileNames);

} // namespace cli
