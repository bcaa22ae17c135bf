// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/contentfindings.h"
#include "measurement/measurementdigest.h"
#include "platform/filestamp.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

namespace archive {

// How a whole archive is read for the archive-wide commands.
struct ArchiveReadOptions
{
    // Take what the index knows of unchanged files and keep what is read for the next run.
    bool useIndex = true;
    // Names the rules behind `findings`: an index made under other rules is not used.
    QString rulesVersion = measurement::contentRulesVersion();
    // What the archive check finds in a measurement's content; stored with the digest.
    std::function<QStringList(const measurement::Measurement &)> findings = measurement::contentFindingTexts;
    // Decides from the name alone whether a file is wanted at all; wanted files only are opened.
    std::function<bool(QStringView fileName)> wanted;
    // Called now and then with the files done and the total.
    std::function<void(qint64 done, qint64 total)> progress;
    // Asked now and then; true ends the reading early (what was handed over stays handed over, and
    // the index keeps every row it had).
    std::function<bool()> stopRequested;
};

// How a command that reads a whole archive wants it read.
struct ArchiveReading
{
    bool useIndex = true; // take unchanged files from the index and keep what is read in it
    std::function<void(qint64 done, qint64 total)> progress;
    std::function<bool()> stopRequested; // as ArchiveReadOptions::stopRequested
};

// One archive file as read.
struct ArchiveFile
{
    // The exact name; for a name that is not valid in the file-name encoding (which no text can
    // hold), its escaped form: displayName() of its bytes, e.g. "steel_K1-\xff.json".
    QString fileName;
    platform::FileStamp stamp; // as it was when it was opened, or compared with the index
    // Null when the file could not be read; valid during the visit only.
    const measurement::MeasurementDigest *digest = nullptr;
    // The name is not valid in the file-name encoding: the viewer's listing leaves the file out.
    bool undecodableName = false;
    // Such a name as the system stores it, in the file-name encoding's bytes: what opens the file.
    // Empty for every other name, whose bytes are platform::encodeFileName(fileName).
    QByteArray encodedName;

    // The name as plain-text output shows it: control characters and invalid bytes escaped.
    QString shownName() const;
};

// Lists the archive files of `directory` (names matching "steel_*.json" as the viewer lists them,
// and those whose names the file-name encoding cannot decode, which the viewer leaves out) and hands
// every wanted one to `visit`, in ascending byte order of the UTF-8 names (such names by their own
// bytes). `wanted` sees such a name in its escaped form. Files the index
// knows under their current stamp are not opened; the others are read in parallel on all cores. A
// file that is no longer a regular file by the time it is looked at (removed since the listing) is
// left out.
// Returns false if the folder could not be listed.
bool readArchive(const QString &directory, const ArchiveReadOptions &options,
                 const std::function<void(const ArchiveFile &file)> &visit);

// How long after its last change a file is first filed in the index: a change within the file
// system's time resolution of the moment it was read would otherwise go unseen.
qint64 indexSettleMilliseconds();
// Sets that time for the whole program: for tests and benchmarks, whose files were written a moment
// ago (steel-archive's --settle-ms); 2 seconds unless set.
void setIndexSettleMilliseconds(qint64 milliseconds);

} // namespace archive
