// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/panelfit.h"

#include "measurement/measurementfile.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace app {

namespace {

// A third of the screen: the plot and the lists keep the rest.
constexpr int screenShare = 3;

// The width a label needs for `text`, measured as the label measures its own text (its size hints
// cannot serve: they never fall below the least width already set).
int textWidth(const QLabel *label, const QString &text)
{
    const QMargins margins = label->contentsMargins();
    const QRect bounds = label->fontMetrics().boundingRect(QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                                                           int(label->alignment()), text);
    return bounds.width() + 2 * label->margin() + margins.left() + margins.right();
}

int textWidth(const QLabel *label)
{
    return textWidth(label, label->text());
}

int widestText(const QList<QLabel *> &labels)
{
    int widest = 0;
    for (const QLabel *label : labels)
        widest = std::max(widest, textWidth(label));
    return widest;
}

// "Нет данных", which every value field and the melt number can show.
int noDataWidth(const QLabel *label)
{
    return textWidth(label, measurement::noDataText());
}

void setWidth(QWidget *widget, int width)
{
    if (widget->minimumWidth() != width)
        widget->setMinimumWidth(width);
    if (widget->maximumWidth() != width)
        widget->setMaximumWidth(width);
}

} // namespace

PanelFit::PanelFit(const Parts &parts, QObject *parent)
    : QObject(parent), parts(parts), leastFieldWidth(parts.valueFields.value(0)->maximumWidth()),
      leastUnitWidth(parts.unitLabels.value(0)->maximumWidth()), leastPanelWidth(parts.panel->minimumWidth()),
      leastMeltMaximum(parts.meltNumber->maximumWidth())
{
    // A change of font or style anywhere above the panel reaches the panel itself.
    parts.panel->installEventFilter(this);
    fit();
}

void PanelFit::fit()
{
    const QMargins margins = parts.grid->contentsMargins();
    const int outside = margins.left() + margins.right();
    const int spacing = std::max(0, parts.grid->horizontalSpacing());

    const int unitWidth = std::max(leastUnitWidth, widestText(parts.unitLabels));
    const int leastField = std::max(leastFieldWidth, noDataWidth(parts.valueFields.value(0)));
    const Columns own = ownTextsNeed(leastField, unitWidth);
    const int ownWidth =
        std::max({leastPanelWidth, outside + own.field + spacing + own.unit, outside + own.spanned});
    // The melt number's "Нет данных" always has room, though it widens the panel only while shown.
    const int meltNoData = outside + leastField + spacing + noDataWidth(parts.meltNumber);
    const int limit = std::max({ownWidth, meltNoData, availableWidth() / screenShare});

    // Values from a file widen the fields up to the limit; the units keep their room.
    const int fieldRoom = limit - outside - spacing - unitWidth;
    const int fieldWidth =
        std::clamp(widestText(parts.valueFields), leastField, std::max(leastField, fieldRoom));
    for (QLabel *field : qAsConst(parts.valueFields))
        setWidth(field, fieldWidth);
    for (QLabel *unit : qAsConst(parts.unitLabels))
        setWidth(unit, unitWidth);

    // The melt number widens the units' column up to the limit, and is held there beyond it: left to
    // the grid, a wider text would squeeze the fields' column under the fields.
    const int meltRoom = std::max(unitWidth, limit - outside - spacing - fieldWidth);
    const int meltLimit = textWidth(parts.meltNumber) > meltRoom ? meltRoom : leastMeltMaximum;
    if (parts.meltNumber->maximumWidth() != meltLimit)
        parts.meltNumber->setMaximumWidth(meltLimit);

    // The melt number's room by the same measure as its text: the grid's own sum may round a pixel
    // short at a fractional pixel ratio, which would cut a text that was given room.
    const int meltNeed = outside + fieldWidth + spacing + std::min(textWidth(parts.meltNumber), meltRoom);
    parts.grid->invalidate();
    setWidth(parts.panel, std::clamp(std::max(parts.grid->minimumSize().width(), meltNeed), ownWidth, limit));
    markCutTexts(Columns{fieldWidth, unitWidth, 0});
}

PanelFit::Columns PanelFit::ownTextsNeed(int fieldWidth, int unitWidth) const
{
    Columns need{fieldWidth, unitWidth, 0};
    for (int i = 0; i < parts.grid->count(); ++i) {
        const auto *label = qobject_cast<const QLabel *>(parts.grid->itemAt(i)->widget());
        if (!label || label == parts.meltNumber || parts.valueFields.contains(const_cast<QLabel *>(label)))
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        parts.grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        int &columnNeed = columnSpan > 1 ? need.spanned : column == 0 ? need.field : need.unit;
        columnNeed = std::max(columnNeed, textWidth(label));
    }
    return need;
}

bool PanelFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parts.panel &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
         event->type() == QEvent::ScreenChangeInternal))
        fit();
    return QObject::eventFilter(watched, event);
}

int PanelFit::availableWidth() const
{
    const QScreen *screen = parts.panel->screen();
    return screen ? screen->availableGeometry().width() : 0;
}

void PanelFit::markCutTexts(const Columns &columns)
{
    // Only a text wider than the room the limit leaves it can be cut; it carries its whole text as a
    // tooltip.
    const QMargins margins = parts.grid->contentsMargins();
    const int spacing = std::max(0, parts.grid->horizontalSpacing());
    const int inside = parts.panel->maximumWidth() - margins.left() - margins.right();
    for (int i = 0; i < parts.grid->count(); ++i) {
        auto *label = qobject_cast<QLabel *>(parts.grid->itemAt(i)->widget());
        if (!label)
            continue;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        parts.grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        int room = inside;
        if (columnSpan == 1)
            room = column == 0 ? inside - spacing - columns.unit : inside - spacing - columns.field;
        room = std::min(room, label->maximumWidth());
        const QString tip = textWidth(label) > room ? label->text() : QString();
        if (label->toolTip() != tip)
            label->setToolTip(tip);
    }
}

} // namespace app
