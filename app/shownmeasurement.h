// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plot/valuespanel.h"

#include <QObject>
#include <QStringList>

class QCustomPlot;

namespace app {

class PanelFit;

// What the plot and the values panel show, kept to what the selection lists select. Whenever the
// lists stop pointing at a measurement (a list above the time list changes, a load fails, the folder
// is missing or empty), the plot is drawn empty and the panel returns to the texts it had before any
// measurement was shown, so that neither the screen nor a printed sheet can show one melt's numbers
// under another selection.
class ShownMeasurement : public QObject
{
public:
    // Takes the fields' current texts as their empty state: call it right after the form is built.
    ShownMeasurement(QCustomPlot *plot, const plot::ValueFields &fields, PanelFit *fit,
                     QObject *parent = nullptr);

    // Fills the panel from a measurement whose curves have just been drawn.
    void showValues(const measurement::Measurement &loaded);
    // The empty plot, drawn at once, and the panel's empty texts. Cheap when already empty, since the
    // selection cascade clears many times within one refresh.
    void clear();
    // The empty view, its status field saying why nothing is shown.
    void clear(const QString &reason);

private:
    void rememberPicture();

    QCustomPlot *plot;
    plot::ValueFields fields;
    QStringList emptyTexts;
    PanelFit *fit;
    // Whether the plot's last drawn picture is the empty one: the plot keeps showing its last
    // picture until it is drawn again.
    bool drawnEmpty = true;
};

} // namespace app
