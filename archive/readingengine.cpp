// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/readingengine.h"

#include "archive/archivefolder.h"
#include "archive/archivelisting.h"
#include "archive/archivereader.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "platform/filesystem.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>

namespace archive {

int compareBytes(const char *a, int aSize, const char *b, int bSize)
{
    const int common = std::min(aSize, bSize);
    const int order = common > 0 ? std::memcmp(a, b, size_t(common)) : 0;
    return order != 0 ? order : aSize - bSize;
}

FolderListing::FolderListing(const QString &directory)
    : directory(directory), folder(folderPath(directory)),
      encodedFolder(platform::encodeFileName(folder) + '/')
{}

bool FolderListing::list(const std::function<bool(QStringView fileName)> &wanted, bool takeStamps)
{
    // The stamps are taken on all cores while the folder is still being read.
    if (takeStamps)
        stamps.start(folder);
    return forEachArchiveFileName(
        directory, technologyPattern(), [&](QStringView name, const QByteArray &undecodable) {
            if (wanted && !wanted(undecodable.isEmpty() ? name : QStringView(displayName(undecodable))))
                return;
            listed.add(name, undecodable);
            if (takeStamps)
                stamps.offer(listed);
        });
}

void FolderListing::add(const QByteArray &encodedName)
{
    // Taken as the listing would give it: by its bytes where no text holds the name.
    const QString decoded = platform::decodeFileName(encodedName);
    listed.add(decoded, platform::encodeFileName(decoded) == encodedName ? QByteArray() : encodedName);
}

void FolderListing::sort(bool takeStamps)
{
    if (takeStamps && !stamps.taken()) {
        stamps.start(folder);
        stamps.offer(listed, true);
    }
    listed.sortByName();
    stamps.finish(listed);
}

std::optional<platform::FileStamp> FolderListing::stamp(int i) const
{
    return stamps.taken() ? stamps.at(listed.listed(i)) : platform::regularFileStamp(path(i));
}

qint64 settledBeforeNow()
{
    return (QDateTime::currentMSecsSinceEpoch() - indexSettleMilliseconds()) * qint64(1000000);
}

} // namespace archive
