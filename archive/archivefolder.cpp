// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivefolder.h"
#include "archive/displayname.h"

#include "archivelisting.h"
#include "archivescans.h"

#include "language/systemtext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace archive {

QString defaultArchiveDirectory()
{
    return QDir::currentPath() + QStringLiteral("/archive");
}

const char *notAFolderSource()
{
    return QT_TRANSLATE_NOOP("archive", "is not a folder");
}

QString unlistableFolderReason(const QString &directory)
{
    const QString path = folderPath(directory);
    const QString lookup = language::lookupFailure(path);
    if (!lookup.isEmpty())
        return lookup == language::systemReason(QStringLiteral("No such file or directory"))
                   ? QCoreApplication::translate("archive", "no such folder")
                   : lookup;
    switch (folderProblem(directory)) {
    case FolderProblem::none:
        break;
    case FolderProblem::unreadable:
        return QCoreApplication::translate("archive", "permission denied: the folder cannot be read");
    default: // a name that the system looks up but that is no folder
        return QCoreApplication::translate("archive", notAFolderSource());
    }
    return QString();
}

FolderProblem folderProblem(const QString &directory)
{
    const QFileInfo info(folderPath(directory));
    if (!info.exists())
        return FolderProblem::missing;
    if (!info.isDir())
        return FolderProblem::notAFolder;
    // Listing needs both: reading the names and looking each file up.
    if (!info.isReadable() || !info.isExecutable())
        return FolderProblem::unreadable;
    return FolderProblem::none;
}

FolderProblem emptinessOf(const QString &directory)
{
    const QDir folder(folderPath(directory));
    const bool anything =
        !folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
    return anything ? FolderProblem::noMeasurements : FolderProblem::empty;
}

QString noArchiveFilesText(const QString &directory)
{
    const auto holdsArchiveFiles = [](const QString &folder) {
        bool any = false;
        archive::forEachMatchingFile(folder, archive::technologyPattern(), false,
                                     [&any](QStringView, qint64) { any = true; });
        return any;
    };
    if (holdsArchiveFiles(directory))
        return QString();
    const QDir folder(folderPath(directory));
    QStringList candidates;
    for (const QString &name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (holdsArchiveFiles(folder.filePath(name)))
            candidates.append(archive::displayPath(folder.filePath(name)));
    }
    QString text = QCoreApplication::translate("archive", "no archive files (%1) in %2")
                       .arg(archive::technologyPattern(), archive::displayPath(directory));
    if (candidates.size() == 1)
        text += QCoreApplication::translate("archive", "; did you mean %1?").arg(candidates.constFirst());
    else if (!candidates.isEmpty())
        text += QCoreApplication::translate("archive", "; did you mean one of %1?")
                    .arg(candidates.join(QStringLiteral(", ")));
    return text;
}
} // namespace archive
