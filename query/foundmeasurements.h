// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "searchcriteria.h"

#include "archive/archivename.h"
#include "archive/archivereader.h"
#include "measurement/measurementdigest.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace query {

struct FoundMeasurement
{
    QString fileName; // the exact name, or the escaped form of one no text can hold (see ArchiveFile)
    QString technology;
    archive::Moment moment;
    measurement::MeasurementDigest digest;
    // Such a name's bytes as the listing gave them; empty for every other name.
    QByteArray encodedName = QByteArray();

    // The bytes that open the file in its folder: never a display form, which two files may share.
    QByteArray nameBytes() const;
    // The name as plain-text output shows it (escaped once, never twice).
    QString shownName() const;
};

// The measurements of the directory that meet every condition: each match is handed to `visit` as soon
// as it is read, in ascending order of the names' bytes, and nothing is kept; each file is read at most
// once. Names of matching-by-name files that could not be read are added to `unreadable`.
void visitMeasurements(const QString &directory, const SearchCriteria &criteria,
                       const std::function<void(FoundMeasurement &&found)> &visit,
                       QStringList *unreadable = nullptr, const archive::ArchiveReading &reading = {});

// The order of every list of measurements: latest moment first, names whose moment does not parse
// last, equal moments by file name.
bool listedBefore(const archive::Moment &a, const QString &fileNameA, const archive::Moment &b,
                  const QString &fileNameB);

} // namespace query
