// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowfit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>

#include <algorithm>

namespace app {

namespace {

// What a part needs to show its text whole: its font's line and a little room.
int textHeight(const QWidget *widget)
{
    return widget->fontMetrics().height() + 4;
}

// The plot keeps room for its axes and a curve between them.
constexpr int plotFloor = 120;
constexpr int pathFloor = 120;
constexpr int tightSpacing = 2;
constexpr qreal smallestPointSize = 5.0;

} // namespace

WindowFit::WindowFit(const Parts &parts)
    : parts(parts), plotMinimum(parts.plot->minimumHeight()), gridSpacing(parts.panelGrid->spacing()),
      pathMinimum(parts.pathField->minimumWidth()), formSize(parts.window->size())
{
    for (QWidget *row : parts.rows)
        rowMinimums.insert(row, row->minimumHeight());
    for (QLayout *layout : parts.layouts) {
        margins.insert(layout, layout->contentsMargins());
        spacings.insert(layout, layout->spacing());
    }
    for (QWidget *text : parts.texts)
        fonts.insert(text, text->font());
}

void WindowFit::restore()
{
    for (auto it = fonts.cbegin(); it != fonts.cend(); ++it)
        it.key()->setFont(it.value());
    parts.plot->setMinimumHeight(plotMinimum);
    for (auto it = rowMinimums.cbegin(); it != rowMinimums.cend(); ++it)
        it.key()->setMinimumHeight(it.value());
    for (auto it = margins.cbegin(); it != margins.cend(); ++it)
        it.key()->setContentsMargins(it.value());
    for (auto it = spacings.cbegin(); it != spacings.cend(); ++it)
        it.key()->setSpacing(it.value());
    parts.panelGrid->setSpacing(gridSpacing);
    parts.pathField->setMinimumWidth(pathMinimum);
}

void WindowFit::fitRowsToTexts()
{
    for (QWidget *row : qAsConst(parts.rows))
        row->setMinimumHeight(std::min(rowMinimums.value(row), textHeight(row)));
}

QSize WindowFit::frameAllowance()
{
    // A title bar and borders as desktops draw them at 100 %, in the window's own pixels.
    return QSize(16, 40);
}

QSize WindowFit::availableRoom() const
{
    const QScreen *screen = parts.window->screen();
    const QSize available = screen ? screen->availableGeometry().size() : formSize;
    return available - frameAllowance();
}

} // namespace app

namespace app {

namespace {

// Each container's layout is brought up to date from the innermost out before its minimum is asked:
// the containers' minimums are otherwise those of their children before the change, until the event
// loop has delivered the layouts' requests.
void relayout(QWidget *widget)
{
    for (QObject *child : widget->children()) {
        if (auto *inner = qobject_cast<QWidget *>(child); inner && !inner->isWindow())
            relayout(inner);
    }
    if (QLayout *layout = widget->layout()) {
        layout->invalidate();
        layout->activate();
        widget->updateGeometry();
    }
}

} // namespace

// The contents' needs: the window's own layout is left alone until it is shown, so that the window
// keeps the size it is given.
int WindowFit::needHeight() const
{
    relayout(parts.window->centralWidget());
    return parts.window->centralWidget()->minimumSizeHint().height();
}

int WindowFit::needWidth() const
{
    relayout(parts.window->centralWidget());
    return parts.window->centralWidget()->minimumSizeHint().width();
}

void WindowFit::fit(const QSize &room)
{
    restore(); // the form's own sizes first: a larger screen gets them back
    if (parts.fontsChanged)
        parts.fontsChanged();

    // The plot's vertical policy makes its size hint its least height; an explicit minimum replaces it.
    if (needHeight() > room.height()) {
        const int plotLeast = std::max(plotMinimum, parts.plot->sizeHint().height());
        const int excess = needHeight() - room.height();
        parts.plot->setMinimumHeight(std::max(std::min(plotFloor, plotLeast), plotLeast - excess));
    }
    if (needHeight() > room.height()) {
        fitRowsToTexts();
        parts.panelGrid->setSpacing(tightSpacing);
    }
    if (needHeight() > room.height()) {
        for (QLayout *layout : qAsConst(parts.layouts)) {
            layout->setContentsMargins(tightSpacing, tightSpacing, tightSpacing, tightSpacing);
            layout->setSpacing(std::min(layout->spacing(), tightSpacing));
        }
        if (parts.fontsChanged)
            parts.fontsChanged();
    }
    if (needWidth() > room.width())
        parts.pathField->setMinimumWidth(std::max(pathFloor, pathMinimum - (needWidth() - room.width())));
    // The fonts last, a step at a time, every text still whole at its smaller size.
    const auto tooLarge = [this, &room] {
        return needHeight() > room.height() || needWidth() > room.width();
    };
    for (int step = 0; step < 16 && tooLarge(); ++step) {
        bool smaller = false;
        for (QWidget *text : qAsConst(parts.texts)) {
            QFont font = text->font();
            const qreal size = font.pointSizeF();
            if (size <= smallestPointSize)
                continue;
            font.setPointSizeF(std::max(smallestPointSize, size * 0.92));
            text->setFont(font);
            smaller = true;
        }
        if (!smaller)
            break;
        fitRowsToTexts();
        if (parts.fontsChanged)
            parts.fontsChanged();
    }

    if (parts.fontsChanged)
        parts.fontsChanged();
    // The layout keeps the window at least at its minimum once shown.
    parts.window->resize(std::min(formSize.width(), room.width()),
                         std::min(formSize.height(), room.height()));
}

} // namespace app
