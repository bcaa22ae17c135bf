// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/cascade.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QPalette>
#include <QStyledItemDelegate>

namespace cascade {

QString placeholderText()
{
    return QStringLiteral("Выбрать");
}

void resetList(QComboBox *list)
{
    list->clear();
    list->addItem(placeholderText());
}

void resetLists(std::initializer_list<QComboBox *> lists)
{
    for (QComboBox *list : lists)
        resetList(list);
}

bool isNothingChosen(const QString &text)
{
    return text.isEmpty() || text == placeholderText();
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

void styleOpenList(QComboBox *list)
{
    // The colours are taken from the list as its own style sheet paints it, so they follow that sheet.
    list->ensurePolished();
    const QColor background = list->palette().color(QPalette::Button);
    const QColor text = list->palette().color(QPalette::ButtonText);
    const QColor current = background.darker(160);
    const auto css = [](const QColor &colour) {
        return QStringLiteral("rgb(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    };
    // Entries drawn as items of the view, with its style sheet, on every platform style: some styles
    // otherwise draw them as menu entries in colours of their own.
    list->setItemDelegate(new QStyledItemDelegate(list));
    list->view()->setStyleSheet(QStringLiteral("QAbstractItemView {\n"
                                               "background-color: %1;\n"
                                               "color: %2;\n"
                                               "selection-background-color: %3;\n"
                                               "selection-color: %2;\n"
                                               "outline: 0;\n"
                                               "}")
                                    .arg(css(background), css(text), css(current)));
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
