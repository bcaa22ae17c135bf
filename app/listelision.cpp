// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/listelision.h"

#include "app/cascade.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

namespace app {

namespace {

// The list's own style option, as its paint event builds it. The member is protected; naming it
// through a derived class yields a pointer to QComboBox's member, callable on any list.
struct ComboOption : QComboBox
{
    static QStyleOptionComboBox of(const QComboBox *list)
    {
        QStyleOptionComboBox option;
        void (QComboBox::*init)(QStyleOptionComboBox *) const = &ComboOption::initStyleOption;
        (list->*init)(&option);
        return option;
    }
};

// The room the list's style gives the current entry's text (the label is drawn a pixel in from
// each side of it).
int textRoom(const QComboBox *list, const QStyleOptionComboBox &option)
{
    const QRect field =
        list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
    return std::max(0, field.width() - 2);
}

QString shownText(const QComboBox *list, const QStyleOptionComboBox &option)
{
    return list->fontMetrics().elidedText(option.currentText, Qt::ElideRight, textRoom(list, option));
}

} // namespace

ListElision::ListElision(const QList<QComboBox *> &lists, QObject *parent) : QObject(parent)
{
    for (QComboBox *list : lists) {
        QWidget *popup = list->view()->parentWidget();
        this->lists.append(Watched{list, popup});
        limitMinimumWidth(list);
        list->installEventFilter(this);
        popup->installEventFilter(this);
        connect(list, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [this, list] { updateToolTip(list); });
        // Events still arrive while the window takes its widgets apart.
        connect(list, &QObject::destroyed, this, [this, list] {
            this->lists.erase(std::remove_if(this->lists.begin(), this->lists.end(),
                                             [list](const Watched &w) { return w.list == list; }),
                              this->lists.end());
        });
    }
}

bool ListElision::isElided(const QComboBox *list)
{
    const QStyleOptionComboBox option = ComboOption::of(list);
    return shownText(list, option) != option.currentText;
}

bool ListElision::eventFilter(QObject *watched, QEvent *event)
{
    for (const Watched &entry : qAsConst(lists)) {
        QComboBox *list = entry.list;
        if (watched == list) {
            switch (event->type()) {
            case QEvent::Paint:
                return paintElided(list);
            case QEvent::Resize:
                updateToolTip(list);
                break;
            case QEvent::FontChange:
            case QEvent::StyleChange:
                limitMinimumWidth(list);
                updateToolTip(list);
                break;
            default:
                break;
            }
        } else if (watched == entry.popup && event->type() == QEvent::Show) {
            widenOpenList(list, entry.popup);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ListElision::limitMinimumWidth(QComboBox *list)
{
    // Left alone, the least width of a list is that of its longest entry, and the window's least
    // width follows. The placeholder is the longest text a list must always show whole; longer
    // entries are elided instead.
    const QFontMetrics metrics = list->fontMetrics();
    const double characters = double(metrics.horizontalAdvance(cascade::placeholderText())) /
                              std::max(1, metrics.horizontalAdvance(QLatin1Char('X')));
    list->setMinimumContentsLength(std::max(1, int(std::ceil(characters))));
}

void ListElision::updateToolTip(QComboBox *list)
{
    const QString tip = isElided(list) ? list->currentText() : QString();
    if (list->toolTip() != tip)
        list->setToolTip(tip);
}

bool ListElision::paintElided(QComboBox *list)
{
    QStyleOptionComboBox option = ComboOption::of(list);
    const QString shown = shownText(list, option);
    if (shown == option.currentText)
        return false; // the list draws itself
    // The list's own paint event, with the text elided.
    QStylePainter painter(list);
    painter.setPen(list->palette().color(QPalette::Text));
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shown;
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    return true;
}

void ListElision::widenOpenList(QComboBox *list, QWidget *popup)
{
    QAbstractItemView *view = list->view();
    int needed = view->sizeHintForColumn(0) + 2 * view->frameWidth() + popup->contentsMargins().left() +
                 popup->contentsMargins().right();
    if (list->count() > list->maxVisibleItems())
        needed += view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view->verticalScrollBar());
    const QScreen *screen = list->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect(popup->pos(), QSize(needed, 1));
    const int width = std::min(needed, available.width());
    if (width <= popup->width())
        return;
    const int x = std::max(available.left(), std::min(popup->x(), available.right() + 1 - width));
    popup->setGeometry(x, popup->y(), width, popup->height());
}

} // namespace app
