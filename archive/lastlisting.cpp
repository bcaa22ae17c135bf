// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/lastlisting.h"

#include "archive/measurementindex.h"
#include "measurement/contentfindings.h"

#include <memory>
#include <vector>

namespace archive {

std::optional<QVector<ArchiveEntry>> lastListedFirstView(const QString &folder)
{
    const std::unique_ptr<MeasurementIndex> index =
        MeasurementIndex::open(folder, measurement::contentRulesVersion());
    std::vector<MeasurementIndex::ListedName> names;
    if (!index || !index->lastListing(&names) || names.empty())
        return std::nullopt;
    QVector<ArchiveEntry> files;
    files.reserve(int(names.size()));
    for (const MeasurementIndex::ListedName &listed : names)
        files.append(ArchiveEntry{QString::fromUtf8(listed.name), listed.modifiedNsecs});
    return files;
}

void keepFirstView(const QString &folder, const QVector<ArchiveEntry> &files)
{
    const std::unique_ptr<MeasurementIndex> index =
        MeasurementIndex::open(folder, measurement::contentRulesVersion());
    if (!index)
        return;
    std::vector<MeasurementIndex::ListedName> names;
    names.reserve(size_t(files.size()));
    for (const ArchiveEntry &file : files)
        names.push_back(MeasurementIndex::ListedName{file.fileName.toUtf8(), file.modifiedNsecs});
    index->storeLastListing(names);
    index->finish();
}

} // namespace archive
