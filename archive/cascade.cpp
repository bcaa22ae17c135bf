// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/cascade.h"

#include "archive/archivename.h"

#include <QApplication>
#include <QComboBox>

namespace cascade {

void resetList(QComboBox *list)
{
    list->clear();
    list->addItem(archive::placeholderText());
}

void resetLists(std::initializer_list<QComboBox *> lists)
{
    for (QComboBox *list : lists)
        resetList(list);
}

bool isNothingChosen(const QString &text)
{
    return text.isEmpty() || text == archive::placeholderText();
}

void appendEntries(QComboBox *list, const QStringList &entries)
{
    list->addItems(entries);
}

bool selectExactText(QComboBox *list, const QString &text)
{
    const int index = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    list->setCurrentIndex(index);
    return true;
}

QString loadDirectory(const QString &pathFieldText)
{
    return pathFieldText.isEmpty() ? QStringLiteral(".") : pathFieldText;
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace cascade
