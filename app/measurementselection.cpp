// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/measurementselection.h"

#include "app/cascade.h"
#include "app/foldermark.h"
#include "archive/archivename.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QWidget>

namespace app {

namespace {

bool choose(QWidget *window, const char *listName, const QString &text)
{
    auto *list = window->findChild<QComboBox *>(QLatin1String(listName));
    if (!list || text.isEmpty())
        return false;
    if (list->currentIndex() > 0 && list->currentText() == text)
        return true;
    return cascade::selectExactText(list, text);
}

} // namespace

bool selectMeasurement(QWidget *window, const QString &fileName)
{
    const archive::Moment moment = archive::momentOfFile(fileName);
    if (!moment.isValid())
        return false;
    return choose(window, "comboSteelTech", archive::technologyOfFile(fileName)) &&
           choose(window, "yearMonthCombobox", archive::yearMonthText(moment)) &&
           choose(window, "dayCombobox", archive::dayText(moment)) &&
           choose(window, "timeSteel", archive::timeText(moment));
}

bool selectGivenMeasurement(QWidget *window, const QString &fileName)
{
    if (selectMeasurement(window, fileName))
        return true;
    // The placeholder's own notification empties the lists below, the plot and the panel.
    if (auto *technologies = window->findChild<QComboBox *>(QStringLiteral("comboSteelTech")))
        technologies->setCurrentIndex(0);
    if (auto *field = window->findChild<QLineEdit *>(QStringLiteral("pathToDir"))) {
        const QString path = QDir(field->text()).filePath(fileName);
        FolderMark(field).mark(
            QStringLiteral("Измерение из командной строки нельзя выбрать в списках окна: %1")
                .arg(QDir::toNativeSeparators(path)));
    }
    return false;
}

} // namespace app
