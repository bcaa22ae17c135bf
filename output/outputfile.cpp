// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfile.h"
#include "archive/displayname.h"

#include "archive/archivefolder.h"
#include "language/systemtext.h"

#include "platform/filesystem.h"
#include "platform/writing.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QVector>

#include <algorithm>

namespace output {

namespace {

using platform::writing::PathStatus;
namespace writing = platform::writing;

// Our own file beside the target: hidden, and never a name the viewer lists.
const QString temporaryPrefix = QStringLiteral(".steel-archive-");

// The folder a path's file lies in as the system will find it when the file is made: the path up to
// its last separator, as it is spelt. Qt's absolutePath() drops "x/.." by the spelling, which is not
// where the system goes when x is a link: "link/../out" lands beside the folder the link names.
QString folderOfPath(const QString &path)
{
    const QString spelt = QDir::fromNativeSeparators(path);
    const int slash = spelt.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QFileInfo(path).absolutePath(); // a bare name: the working folder (or a drive's)
    QString folder = spelt.left(slash);
    if (folder.isEmpty() || folder.endsWith(QLatin1Char(':')))
        folder += QLatin1Char('/'); // "/" itself, or a drive's root ("C:/")
    return folder;
}

bool namedLikeArchiveFile(const QString &fileName)
{
    return archive::wildcardMatch(archive::technologyPattern(), fileName);
}

// The first file of `folder` that the viewer would list, or the empty text.
QString archiveFileIn(const QString &folder)
{
    QString first;
    archive::forEachMatchingFile(folder, archive::technologyPattern(), false,
                                 [&first](QStringView name, qint64) {
                                     if (first.isEmpty())
                                         first = name.toString();
                                 });
    return first;
}

// A folder a command reads: where it lies (for the messages and the hard-link search) and what it
// is. The identity is what counts: a bind mount, a link or any other second way to the folder
// reaches a folder with the same identity, however the path is spelt.
struct ReadFolder
{
    QString path;
    platform::FileIdentity identity;
};

QVector<ReadFolder> resolvedFolders(const ReadArchive &read)
{
    QVector<ReadFolder> folders;
    for (const QString &folder : read.folders) {
        const QString resolved = writing::resolvedPath(folder);
        const std::optional<platform::FileIdentity> identity = platform::fileIdentity(folder);
        if (resolved.isEmpty() || !identity)
            continue; // a folder that is not there holds nothing to protect
        const bool known = std::any_of(folders.cbegin(), folders.cend(),
                                       [&](const ReadFolder &f) { return f.identity == *identity; });
        if (!known)
            folders.append({resolved, *identity});
    }
    return folders;
}

// Why the existing file `status` (reached through `output`) must be left alone because the command
// reads it, or the empty text.
QString readFileRefusal(const ReadArchive &read, const QVector<ReadFolder> &folders, const PathStatus &status)
{
    for (const QString &file : read.files) {
        const PathStatus input = writing::pathStatus(file, true);
        if (input.kind == PathStatus::Kind::regular && input.device == status.device &&
            input.file == status.file)
            return QCoreApplication::translate("output",
                                               "is the measurement file %1 being read (the same file under "
                                               "this name); refusing to overwrite a measurement")
                .arg(archive::displayPath(file));
    }
    if (status.links > 1) {
        // Another name of a file of the archive: a hard link.
        for (const ReadFolder &folder : folders) {
            const QString entry = writing::entryOfFile(folder.path, status.device, status.file);
            if (!entry.isEmpty())
                return QCoreApplication::translate("output",
                                                   "is the file %1 of the archive folder being read (the "
                                                   "same file under this name); refusing to overwrite it")
                    .arg(archive::displayPath(QDir(folder.path).filePath(entry)));
        }
    }
    return QString();
}

// Why a file must not be written into the folder whose ancestry (the folder first) is `ancestry`, or
// the empty text. The folder and every folder above it are compared with the folders read by what
// they are, not by how they are spelt.
QString ancestryRefusal(const QVector<ReadFolder> &readFolders, const platform::FolderAncestry &ancestry,
                        const QString &folder)
{
    for (const ReadFolder &read : readFolders) {
        const auto found = std::find(ancestry.folders.cbegin(), ancestry.folders.cend(), read.identity);
        if (found == ancestry.folders.cbegin())
            return QCoreApplication::translate(
                       "output",
                       "is in the archive folder %1 being read; nothing is ever written into an archive")
                .arg(archive::displayPath(read.path));
        if (found != ancestry.folders.cend())
            return QCoreApplication::translate(
                       "output",
                       "is inside the archive folder %1 being read; nothing is ever written into an "
                       "archive")
                .arg(archive::displayPath(read.path));
    }
    if (!ancestry.failure.isEmpty())
        return QCoreApplication::translate("output",
                                           "cannot be told apart from the archive: a folder above %1 "
                                           "cannot be looked up (%2)")
            .arg(archive::displayPath(folder), language::systemReason(ancestry.failure));
    return QString();
}

QString archiveFileRefusal(const QString &folder, const QString &archiveFile)
{
    return QCoreApplication::translate("output", "is in %1, which holds archive files (such as %2) and so is "
                                                 "an archive to the viewer; nothing is ever written into an "
                                                 "archive")
        .arg(archive::displayPath(folder), archiveFile);
}

// Why a file must not be written into `folder`, or the empty text.
QString folderRefusal(const QVector<ReadFolder> &readFolders, const QString &folder)
{
    const QString refusal = ancestryRefusal(readFolders, platform::folderAncestry(folder), folder);
    if (!refusal.isEmpty())
        return refusal;
    const QString archiveFile = archiveFileIn(folder);
    return archiveFile.isEmpty() ? QString() : archiveFileRefusal(folder, archiveFile);
}

// Why `output`, a symbolic link, is refused: always, and saying so when it leads into an archive.
QString linkRefusal(const ReadArchive &read, const QVector<ReadFolder> &folders, const QString &output)
{
    const PathStatus target = writing::pathStatus(output, true);
    const QString resolved = writing::resolvedPath(output);
    QString archiveTarget;
    if (target.kind == PathStatus::Kind::regular) {
        const QFileInfo resolvedInfo(resolved);
        if (!readFileRefusal(read, folders, target).isEmpty() ||
            namedLikeArchiveFile(resolvedInfo.fileName()) ||
            !folderRefusal(folders, resolvedInfo.absolutePath()).isEmpty())
            archiveTarget = resolved;
    } else if (target.kind == PathStatus::Kind::folder && !resolved.isEmpty() &&
               !folderRefusal(folders, resolved).isEmpty()) {
        archiveTarget = resolved;
    }
    if (!archiveTarget.isEmpty())
        return QCoreApplication::translate(
                   "output", "is a symbolic link to %1, which belongs to an archive; refusing to write there")
            .arg(archive::displayPath(archiveTarget));
    return QCoreApplication::translate("output",
                                       "is a symbolic link; outputs are written as new files, never "
                                       "through or over a link: name the file itself");
}

// Why the entry `itself` at `output` must not be replaced, or the empty text: a link, a folder,
// anything but a regular file, or a file the command reads.
QString entryRefusal(const ReadArchive &read, const QVector<ReadFolder> &folders, const QString &output,
                     const PathStatus &itself)
{
    if (itself.kind == PathStatus::Kind::symbolicLink)
        return linkRefusal(read, folders, output);
    if (itself.kind == PathStatus::Kind::folder) {
        const std::optional<platform::FileIdentity> identity = platform::fileIdentity(output);
        if (identity && std::any_of(folders.cbegin(), folders.cend(),
                                    [&](const ReadFolder &f) { return f.identity == *identity; }))
            return QCoreApplication::translate("output",
                                               "is the archive folder being read; name a file outside it");
        return QCoreApplication::translate("output", "is a folder, not a file");
    }
    if (itself.kind == PathStatus::Kind::other)
        return QCoreApplication::translate(
            "output", "is not a regular file (a device, pipe or socket); name a regular file");
    if (itself.kind == PathStatus::Kind::regular)
        return readFileRefusal(read, folders, itself);
    return QString();
}

QString existingFileRefusal(const QString &denied)
{
    return QCoreApplication::translate("output", "exists and may not be written (%1); it is left as it is")
        .arg(language::systemReason(denied));
}

QString fileNameOf(const QString &path)
{
    const QString spelt = QDir::fromNativeSeparators(path);
    return spelt.mid(spelt.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

ReadArchive readingFile(const QString &path)
{
    ReadArchive read;
    read.files.append(path);
    read.folders.append(folderOfPath(path));
    const QString resolved = writing::resolvedPath(path);
    if (!resolved.isEmpty())
        read.folders.append(QFileInfo(resolved).absolutePath());
    return read;
}

ReadArchive readingFolder(const QString &folder)
{
    ReadArchive read;
    read.folders.append(folder.isEmpty() ? QStringLiteral(".") : folder);
    return read;
}

namespace {

// Why nothing can be written into the folder of `output`, which could not be opened.
QString unopenedFolderRefusal(const writing::TargetFolder &folder, const QString &output)
{
    const PathStatus failure = folder.openFailure();
    if (!failure.failure.isEmpty())
        return QCoreApplication::translate("output", "cannot be looked up: %1")
            .arg(language::systemReason(failure.failure));
    return QCoreApplication::translate("output", "cannot be written into %1: %2")
        .arg(archive::displayPath(folderOfPath(output)),
             QCoreApplication::translate("output", "no such folder"));
}

// The output rule asked of the folder that will be written, by its handle: what its path leads to
// meanwhile is of no account, and no part of the path is looked up again.
QString heldOutputRefusal(const ReadArchive &read, const writing::TargetFolder &folder, const QString &output)
{
    if (!folder.isOpen())
        return unopenedFolderRefusal(folder, output);
    const QVector<ReadFolder> folders = resolvedFolders(read);
    const QString name = fileNameOf(output);
    PathStatus itself;
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        itself.kind = PathStatus::Kind::folder; // the folder itself, spelt as a file
    else
        itself = folder.entryStatus(name);
    if (itself.kind == PathStatus::Kind::missing && !itself.failure.isEmpty())
        return QCoreApplication::translate("output", "cannot be looked up: %1")
            .arg(language::systemReason(itself.failure));
    QString refusal = entryRefusal(read, folders, output, itself);
    if (!refusal.isEmpty())
        return refusal;
    if (namedLikeArchiveFile(name))
        return QCoreApplication::translate("output",
                                           "is named like an archive file (%1), which the viewer would "
                                           "list as a measurement; refusing to write it")
            .arg(archive::technologyPattern());
    const QString folderPath = folderOfPath(output);
    refusal = ancestryRefusal(folders, folder.ancestry(), folderPath);
    if (!refusal.isEmpty())
        return refusal;
    const QString archiveFile = folder.firstRegularFile(namedLikeArchiveFile);
    if (!archiveFile.isEmpty())
        return archiveFileRefusal(folderPath, archiveFile);
    if (itself.kind == PathStatus::Kind::regular) {
        const QString denied = folder.writeAccessFailure(name);
        if (!denied.isEmpty())
            return existingFileRefusal(denied);
    }
    return QString();
}

} // namespace

QString outputRefusal(const ReadArchive &read, const QString &output)
{
    if (output.isEmpty())
        return QCoreApplication::translate("output", "is no file name");
    const writing::TargetFolder folder(folderOfPath(output));
    return heldOutputRefusal(read, folder, output);
}

bool isUnfinishedOutputName(const QString &fileName)
{
    return fileName.startsWith(temporaryPrefix) && fileName.size() > temporaryPrefix.size();
}

QString outputRuleHelpText()
{
    return QCoreApplication::translate(
               "output",
               "The output is written whole or not at all: into a new file beside it, which takes its\n"
               "place (with the old file's permissions and owner) only once every byte is on the disk;\n"
               "a failed write leaves an earlier file as it was. An output that is a symbolic link is\n"
               "refused: it is neither written through nor replaced. Never written: a file being read,\n"
               "under any name (hard links too); anything in or below the archive folder read; a name\n"
               "the viewer lists (steel_*.json); any folder that holds such files.\n") +
           (platform::systemKind() == platform::SystemKind::windows
                ? QCoreApplication::translate(
                      "output",
                      "Folders are compared by what they are, not by how they are spelt: the archive folder\n"
                      "reached another way (a mapped drive, a junction, a link, a short name) is the\n"
                      "archive folder.\n")
                : QCoreApplication::translate(
                      "output",
                      "Folders are compared by what they are, not by how they are spelt: the archive folder\n"
                      "reached another way (a bind mount, a link) is the archive folder. Set-user-ID and\n"
                      "set-group-ID bits are kept only where the owner and group are (as root).\n"));
}

CheckedOutput::CheckedOutput(int handle, qint64 bufferSize) : handle(handle), bufferSize(bufferSize)
{
    if (bufferSize > 0)
        buffer.reserve(int(bufferSize));
}

CheckedOutput::~CheckedOutput() = default;

bool CheckedOutput::writeBuffered()
{
    if (error == 0 && !buffer.isEmpty()) {
        error = writing::writeAll(handle, buffer.constData(), buffer.size());
        if (error == 0)
            written += buffer.size();
    }
    buffer.clear();
    return error == 0;
}

qint64 CheckedOutput::readData(char *, qint64)
{
    return -1;
}

qint64 CheckedOutput::writeData(const char *data, qint64 size)
{
    if (error != 0)
        return -1;
    if (buffer.size() + size <= bufferSize) {
        buffer.append(data, int(size));
        return size;
    }
    if (!writeBuffered())
        return -1;
    if (size <= bufferSize) {
        buffer.append(data, int(size));
        return size;
    }
    error = writing::writeAll(handle, data, size);
    if (error != 0)
        return -1;
    written += size;
    return size;
}

OutputFile::OutputFile(const QString &target) : target(target), targetName(fileNameOf(target)) {}

OutputFile::OutputFile(const QString &target, const ReadArchive &read)
    : target(target), targetName(fileNameOf(target)), read(read)
{}

OutputFile::~OutputFile()
{
    discard();
}

QString OutputFile::check()
{
    // The folder is looked up once; from here on every check and every step is made on its handle.
    if (!folder)
        folder = std::make_unique<writing::TargetFolder>(folderOfPath(target));
    if (!folder->isOpen())
        return unopenedFolderRefusal(*folder, target);
    return read ? heldOutputRefusal(*read, *folder, target) : QString();
}

bool OutputFile::open()
{
    writing::failWritesBeyondSizeLimit(); // also for a program whose main did not ask for it
    if (!folder) {
        const QString refusal = check();
        if (!refusal.isEmpty())
            return fail(refusal);
    }
    if (!folder->isOpen())
        return fail(unopenedFolderRefusal(*folder, target));
    const writing::NewFile created = folder->createUniqueFile(temporaryPrefix);
    if (created.handle < 0)
        return fail(QCoreApplication::translate("output", "cannot be written: %1")
                        .arg(language::systemReason(created.failure)));
    handle = created.handle;
    temporaryName = created.name;
    output = std::make_unique<CheckedOutput>(handle, 64 * 1024);
    output->open(QIODevice::WriteOnly);
    return true;
}

QIODevice *OutputFile::device()
{
    return output.get();
}

QString OutputFile::writeFailure() const
{
    return output && output->failure() != 0 ? language::systemReason(writing::errorText(output->failure()))
                                            : QString();
}

bool OutputFile::fail(const QString &why)
{
    reason = why;
    discard();
    return false;
}

bool OutputFile::commit(bool needsContent)
{
    if (!output)
        return reason.isEmpty() ? fail(QCoreApplication::translate("output", "was never opened")) : false;
    output->writeBuffered();
    if (output->failure() != 0)
        return fail(language::systemReason(writing::errorText(output->failure())));
    if (needsContent && output->bytesWritten() == 0)
        return fail(QCoreApplication::translate("output", "the writer gave no content"));
    const PathStatus existing = folder->entryStatus(targetName);
    uint permissions =
        existing.kind == PathStatus::Kind::regular ? existing.permissions : writing::defaultFilePermissions();
    if (existing.kind == PathStatus::Kind::regular) {
        // A set-user-ID or set-group-ID bit runs the file as its owner or group: kept only where the
        // new file has them too, never handed to the writer's own.
        const writing::OwnerKept kept = writing::keepOwner(handle, existing.owner, existing.group);
        if (!kept.owner)
            permissions &= ~writing::setUserIdBit;
        if (!kept.group)
            permissions &= ~writing::setGroupIdBit;
    }
    // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
    int error = writing::setPermissions(handle, permissions);
    if (error == 0 && modified)
        error = writing::setModificationTime(handle, *modified);
    if (error == 0 && syncToDisk)
        error = writing::syncToDisk(handle);
    const int closed = writing::closeHandle(handle);
    handle = -1;
    if (error == 0)
        error = closed;
    if (error == 0)
        error = folder->replace(temporaryName, targetName);
    if (error != 0)
        return fail(language::systemReason(writing::errorText(error)));
    // Only now off the list: once renamed, its old name names nothing an interruption could remove.
    folder->keepOnInterruption(temporaryName);
    temporaryName.clear();
    output.reset();
    if (syncToDisk)
        folder->sync();
    folder.reset();
    return true;
}

void OutputFile::discard()
{
    output.reset();
    if (handle >= 0) {
        writing::closeHandle(handle);
        handle = -1;
    }
    if (folder && !temporaryName.isEmpty()) {
        folder->keepOnInterruption(temporaryName);
        folder->remove(temporaryName);
        temporaryName.clear();
    }
    folder.reset();
}

StandardOutput::StandardOutput() : output(1, 0)
{
    output.open(QIODevice::WriteOnly);
}

QString StandardOutput::finish()
{
    output.writeBuffered();
    int error = output.failure();
    if (error == 0) {
        // Some file systems report a failed write only when the file is closed.
        error = writing::closeHandle(1);
        if (error != 0 && output.bytesWritten() == 0)
            error = 0; // nothing was written to a standard output that was never there
    }
    if (error == 0 || writing::isBrokenPipe(error))
        return QString();
    return QCoreApplication::translate("output", "write error: %1")
        .arg(language::systemText(writing::errorText(error)));
}

} // namespace output
