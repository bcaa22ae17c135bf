// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/foldermark.h"

#include "language/language.h"

#include <QColor>
#include <QDir>
#include <QLineEdit>

namespace app {

namespace {

const QColor markBackground(255, 214, 214);
const QColor markText(120, 0, 0);

// The archive room's words where the window says the same thing, begun as a sentence.
QString notAFolderText()
{
    return language::sentenceStart(language::russianText("archive", archive::notAFolderSource()));
}

} // namespace

QString folderProblemText(FolderProblem problem, const QString &folder)
{
    const QString shown = QDir::toNativeSeparators(folder.isEmpty() ? QDir::currentPath() : folder);
    switch (problem) {
    case FolderProblem::none:
        break;
    case FolderProblem::missing:
        return QStringLiteral("Папка архива не найдена: %1").arg(shown);
    case FolderProblem::notAFolder:
        return notAFolderText() + QStringLiteral(": ") + shown;
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
        return notAFolderText();
    case FolderProblem::unreadable:
        return QStringLiteral("Нет доступа к папке");
    case FolderProblem::empty:
        return QStringLiteral("Папка пуста");
    case FolderProblem::noMeasurements:
        return QStringLiteral("Нет измерений");
    }
    return QString();
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
