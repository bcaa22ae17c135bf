// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shownmeasurement.h"

#include "app/panelfit.h"
#include "plot/plotsteps.h"

#include <QLabel>
#include <qcustomplot.h>

namespace app {

namespace {

QList<QLabel *> fieldList(const plot::ValueFields &fields)
{
    return {fields.smelt,         fields.temperature, fields.emf,   fields.oxidation,
            fields.aluminiumMass, fields.carbon,      fields.status};
}

} // namespace

ShownMeasurement::ShownMeasurement(QCustomPlot *plot, const plot::ValueFields &fields, PanelFit *fit,
                                   QObject *parent)
    : QObject(parent), plot(plot), fields(fields), fit(fit)
{
    for (const QLabel *field : fieldList(fields))
        emptyTexts.append(field ? field->text() : QString());
    // Every redraw, whoever asks for it (a load, a resize), says what the picture now is.
    connect(plot, &QCustomPlot::afterReplot, this, &ShownMeasurement::rememberPicture);
}

void ShownMeasurement::showValues(const measurement::Measurement &loaded)
{
    plot::showValues(fields, loaded);
    if (fit)
        fit->fit();
}

void ShownMeasurement::clear()
{
    plot::resetPlot(plot);
    if (!drawnEmpty)
        plot->replot();
    const QList<QLabel *> labels = fieldList(fields);
    bool changed = false;
    for (int i = 0; i < labels.size(); ++i) {
        if (labels.at(i) && labels.at(i)->text() != emptyTexts.at(i)) {
            labels.at(i)->setText(emptyTexts.at(i));
            changed = true;
        }
    }
    if (changed && fit)
        fit->fit();
}

void ShownMeasurement::clear(const QString &reason)
{
    clear();
    if (fields.status && fields.status->text() != reason) {
        fields.status->setText(reason);
        if (fit)
            fit->fit();
    }
}

void ShownMeasurement::rememberPicture()
{
    drawnEmpty = plot->graphCount() == 0 && !plot->yAxis2->visible();
}

} // namespace app
