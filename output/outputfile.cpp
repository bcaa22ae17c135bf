// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputfile.h"

#include "archive/archivefolder.h"
#include "language/systemtext.h"

#include "platform/writing.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace output {

namespace {

using platform::writing::PathStatus;
namespace writing = platform::writing;

// Our own file beside the target: hidden, and never a name the viewer lists.
const QString temporaryPrefix = QStringLiteral(".steel-archive-");

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

bool isInside(const QString &path, const QString &folder)
{
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

QStringList resolvedFolders(const ReadArchive &read)
{
    QStringList folders;
    for (const QString &folder : read.folders) {
        const QString resolved = writing::resolvedPath(folder);
        if (!resolved.isEmpty() && !folders.contains(resolved))
            folders.append(resolved);
    }
    return folders;
}

// Why the existing file `status` (reached through `output`) must be left alone because the command
// reads it, or the empty text.
QString readFileRefusal(const ReadArchive &read, const QStringList &folders, const PathStatus &status)
{
    for (const QString &file : read.files) {
        const PathStatus input = writing::pathStatus(file, true);
        if (input.kind == PathStatus::Kind::regular && input.device == status.device &&
            input.file == status.file)
            return QCoreApplication::translate("cli",
                                               "is the measurement file %1 being read (the same file under "
                                               "this name); refusing to overwrite a measurement")
                .arg(file);
    }
    if (status.links > 1) {
        // Another name of a file of the archive: a hard link.
        for (const QString &folder : folders) {
            const QString entry = writing::entryOfFile(folder, status.device, status.file);
            if (!entry.isEmpty())
                return QCoreApplication::translate("cli",
                                                   "is the file %1 of the archive folder being read (the "
                                                   "same file under this name); refusing to overwrite it")
                    .arg(QDir(folder).filePath(entry));
        }
    }
    return QString();
}

// Why a file must not be written into `folder` (resolved), or the empty text.
QString folderRefusal(const QStringList &readFolders, const QString &folder)
{
    for (const QString &read : readFolders) {
        if (folder == read)
            return QCoreApplication::translate(
                       "cli",
                       "is in the archive folder %1 being read; nothing is ever written into an archive")
                .arg(read);
        if (isInside(folder, read))
            return QCoreApplication::translate(
                       "cli", "is inside the archive folder %1 being read; nothing is ever written into an "
                              "archive")
                .arg(read);
    }
    const QString archiveFile = archiveFileIn(folder);
    if (!archiveFile.isEmpty())
        return QCoreApplication::translate("cli",
                                           "is in %1, which holds archive files (such as %2) and so is "
                                           "an archive to the viewer; nothing is ever written into an "
                                           "archive")
            .arg(folder, archiveFile);
    return QString();
}

} // namespace

ReadArchive readingFile(const QString &path)
{
    ReadArchive read;
    read.files.append(path);
    read.folders.append(QFileInfo(path).absolutePath());
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

QString outputRefusal(const ReadArchive &read, const QString &output)
{
    if (output.isEmpty())
        return QCoreApplication::translate("cli", "is no file name");
    const QStringList folders = resolvedFolders(read);
    const PathStatus itself = writing::pathStatus(output, false);
    if (itself.kind == PathStatus::Kind::missing && !itself.failure.isEmpty())
        return QCoreApplication::translate("cli", "cannot be looked up: %1")
            .arg(language::systemReason(itself.failure));

    if (itself.kind == PathStatus::Kind::symbolicLink) {
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
                   (folders.contains(resolved) || !archiveFileIn(resolved).isEmpty())) {
            archiveTarget = resolved;
        }
        if (!archiveTarget.isEmpty())
            return QCoreApplication::translate(
                       "cli",
                       "is a symbolic link to %1, which belongs to an archive; refusing to write there")
                .arg(archiveTarget);
        return QCoreApplication::translate("cli",
                                           "is a symbolic link; outputs are written as new files, never "
                                           "through or over a link: name the file itself");
    }
    if (itself.kind == PathStatus::Kind::folder) {
        const QString resolved = writing::resolvedPath(output);
        if (folders.contains(resolved))
            return QCoreApplication::translate("cli",
                                               "is the archive folder being read; name a file outside it");
        return QCoreApplication::translate("cli", "is a folder, not a file");
    }
    if (itself.kind == PathStatus::Kind::other)
        return QCoreApplication::translate(
            "cli", "is not a regular file (a device, pipe or socket); name a regular file");
    if (itself.kind == PathStatus::Kind::regular) {
        const QString refusal = readFileRefusal(read, folders, itself);
        if (!refusal.isEmpty())
            return refusal;
    }

    const QFileInfo info(output);
    if (namedLikeArchiveFile(info.fileName()))
        return QCoreApplication::translate("cli",
                                           "is named like an archive file (%1), which the viewer would "
                                           "list as a measurement; refusing to write it")
            .arg(archive::technologyPattern());
    const QString folder = info.absolutePath();
    const PathStatus folderStatus = writing::pathStatus(folder, true);
    if (folderStatus.kind != PathStatus::Kind::folder) {
        const QString why = !folderStatus.failure.isEmpty() ? language::systemReason(folderStatus.failure)
                            : folderStatus.kind == PathStatus::Kind::missing
                                ? QCoreApplication::translate("cli", "no such folder")
                                : QCoreApplication::translate("cli", "not a folder");
        return QCoreApplication::translate("cli", "cannot be written into %1: %2").arg(folder, why);
    }
    const QString resolvedFolder = writing::resolvedPath(folder);
    const QString refusal = folderRefusal(folders, resolvedFolder.isEmpty() ? folder : resolvedFolder);
    if (!refusal.isEmpty())
        return refusal;
    if (itself.kind == PathStatus::Kind::regular && !info.isWritable())
        return QCoreApplication::translate(
            "cli", "exists and may not be written (permission denied); it is left as it is");
    return QString();
}

QString outputRuleHelpText()
{
    return QCoreApplication::translate(
        "cli", "The output is written whole or not at all: into a new file beside it, which takes its\n"
               "place (with the old file's permissions and owner) only once every byte is on the disk;\n"
               "a failed write leaves an earlier file as it was. An output that is a symbolic link is\n"
               "refused: it is neither written through nor replaced. Never written: a file being read,\n"
               "under any name (hard links too); anything in or below the archive folder read; a name\n"
               "the viewer lists (steel_*.json); any folder that holds such files.\n");
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

OutputFile::OutputFile(const QString &target) : target(target) {}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open()
{
    const writing::NewFile created =
        writing::createUniqueFile(QFileInfo(target).absolutePath(), temporaryPrefix);
    if (created.handle < 0)
        return fail(QCoreApplication::translate("cli", "cannot be written: %1")
                        .arg(language::systemReason(created.failure)));
    handle = created.handle;
    temporaryPath = created.path;
    writing::removeOnInterruption(temporaryPath);
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
        return reason.isEmpty() ? fail(QCoreApplication::translate("cli", "was never opened")) : false;
    output->writeBuffered();
    if (output->failure() != 0)
        return fail(language::systemReason(writing::errorText(output->failure())));
    if (needsContent && output->bytesWritten() == 0)
        return fail(QCoreApplication::translate("cli", "the writer gave no content"));
    const PathStatus existing = writing::pathStatus(target, false);
    const uint permissions =
        existing.kind == PathStatus::Kind::regular ? existing.permissions : writing::defaultFilePermissions();
    if (existing.kind == PathStatus::Kind::regular)
        writing::keepOwner(handle, existing.owner, existing.group);
    // After the owner: a change of owner may clear bits such as set-group-ID.
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
        error = writing::replaceFile(temporaryPath, target);
    if (error != 0)
        return fail(language::systemReason(writing::errorText(error)));
    // Only now off the list: once renamed, its old name names nothing an interruption could remove.
    writing::keepOnInterruption(temporaryPath);
    temporaryPath.clear();
    output.reset();
    if (syncToDisk)
        writing::syncFolder(QFileInfo(target).absolutePath());
    return true;
}

void OutputFile::discard()
{
    output.reset();
    if (handle >= 0) {
        writing::closeHandle(handle);
        handle = -1;
    }
    if (!temporaryPath.isEmpty()) {
        writing::keepOnInterruption(temporaryPath);
        writing::removeFile(temporaryPath);
        temporaryPath.clear();
    }
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
    return QCoreApplication::translate("cli", "write error: %1")
        .arg(language::systemText(writing::errorText(error)));
}

} // namespace output
