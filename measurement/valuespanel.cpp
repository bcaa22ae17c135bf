// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/valuespanel.h"

#include <QLabel>

namespace measurement {

namespace {

void showResult(QLabel *field, const std::optional<QString> &result)
{
    if (result)
        field->setText(*result);
}

} // namespace

void showValues(const ValueFields &fields, const Measurement &measurement)
{
    // Every field starts from "no data", so nothing of the previous measurement can remain on show.
    for (QLabel *field : {fields.smelt, fields.temperature, fields.emf, fields.oxidation,
                          fields.aluminiumMass, fields.carbon})
        field->setText(noDataText());
    fields.status->clear();

    showResult(fields.smelt, measurement.smelt);
    showResult(fields.temperature, measurement.temperatureText);
    showResult(fields.emf, measurement.emfText);
    showResult(fields.oxidation, measurement.oxidation);
    showResult(fields.aluminiumMass, measurement.aluminiumMass);
    showResult(fields.carbon, measurement.carbon);
    if (measurement.status)
        fields.status->setText(*measurement.status);
}

} // namespace measurement
