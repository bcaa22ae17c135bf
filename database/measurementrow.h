// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"
#include "platform/filestamp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

namespace database {

// The rules a row is made by, which belong to the commands that share them: the rows then say what
// the commands say.
struct RowRules
{
    // Names the rules: a row made under others is read and sent again.
    QString version;
    // The archive check's findings on a measurement's content, as texts to store.
    std::function<QStringList(const measurement::Measurement &)> findings;
    // A result text as a number, as the search filters read it; std::nullopt where it is none.
    std::function<std::optional<double>(const std::optional<QString> &)> number;
};

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

// Appends one row of COPY's binary format.
void writeMeasurementRow(std::string *out, const FileRow &file, const measurement::Measurement &m,
                         const RowRules &rules);

// What the database keeps of a file to tell whether it changed: its stamp and the rules its row
// was made by.
QByteArray stampBytes(const platform::FileStamp &stamp, const QByteArray &rulesVersion);
// Whether the bytes kept for a file are those of its stamp now, under the same rules.
bool stampMatches(const platform::FileStamp &stamp, const QByteArray &rulesVersion, const char *kept,
                  int size);

// The finding stored where a text held a character that the database cannot store.
QString replacedCharactersFinding();

} // namespace database
