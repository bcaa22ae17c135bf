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
    // Changed long enough before it was read for its stamp to tell the next change; a row without
    // a stamp is read again by the next run.
    bool settled = true;
};

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

// What the database keeps of a file to tell whether it changed: its stamp and the rules its row
// was made by.
QByteArray stampBytes(const platform::FileStamp &stamp, const QByteArray &rulesVersion);
// Whether the bytes kept for a file are those of its stamp now, under the same rules.
bool stampMatches(const platform::FileStamp &stamp, const QByteArray &rulesVersion, const char *kept,
                  int size);

// The finding stored where a text held a character that the database cannot store.
QString replacedCharactersFinding();

} // namespace database
