// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class QGridLayout;
class QLabel;
class QWidget;

namespace app {

// Keeps every caption, unit and value of the values panel whole. The panel was drawn for one font at
// one screen resolution: a font that comes out wider (another resolution, a substitute for a missing
// family, a long melt number) would cut its texts at the fixed widths. The fixed widths stay as the
// least each part takes; a part grows where its text needs more, and the panel grows with its parts.
// The panel's own texts are always whole; texts from a file (the values and the melt number) widen
// it only up to a third of the screen, so that the window still fits on it, and a text cut there
// carries its whole text as a tooltip.
class PanelFit : public QObject
{
public:
    struct Parts
    {
        QWidget *panel = nullptr;
        QGridLayout *grid = nullptr;  // column 0 the fields, column 1 the units; captions span both
        QList<QLabel *> valueFields;  // one shared width, so that the coloured fields stay aligned
        QList<QLabel *> unitLabels;   // one shared width
        QLabel *meltNumber = nullptr; // a text from the file in the units' column
    };

    // Takes the parts' current fixed widths as the least they keep, and fits at once.
    explicit PanelFit(const Parts &parts, QObject *parent = nullptr);

    // Fits the panel to its current texts and font. Call it after changing a text of the panel.
    void fit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Columns
    {
        int field = 0;
        int unit = 0;
        int spanned = 0; // what the texts spanning both columns need together
    };
    Columns ownTextsNeed(int fieldWidth, int unitWidth) const;
    int availableWidth() const;
    void markCutTexts(const Columns &columns);

    Parts parts;
    int leastFieldWidth;
    int leastUnitWidth;
    int leastPanelWidth;
    int leastMeltMaximum; // the melt number's own maximum, kept whenever its text fits
};

} // namespace app
