// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/foldermark.h"

#include "archive/archivefolder.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

namespace app {

namespace {

const QColor markBackground(255, 214, 214);
const QColor markText(120, 0, 0);

} // namespace

FolderProblem folderProblem(const QString &folder)
{
    const QFileInfo info(archive::folderPath(folder));
    if (!info.exists())
        return FolderProblem::missing;
    if (!info.isDir())
        return FolderProblem::notAFolder;
    // Listing needs both: reading the names and looking each file up.
    if (!info.isReadable() || !info.isExecutable())
        return FolderProblem::unreadable;
    return FolderProblem::none;
}

QString folderProblemText(FolderProblem problem, const QString &folder)
{
    const QString shown = QDir::toNativeSeparators(folder.isEmpty() ? QDir::currentPath() : folder);
    switch (problem) {
    case FolderProblem::none:
        break;
    case FolderProblem::missing:
        return QStringLiteral("Папка архива не найдена: %1").arg(shown);
    case FolderProblem::notAFolder:
        return QStringLiteral("Это не папка: %1").arg(shown);
    case FolderProblem::unreadable:
        return QStringLiteral("Нет доступа к папке архива: %1").arg(shown);
    case FolderProblem::empty:
        return QStringLiteral("Папка архива пуста: %1").arg(shown);
    case FolderProblem::noMeasurements:
        return QStringLiteral("В папке нет файлов измерений (steel_*.json): %1").arg(shown);
    }
    return QString();
}

QString folderProblemShortText(FolderProblem problem)
{
    switch (problem) {
    case FolderProblem::none:
        break;
    case FolderProblem::missing:
        return QStringLiteral("Папка не найдена");
    case FolderProblem::notAFolder:
        return QStringLiteral("Это не папка");
    case FolderProblem::unreadable:
        return QStringLiteral("Нет доступа к папке");
    case FolderProblem::empty:
        return QStringLiteral("Папка пуста");
    case FolderProblem::noMeasurements:
        return QStringLiteral("Нет измерений");
    }
    return QString();
}

FolderProblem emptinessOf(const QString &folder)
{
    const QDir dir(archive::folderPath(folder));
    const bool anything =
        !dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
    return anything ? FolderProblem::noMeasurements : FolderProblem::empty;
}

FolderMark::FolderMark(QLineEdit *field) : field(field) {}

FolderProblem FolderMark::check(const QString &folder)
{
    const FolderProblem problem = folderProblem(folder);
    mark(problem, folder);
    return problem;
}

void FolderMark::mark(FolderProblem problem, const QString &folder)
{
    mark(folderProblemText(problem, folder));
}

void FolderMark::mark(const QString &reason)
{
    if (reason.isEmpty()) {
        // A palette that sets no colour of its own: the field follows the window's palette again.
        field->setPalette(QPalette());
        field->setToolTip(QString());
        return;
    }
    // The palette rather than a style sheet: the field keeps the look the platform's style gives it.
    QPalette marked;
    marked.setColor(QPalette::Base, markBackground);
    marked.setColor(QPalette::Text, markText);
    field->setPalette(marked);
    field->setToolTip(reason);
}

} // namespace app
