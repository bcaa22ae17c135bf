// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ownfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Windows: the folders are made and checked by their paths. SQLite's Windows file layer opens by a
// path too, and no stand-in is given to it here: its calls (CreateFileW among them) take the whole
// path, and a folder handle cannot be handed on through them. What is done: every folder on the way
// is checked by its identity after it is made, and the index is used only where they all pass.
namespace platform {

struct OwnFolder::Private
{
    QString path;
};

OwnFolder::OwnFolder(const QString &base, const QStringList &names,
                     const std::function<bool(const FolderAncestry &)> &mayUse)
    : d(std::make_unique<Private>())
{
    QString folder = QDir::cleanPath(QFileInfo(base).absoluteFilePath());
    for (int step = 0;; ++step) {
        if (!mayUse(folderAncestry(folder)))
            return;
        if (step == names.size())
            break;
        folder += QLatin1Char('/') + names[step];
        if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
            return;
        if (entryType(folder) != EntryType::folder)
            return; // a junction or a link: never followed
    }
    d->path = folder;
}

OwnFolder::~OwnFolder() = default;

bool OwnFolder::isOpen() const
{
    return !d->path.isEmpty();
}

QString OwnFolder::path() const
{
    return d->path;
}

std::vector<LibraryCall> libraryCalls()
{
    return {};
}

bool removeOwnFile(const QString &path)
{
    return QFile::remove(path);
}

} // namespace platform
