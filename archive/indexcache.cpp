// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/indexcache.h"

#include "archive/archivefolder.h"
#include "platform/filesystem.h"
#include "platform/ownfolder.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVector>

#include <algorithm>
#include <optional>

namespace archive {

namespace {

const char *const companionSuffixes[] = {"", "-wal", "-shm", "-journal"};

bool isWithin(const QString &path, const QString &folder)
{
    return folder == QLatin1String("/") || path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Whether the folder at `canonicalFolder` or one above it is the archive folder itself, by the file
// system's identity rather than by the path: a second path to the archive (a bind mount, another
// mount of the same file system) spells it otherwise. True, to be safe, when the identities cannot
// all be taken.
bool reachesArchive(const QString &canonicalFolder, const QString &canonicalArchive)
{
    const std::optional<platform::FileIdentity> archive = platform::fileIdentity(canonicalArchive);
    const platform::FolderAncestry ancestry = platform::folderAncestry(canonicalFolder);
    return !archive || !ancestry.failure.isEmpty() ||
           std::find(ancestry.folders.begin(), ancestry.folders.end(), *archive) != ancestry.folders.end();
}

} // namespace

QString indexCacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/index");
}

qint64 indexSizeLimitBytes()
{
    return qint64(4) * 1024 * 1024 * 1024;
}

QString canonicalArchivePath(const QString &directory)
{
    return QFileInfo(folderPath(directory)).canonicalFilePath();
}

QString indexFilePath(const QString &canonicalArchive)
{
    const QByteArray hash =
        QCryptographicHash::hash(canonicalArchive.toUtf8(), QCryptographicHash::Sha1).toHex();
    return indexCacheFolder() + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".sqlite");
}

bool cacheFolderFits(const QString &canonicalArchive)
{
    const QString folder = QDir::cleanPath(QFileInfo(indexCacheFolder()).absoluteFilePath());
    const QString userCache =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
    if (platform::entryType(folder) == platform::EntryType::link)
        return false;
    for (QString part = folder; part != userCache && isWithin(part, userCache);
         part = QFileInfo(part).path()) {
        if (platform::entryType(part) == platform::EntryType::link)
            return false;
    }
    // Where the folder is, or would be once made: its nearest existing ancestor's canonical path and
    // the names still to be made.
    QString existing = folder;
    QString rest;
    while (platform::entryType(existing) == platform::EntryType::missing) {
        const QFileInfo info(existing);
        rest = QLatin1Char('/') + info.fileName() + rest;
        if (info.path() == existing)
            return false;
        existing = info.path();
    }
    const QString canonicalExisting = QFileInfo(existing).canonicalFilePath();
    if (canonicalExisting.isEmpty())
        return false;
    const QString canonical = canonicalExisting == QLatin1String("/") ? rest : canonicalExisting + rest;
    return !isWithin(canonical.isEmpty() ? QStringLiteral("/") : canonical, canonicalArchive) &&
           !reachesArchive(canonicalExisting, canonicalArchive);
}

bool indexFilesAreOwn(const QString &path)
{
    for (const char *suffix : companionSuffixes) {
        if (platform::ownFileState(path + QLatin1String(suffix)) == platform::OwnFileState::suspicious)
            return false;
    }
    return true;
}

void removeIndexFiles(const QString &path)
{
    // Removing a name never follows a link: what goes is always in the cache folder.
    const QString spelt = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const char *suffix : companionSuffixes)
        platform::removeOwnFile(spelt + QLatin1String(suffix));
}

namespace {

// The user's folder that the index's folder is made in, step by step: the system's cache folder
// (~/.cache), or, where each program keeps its cache beside that folder rather than in it (Windows:
// %LOCALAPPDATA%\cache and %LOCALAPPDATA%\steel-archive\cache), the folder that holds both. Empty
// where the index's folder lies in neither.
QString userFolderAbove(const QString &folder)
{
    const QString cache = QDir::cleanPath(
        QFileInfo(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)).absoluteFilePath());
    for (const QString &base : {cache, QFileInfo(cache).path()}) {
        if (folder != base && isWithin(folder, base))
            return base;
    }
    return QString();
}

} // namespace

std::unique_ptr<platform::OwnFolder> openCacheFolder(const QString &canonicalArchive)
{
    if (!cacheFolderFits(canonicalArchive))
        return nullptr;
    const QString folder = QDir::cleanPath(QFileInfo(indexCacheFolder()).absoluteFilePath());
    const QString userCache = userFolderAbove(folder);
    if (userCache.isEmpty() || !QDir().mkpath(userCache))
        return nullptr;
    const std::optional<platform::FileIdentity> archive = platform::fileIdentity(canonicalArchive);
    if (!archive)
        return nullptr;
    const QStringList names = folder.mid(userCache.size() + 1).split(QLatin1Char('/'));
    auto held = std::make_unique<platform::OwnFolder>(
        userCache, names, [&archive](const platform::FolderAncestry &ancestry) {
            return ancestry.failure.isEmpty() && std::find(ancestry.folders.begin(), ancestry.folders.end(),
                                                           *archive) == ancestry.folders.end();
        });
    return held->isOpen() ? std::move(held) : nullptr;
}

void keepIndexesWithinLimit(const QString &current)
{
    struct IndexFile
    {
        QString path;
        qint64 bytes;
        QDateTime used;
    };
    QVector<IndexFile> files;
    qint64 total = 0;
    QDirIterator it(indexCacheFolder(), {QStringLiteral("*.sqlite")}, QDir::Files);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        qint64 bytes = info.size() + QFileInfo(info.filePath() + QStringLiteral("-wal")).size();
        files.append({info.filePath(), bytes, info.lastModified()});
        total += bytes;
    }
    std::sort(files.begin(), files.end(),
              [](const IndexFile &a, const IndexFile &b) { return a.used < b.used; });
    for (const IndexFile &file : files) {
        if (total <= indexSizeLimitBytes())
            break;
        if (file.path == current)
            continue;
        removeIndexFiles(file.path);
        total -= file.bytes;
    }
}

} // namespace archive
