// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundmeasurements.h"

#include "archive/displayname.h"
#include "platform/filesystem.h"

namespace query {

QByteArray FoundMeasurement::nameBytes() const
{
    return encodedName.isEmpty() ? platform::encodeFileName(fileName) : encodedName;
}

QString FoundMeasurement::shownName() const
{
    return encodedName.isEmpty() ? archive::displayName(fileName) : fileName;
}

void visitMeasurements(const QString &directory, const SearchCriteria &criteria,
                       const std::function<void(FoundMeasurement &&)> &visit, QStringList *unreadable,
                       const archive::ArchiveReading &reading)
{
    archive::ArchiveReadOptions options;
    options.useIndex = reading.useIndex;
    options.progress = reading.progress;
    options.stopRequested = reading.stopRequested;
    options.wanted = [&criteria](QStringView name) {
        return criteria.matchesName(archive::technologyView(name), archive::momentOfName(name));
    };
    archive::readArchive(directory, options, [&](const archive::ArchiveFile &file) {
        if (!file.digest) {
            if (unreadable)
                unreadable->append(file.fileName);
            return;
        }
        if (criteria.matchesContent(*file.digest))
            visit({file.fileName, archive::technologyOfFile(file.fileName),
                   archive::momentOfFile(file.fileName), *file.digest,
                   file.undecodableName ? file.encodedName : QByteArray()});
    });
}

bool listedBefore(const archive::Moment &a, const QString &fileNameA, const archive::Moment &b,
                  const QString &fileNameB)
{
    if (a.isValid() != b.isValid())
        return a.isValid();
    if (a != b)
        return a > b;
    return fileNameA < fileNameB;
}
} // namespace query
