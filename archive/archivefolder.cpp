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

QString unlistableFolderReason(const QString &directory)
{
    const QString path = folderPath(directory);
    const QString lookup = language::lookupFailure(path);
    if (!lookup.isEmpty())
        return lookup == language::systemReason(QStringLiteral("No such file or directory"))
                   ? QCoreApplication::translate("cli", "no such folder")
                   : lookup;
    const QFileInfo info(path);
    if (!info.isDir())
        return QCoreApplication::translate("cli", "is not a folder");
    if (!info.isReadable() || !info.isExecutable())
        return QCoreApplication::translate("cli", "permission denied: the folder cannot be read");
    return QString();
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
    QString text = QCoreApplication::translate("cli", "no archive files (%1) in %2")
                       .arg(archive::technologyPattern(), archive::displayPath(directory));
    if (candidates.size() == 1)
        text += QCoreApplication::translate("cli", "; did you mean %1?").arg(candidates.constFirst());
    else if (!candidates.isEmpty())
        text += QCoreApplication::translate("cli", "; did you mean one of %1?")
                    .arg(candidates.join(QStringLiteral(", ")));
    return text;
}
} // namespace archive
