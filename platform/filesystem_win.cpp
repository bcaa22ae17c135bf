// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/filesystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

// For now the portable Qt calls; the Win32 calls (FindFirstFileEx, GetFileInformationByHandle,
// the volume serial number with the file index) take their place in this file.
namespace platform {

namespace {

FileStamp stampOf(const QFileInfo &info)
{
    const auto split = [](qint64 msecs, qint64 *seconds, qint64 *nanoseconds) {
        *seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
        *nanoseconds = (msecs - *seconds * 1000) * 1000000;
    };
    FileStamp stamp;
    stamp.size = info.size();
    split(info.lastModified().toMSecsSinceEpoch(), &stamp.modifiedSeconds, &stamp.modifiedNanoseconds);
    split(info.metadataChangeTime().toMSecsSinceEpoch(), &stamp.changedSeconds, &stamp.changedNanoseconds);
    return stamp;
}

struct OpenFolder
{
    QString path;
};

} // namespace

std::optional<FileStamp> FolderEntry::regularFileStamp() const
{
    const QString folderPath = static_cast<const OpenFolder *>(folder)->path;
    const QFileInfo info(folderPath + QLatin1Char('/') + QFile::decodeName(QByteArray(name, length)));
    if (!info.isFile())
        return std::nullopt;
    return stampOf(info);
}

bool forEachFolderEntry(const QString &folder, const std::function<void(const FolderEntry &)> &visit)
{
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return false;
    const OpenFolder open{folder};
    FolderEntry entry;
    entry.folder = &open;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo &info : entries) {
        const QByteArray name = QFile::encodeName(info.fileName());
        entry.name = name.constData();
        entry.length = name.size();
        entry.kind = info.isSymLink() ? FolderEntry::Kind::maybeFile
                     : info.isFile()  ? FolderEntry::Kind::regular
                                      : FolderEntry::Kind::other;
        visit(entry);
    }
    return true;
}

ReadOnlyFile::~ReadOnlyFile()
{
    close();
}

bool ReadOnlyFile::open(const QByteArray &encodedPath)
{
    return open(QFile::decodeName(encodedPath));
}

bool ReadOnlyFile::open(const QString &path)
{
    close();
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    openedStamp = stampOf(info);
    handle = reinterpret_cast<qintptr>(file.release());
    return true;
}

qint64 ReadOnlyFile::read(char *buffer, qint64 bytes)
{
    if (handle == -1)
        return -1;
    return reinterpret_cast<QFile *>(handle)->read(buffer, bytes);
}

void ReadOnlyFile::close()
{
    if (handle != -1)
        delete reinterpret_cast<QFile *>(handle);
    handle = -1;
}

std::optional<FileStamp> regularFileStamp(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return stampOf(info);
}

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    // Without the volume serial number and file index, the canonical path stands for the file.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
    return FileIdentity{0, quint64(qHash(canonical.toCaseFolded()))};
}

bool isSameFile(const QString &a, const QString &b)
{
    const std::optional<FileIdentity> first = fileIdentity(a);
    const std::optional<FileIdentity> second = fileIdentity(b);
    return first && second && *first == *second;
}

QString lookupFailure(const QString &path)
{
    return QFileInfo::exists(path) ? QString() : QStringLiteral("No such file or directory");
}

} // namespace platform
