// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/indexedsearch.h"

#include "archive/archivefolder.h"
#include "archive/archivename.h"
#include "archive/indexrecord.h"
#include "archive/measurementindex.h"
#include "measurement/contentfindings.h"
#include "platform/filesystem.h"

#include <algorithm>
#include <cstring>

namespace query {

namespace {

// The rows asked about between two looks at stopRequested.
constexpr int rowsBetweenStops = 4096;

// A melt text without letters that have a case can only be part of a record whose bytes hold its
// UTF-16 code units as they are: rows without them need not be decoded. Other texts match in another
// letter case too, so every row is decoded for them.
class RecordFilter
{
public:
    explicit RecordFilter(const SearchCriteria &criteria)
    {
        if (!criteria.melt || criteria.melt->isEmpty())
            return;
        const QString &melt = *criteria.melt;
        if (melt.toLower() != melt || melt.toUpper() != melt)
            return;
        units = QByteArray(reinterpret_cast<const char *>(melt.utf16()), melt.size() * int(sizeof(QChar)));
    }

    bool mayMatch(const char *record, int size) const
    {
        if (units.isEmpty())
            return true;
        const char *end = record + size;
        return std::search(record, end, units.constBegin(), units.constEnd()) != end;
    }

private:
    QByteArray units;
};

} // namespace

bool visitIndexedMeasurements(const QString &directory, const SearchCriteria &criteria,
                              const std::function<void(FoundMeasurement &&found)> &visit,
                              const std::function<bool()> &stopRequested)
{
    const QString folder = archive::folderPath(directory);
    const std::unique_ptr<archive::MeasurementIndex> index =
        archive::MeasurementIndex::open(folder, measurement::contentRulesVersion());
    if (!index)
        return false;
    const platform::HeldFolder held(folder);
    const RecordFilter filter(criteria);
    archive::MeasurementIndex::Row row;
    int sinceStopAsked = 0;
    while (index->nextRow(&row)) {
        if (++sinceStopAsked == rowsBetweenStops) {
            sinceStopAsked = 0;
            if (stopRequested && stopRequested())
                break;
        }
        if (!row.intact || !filter.mayMatch(row.record, row.recordSize))
            continue;
        const QString name = QString::fromUtf8(row.name, row.nameSize);
        if (!criteria.matchesName(archive::technologyView(name), archive::momentOfName(name)))
            continue;
        platform::FileStamp filed;
        measurement::MeasurementDigest digest;
        if (!archive::readIndexRecord(row.record, row.recordSize, &filed, &digest) ||
            !criteria.matchesContent(digest))
            continue;
        // Exact only for a file exactly as it was filed.
        const std::optional<platform::FileStamp> now = held.regularFileStamp(platform::encodeFileName(name));
        if (!now || *now != filed)
            continue;
        visit({name, archive::technologyOfFile(name), archive::momentOfFile(name), std::move(digest)});
    }
    return true;
}

} // namespace query
