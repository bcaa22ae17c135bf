// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The archive folder as a whole: where it is by default and why it cannot be read.
namespace archive {

// The viewer's default archive: the working directory followed by "/archive".
QString defaultArchiveDirectory();

// An archive folder as the system names it: an empty path means the working directory, as it does for
// QDir.
inline QString folderPath(const QString &directory)
{
    return directory.isEmpty() ? QStringLiteral(".") : directory;
}

// Why a folder cannot be listed as an archive, or lists no measurement.
enum class FolderProblem
{
    none,
    missing,
    notAFolder,
    unreadable,
    empty,          // nothing in it at all
    noMeasurements, // entries, but no archive file among them
};

// Whether a folder can be listed: FolderProblem::none, missing, notAFolder or unreadable. The empty
// path stands for the working directory, as the listing reads it.
FolderProblem folderProblem(const QString &directory);
// Why a listed folder with no archive file shows nothing: empty, or without measurements.
FolderProblem emptinessOf(const QString &directory);

// The reason for a name that the system looks up but that is no folder, as the code writes it (the
// context of its translation is "archive").
const char *notAFolderSource();

// Checks that an archive folder can be listed; returns the empty text, or the reason why not.
QString unlistableFolderReason(const QString &directory);

// For a folder without a single archive file: says so and names the subfolders that do hold archive
// files ("did you mean DIR/archive?"). The empty text when the folder holds archive files.
QString noArchiveFilesText(const QString &directory);

} // namespace archive
