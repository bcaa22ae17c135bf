// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/filesystem.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <vector>

#include <windows.h>

#include <aclapi.h>

// The Win32 side. Paths go to the system in UTF-16 with the \\?\ prefix, so that names the Win32 path
// rules would bend (trailing dots and spaces, long paths) reach the file system as they are; names
// come back as UTF-8, the file-name encoding of this room on Windows. Files are opened sharing read,
// write and delete with everyone else, so that a measurement being written or replaced by the plant's
// system is never held up by a reader.
namespace platform {

namespace {

// 100 ns ticks between 1601-01-01 (FILETIME's epoch) and 1970-01-01.
constexpr qint64 unixEpochTicks = 116444736000000000LL;

void splitTicks(qint64 fileTime, qint64 *seconds, qint64 *nanoseconds)
{
    const qint64 ticks = fileTime - unixEpochTicks;
    qint64 whole = ticks / 10000000;
    qint64 rest = ticks % 10000000;
    if (rest < 0) {
        --whole;
        rest += 10000000;
    }
    *seconds = whole;
    *nanoseconds = rest * 100;
}

qint64 ticksOf(const FILETIME &time)
{
    return qint64((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// The system's own form of a path: absolute, backslashes, with the prefix that switches off the
// Win32 name rewriting (and the length limit). \\server\share\x becomes \\?\UNC\server\share\x.
std::wstring systemPath(const QString &path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(QLatin1String("\\\\?\\")) || native.startsWith(QLatin1String("\\\\.\\")))
        return native.toStdWString();
    if (native.startsWith(QLatin1String("\\\\")))
        native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
    else
        native = QStringLiteral("\\\\?\\") + native;
    return native.toStdWString();
}

// Windows says "path not found" both for a path through a missing folder and for one through a file,
// which POSIX tells apart ("Not a directory"): the nearest part of the path that exists tells here.
bool leadsThroughAFile(const QString &path)
{
    QString part = QFileInfo(path).absolutePath();
    for (int depth = 0; depth < 1000; ++depth) {
        const DWORD attributes = ::GetFileAttributesW(systemPath(part).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        const QString parent = QFileInfo(part).path();
        if (parent == part)
            break;
        part = parent;
    }
    return false;
}

FileStamp stampOf(HANDLE handle, const BY_HANDLE_FILE_INFORMATION &info)
{
    FileStamp stamp;
    stamp.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    splitTicks(ticksOf(info.ftLastWriteTime), &stamp.modifiedSeconds, &stamp.modifiedNanoseconds);
    // The change time (NTFS keeps one; FILE_BASIC_INFO gives it): a rewrite that puts the size and the
    // last-write time back still changes it. Without it, the last write stands in.
    FILE_BASIC_INFO basic;
    if (::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) &&
        basic.ChangeTime.QuadPart != 0)
        splitTicks(basic.ChangeTime.QuadPart, &stamp.changedSeconds, &stamp.changedNanoseconds);
    else {
        stamp.changedSeconds = stamp.modifiedSeconds;
        stamp.changedNanoseconds = stamp.modifiedNanoseconds;
    }
    stamp.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // The volume serial number tells volumes apart; Windows has no mount id beside it.
    stamp.device = info.dwVolumeSerialNumber;
    return stamp;
}

bool isRegular(DWORD attributes)
{
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// Opens a path for reading without holding anyone else up, following links. `forQuestions` opens
// for the file's information only (no read access needed), which also works on folders.
HANDLE openShared(const std::wstring &path, bool forQuestions)
{
    return ::CreateFileW(path.c_str(), forQuestions ? FILE_READ_ATTRIBUTES : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         forQuestions ? FILE_FLAG_BACKUP_SEMANTICS : FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Information of an open handle, with the volume serial number; false for anything but a regular
// file on disk (a folder, a device, a pipe).
bool regularInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION *info)
{
    return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, info) &&
           isRegular(info->dwFileAttributes);
}

std::optional<FileStamp> stampOfPath(const std::wstring &path)
{
    const HANDLE handle = openShared(path, true);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool regular = regularInformation(handle, &info);
    const FileStamp stamp = regular ? stampOf(handle, info) : FileStamp();
    ::CloseHandle(handle);
    if (!regular)
        return std::nullopt;
    return stamp;
}

struct OpenFolder
{
    std::wstring path; // with the trailing backslash
};

QByteArray utf8Of(const wchar_t *name)
{
    return QString::fromWCharArray(name).toUtf8();
}

} // namespace

QByteArray narrowRuntimePath(const QString &path)
{
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    if (::GetACP() == CP_UTF8)
        return QString::fromStdWString(wide).toUtf8();
    BOOL lost = FALSE;
    const int size =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lost);
    if (size > 0 && !lost) {
        QByteArray bytes(size, '\0');
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, bytes.data(), size, nullptr,
                              &lost);
        bytes.chop(1); // the terminating zero
        return bytes;
    }
    const DWORD needed = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0)
        return QByteArray();
    std::wstring shortPath(needed, L'\0');
    const DWORD length = ::GetShortPathNameW(wide.c_str(), &shortPath[0], needed);
    if (length == 0 || length >= needed)
        return QByteArray();
    shortPath.resize(length);
    const QString shortForm = QString::fromStdWString(shortPath);
    for (const QChar c : shortForm) {
        if (c.unicode() >= 0x80)
            return QByteArray(); // short names switched off on this volume
    }
    return shortForm.toLatin1();
}

QString decodeFileName(const QByteArray &encodedName)
{
    return QString::fromUtf8(encodedName);
}

QByteArray encodeFileName(const QString &name)
{
    return name.toUtf8();
}

std::optional<FileStamp> FolderEntry::regularFileStamp() const
{
    const auto *open = static_cast<const OpenFolder *>(folder);
    return stampOfPath(open->path + decodeFileName(QByteArray(name, length)).toStdWString());
}

bool forEachFolderEntry(const QString &folder, const std::function<void(const FolderEntry &)> &visit)
{
    OpenFolder open{systemPath(folder)};
    if (open.path.empty() || open.path.back() != L'\\')
        open.path += L'\\';
    WIN32_FIND_DATAW found;
    // FindExInfoBasic: no short 8.3 names (one lookup less per entry); large fetch: fewer round trips
    // to a network share.
    const HANDLE search = ::FindFirstFileExW((open.path + L'*').c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND; // an empty volume root lists nothing
    FolderEntry entry;
    entry.folder = &open;
    QByteArray name;
    do {
        name = utf8Of(found.cFileName);
        entry.name = name.constData();
        entry.length = name.size();
        const DWORD attributes = found.dwFileAttributes;
        // A reparse point (a symbolic link, a junction) is followed by the status call, as a link is
        // on POSIX; a plain file is a regular file by the listing's own word.
        entry.kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FolderEntry::Kind::maybeFile
                     : isRegular(attributes)                     ? FolderEntry::Kind::regular
                                                                 : FolderEntry::Kind::other;
        entry.listedModifiedMsecs = -1;
        if (entry.kind == FolderEntry::Kind::regular) {
            qint64 seconds = 0;
            qint64 nanoseconds = 0;
            splitTicks(ticksOf(found.ftLastWriteTime), &seconds, &nanoseconds);
            entry.listedModifiedMsecs = seconds * 1000 + nanoseconds / 1000000;
        }
        visit(entry);
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    return error == ERROR_NO_MORE_FILES;
}

ReadOnlyFile::~ReadOnlyFile()
{
    close();
}

bool ReadOnlyFile::open(const QByteArray &encodedPath)
{
    return open(decodeFileName(encodedPath));
}

bool ReadOnlyFile::open(const QString &path)
{
    close();
    const HANDLE file = openShared(systemPath(path), false);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!regularInformation(file, &info)) {
        ::CloseHandle(file);
        return false;
    }
    // The last-access time: Windows updates it lazily if at all (off by default on NTFS volumes);
    // keeping it still would need write access to the file's attributes, which a reader does not ask for.
    openedStamp = stampOf(file, info);
    handle = reinterpret_cast<qintptr>(file);
    return true;
}

qint64 ReadOnlyFile::read(char *buffer, qint64 bytes)
{
    if (handle == -1)
        return -1;
    DWORD got = 0;
    const DWORD wanted = DWORD(qMin<qint64>(bytes, 1 << 30));
    if (!::ReadFile(reinterpret_cast<HANDLE>(handle), buffer, wanted, &got, nullptr))
        return -1;
    return qint64(got);
}

void ReadOnlyFile::close()
{
    if (handle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    handle = -1;
}

std::optional<FileStamp> regularFileStamp(const QString &path)
{
    return stampOfPath(systemPath(path));
}

std::optional<FileStamp> regularFileStamp(const QByteArray &encodedPath)
{
    return regularFileStamp(decodeFileName(encodedPath));
}

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    const HANDLE handle = openShared(systemPath(path), true);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool isSameFile(const QString &a, const QString &b)
{
    const std::optional<FileIdentity> first = fileIdentity(a);
    const std::optional<FileIdentity> second = fileIdentity(b);
    return first && second && *first == *second;
}

FolderStatus folderStatus(const QString &path)
{
    FolderStatus folder;
    const HANDLE handle = openShared(systemPath(path), true);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // The words lookupFailure() gives; a folder being deleted (still listed until its last
        // handle closes) refuses to be opened while its attributes are still read.
        const QString failure = lookupFailure(path);
        if (failure == QLatin1String("No such file or directory") ||
            failure == QLatin1String("Not a directory"))
            folder.kind = FolderStatus::Kind::missing;
        else
            folder.failure = failure.isEmpty() ? QStringLiteral("Windows error %1").arg(error) : failure;
        return folder;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(handle, &info)) {
        folder.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderStatus::Kind::folder
                                                                         : FolderStatus::Kind::notAFolder;
        folder.stamp = stampOf(handle, info);
        // Windows has no mount id: the volume serial number and the file index tell folders apart.
        folder.identity = FolderIdentity{folder.stamp.device, folder.stamp.inode, 0};
    } else {
        folder.failure = QStringLiteral("Windows error %1").arg(::GetLastError());
    }
    ::CloseHandle(handle);
    return folder;
}

FolderAncestry folderAncestry(const QString &folder)
{
    FolderAncestry ancestry;
    // Windows takes ".." from the spelling, so the parents of the spelt path are the folders a path
    // into it passes through; each is identified by what it leads to (a junction, a link, a
    // substituted or mapped drive by its target), as the stamps identify files.
    QString path =
        QDir::cleanPath(QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).absoluteFilePath());
    for (;;) {
        const std::optional<FileIdentity> identity = fileIdentity(path);
        if (identity && (ancestry.folders.empty() || ancestry.folders.back() != *identity)) {
            ancestry.folders.push_back(*identity);
        } else if (!identity && ancestry.folders.empty()) {
            ancestry.failure = lookupFailure(path);
            if (ancestry.failure.isEmpty())
                ancestry.failure = QStringLiteral("Permission denied"); // there, but not to be opened
            return ancestry;
        }
        // A folder above that cannot be opened for its identity (\\server above a share, a folder
        // whose rules deny it) is no folder that was read: reading one opens it the same way.
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return ancestry;
        path = parent;
    }
}

EntryType entryType(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
            return EntryType::missing;
        default:
            return EntryType::unknown;
        }
    }
    // A symbolic link or a junction: the name itself is the link, whatever it points at.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryType::link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryType::folder;
    return (attributes & FILE_ATTRIBUTE_DEVICE) ? EntryType::other : EntryType::regular;
}

