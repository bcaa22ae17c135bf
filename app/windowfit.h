// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QList>
#include <QMap>
#include <QMargins>
#include <QSize>

#include <functional>

class QLabel;
class QLayout;
class QMainWindow;
class QWidget;

namespace app {

// Keeps the window within the screen's available area. The form's minimum sizes were drawn for one
// screen at 100 %: at 150 % on a laptop's 1920 by 1080 they ask for more than the screen has, and no
// window manager can then shrink the window. Where they do not fit they yield, in this order: the
// plot's minimum height, then the heights of the panel's and the selection row's parts (down to what
// their texts need, so every text stays whole), then the layouts' margins and spacing, and only where
// all that is not enough (a small screen at a large scaling) the texts' fonts, all together and no
// smaller than 5 points (10 on the screen at 200 %); across, the path field's width. Nothing is
// clipped: every text stays whole. On a screen where they fit they are the form's own.
class WindowFit
{
public:
    struct Parts
    {
        QMainWindow *window = nullptr;
        QWidget *plot = nullptr;
        QLayout *panelGrid = nullptr;
        QList<QWidget *> rows; // parts whose minimum height may come down to their text's height
        QWidget *pathField = nullptr;
        QList<QLayout *> layouts;           // whose margins and spacing may close up
        QList<QWidget *> texts;             // every part with a text: fonts that may come down, last of all
        std::function<void()> fontsChanged; // fits what follows the texts' widths (the panel)
    };

    explicit WindowFit(const Parts &parts);

    // The room a window's frame (title bar and borders) takes around its contents.
    static QSize frameAllowance();
    // The available area of the window's screen, less the frame.
    QSize availableRoom() const;
    // Fits the minimum sizes and the window's size into `room` (the window's contents, without frame).
    void fit(const QSize &room);

private:
    void restore();
    void fitRowsToTexts();
    int needHeight() const;
    int needWidth() const;

    Parts parts;
    int plotMinimum;
    QMap<QWidget *, int> rowMinimums;
    QMap<QLayout *, QMargins> margins;
    QMap<QLayout *, int> spacings;
    QMap<QWidget *, QFont> fonts;
    int gridSpacing;
    int pathMinimum;
    QSize formSize;
};

} // namespace app
