// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"
#include "platform/filestamp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

namespace database {

// One archive file besides its content.
struct FileRow
{
    int archiveId = 0;
    QString fileName;     // as find writes it: a name no text can hold, by its escaped bytes
    QByteArray nameBytes; // the name as the system stores it
    bool decodable = true;
    platform::FileStamp stamp;
    // Changed long enough before it was read for its stamp to tell the next change; a row of a file
    // not settled is read again by the next run.
    bool settled = true;
    // What the stamp keeps besides: the digest of the content last counted (see KeptStamp) and
    // whether the file was last counted at all (a file first seen while it was not settled was not).
    QByteArray countedDigest;
    bool counted = true;
};

// What a stored stamp says beyond the file's times and identity: the digest of the content last
// counted as added or changed (empty where an older run kept none), whether the file was counted at
// all, and whether the stamp can tell the next change (a settled file's).
struct KeptStamp
{
    QByteArray digest;
    bool counted = true;
    bool settled = false;
};
KeptStamp keptStamp(const char *kept, int size, const QByteArray &rulesVersion);

// The digest of what a file's row says of its content and name, which no copy, touch or move of the
// file changes: its size, its name's bytes and everything read from it.
QByteArray contentDigest(const FileRow &file, const measurement::Measurement &m,
                         const QByteArray &rulesVersion);

// The columns a measurement row fills, in the order writeMeasurementRow writes them.
extern const char measurementColumns[];

// Appends one row of COPY's binary format: the results as find shows them, numbers where the search
// filters read one, check's findings on the content in English. `rulesVersion` (see rowsVersion)
// goes with the stamp.
void writeMeasurementRow(std::string *out, const FileRow &file, const measurement::Measurement &m,
                         const QByteArray &rulesVersion);

// Names the rules rows are made by: the content findings' and the making of the row itself. A row
// kept under other rules is read and sent again.
QByteArray rowsVersion();

// What the database keeps of a file to tell whether it changed is its stamp: its times and identity,
// the content digest last counted, its state and the rules its row was made by. Whether the bytes
// kept for a file are those of its settled stamp now, under the same rules.
bool stampMatches(const platform::FileStamp &stamp, const QByteArray &rulesVersion, const char *kept,
                  int size);

// The finding stored where a text held a character that the database cannot store.
QString replacedCharactersFinding();

} // namespace database