bool touchWithoutFollowing(const QString &path)
{
    // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened, and stamped, itself.
    const HANDLE handle =
        ::CreateFileW(systemPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const bool touched = ::SetFileTime(handle, nullptr, nullptr, &now);
    ::CloseHandle(handle);
    return touched;
}

namespace {

// Whether the file's owner is the user running the program: the token's user, or the owner it gives
// new files by default (an administrator's files belong to the Administrators group).
bool ownedByUser(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return false;
    bool own = false;
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
            DWORD size = 0;
            ::GetTokenInformation(token, kind, nullptr, 0, &size);
            std::vector<char> buffer(size);
            if (size == 0 || !::GetTokenInformation(token, kind, buffer.data(), size, &size))
                continue;
            const PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid
                                               : reinterpret_cast<TOKEN_OWNER *>(buffer.data())->Owner;
            own = own || ::EqualSid(sid, owner);
        }
        ::CloseHandle(token);
    }
    ::LocalFree(descriptor);
    return own;
}

// Opens a file of the program's own with `access`, never through a link (the reparse point itself is
// opened and refused): a regular file on disk with one link, owned by the user. INVALID_HANDLE_VALUE
// with `*missing` set when there is nothing at the name.
HANDLE openOwnFile(const QString &path, DWORD access, bool *missing)
{
    *missing = false;
    const HANDLE handle =
        ::CreateFileW(systemPath(path).c_str(), access | FILE_READ_ATTRIBUTES | READ_CONTROL,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        *missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool own = ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) &&
                     isRegular(info.dwFileAttributes) &&
                     !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && info.nNumberOfLinks == 1 &&
                     ownedByUser(handle);
    if (!own) {
        ::CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

} // namespace

OwnFileState ownFileState(const QString &path)
{
    bool missing = false;
    const HANDLE handle = openOwnFile(path, 0, &missing);
    if (handle == INVALID_HANDLE_VALUE)
        return missing ? OwnFileState::missing : OwnFileState::suspicious;
    ::CloseHandle(handle);
    return OwnFileState::own;
}

bool touchOwnFile(const QString &path)
{
    bool missing = false;
    const HANDLE handle = openOwnFile(path, FILE_WRITE_ATTRIBUTES, &missing);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const bool touched = ::SetFileTime(handle, nullptr, nullptr, &now);
    ::CloseHandle(handle);
    return touched;
}

bool removedFoldersWaitForHandles()
{
    return true; // under Wine the folder is even still listed and opened until then
}

SystemKind systemKind()
{
    return SystemKind::windows;
}

bool mountsHaveUniqueIds()
{
    return false;
}

QString lookupFailure(const QByteArray &encodedPath)
{
    return lookupFailure(decodeFileName(encodedPath));
}

QString lookupFailure(const QString &path)
{
    if (::GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES)
        return QString();
    const DWORD error = ::GetLastError();
    switch (error) {
    case ERROR_PATH_NOT_FOUND:
        if (leadsThroughAFile(path))
            return QStringLiteral("Not a directory");
        return QStringLiteral("No such file or directory");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
        return QStringLiteral("No such file or directory");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("Permission denied");
    default:
        break;
    }
    // The system's own words for the rest, in English as the other messages are.
    wchar_t *text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = length ? QString::fromWCharArray(text, int(length)).trimmed()
                                   : QStringLiteral("Windows error %1").arg(error);
    ::LocalFree(text);
    return message;
}

struct HeldFolder::Private
{
    std::wstring path; // with the trailing backslash
    bool open = false;
};

HeldFolder::HeldFolder(const QString &folder) : d(std::make_unique<Private>())
{
    d->path = systemPath(folder.isEmpty() ? QStringLiteral(".") : folder);
    const DWORD attributes = ::GetFileAttributesW(d->path.c_str());
    d->open = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (d->path.empty() || d->path.back() != L'\\')
        d->path += L'\\';
}

HeldFolder::~HeldFolder() = default;

bool HeldFolder::isOpen() const
{
    return d->open;
}

std::optional<FileStamp> HeldFolder::regularFileStamp(const QByteArray &encodedName) const
{
    if (!d->open || encodedName.isEmpty() || encodedName.contains('/') || encodedName.contains('\\'))
        return std::nullopt;
    return stampOfPath(d->path + decodeFileName(encodedName).toStdWString());
}

void HeldFolder::visitEntry(const QByteArray &encodedName,
                            const std::function<void(const FolderEntry &)> &visit) const
{
    if (!d->open || encodedName.isEmpty() || encodedName.contains('/') || encodedName.contains('\\'))
        return;
    const OpenFolder open{d->path};
    FolderEntry entry;
    entry.folder = &open;
    entry.name = encodedName.constData();
    entry.length = int(encodedName.size());
    entry.kind = FolderEntry::Kind::maybeFile;
    visit(entry);
}

} // namespace platform
