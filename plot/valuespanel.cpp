// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/valuespanel.h"

#include <QLabel>

namespace plot {

namespace {

void setPlainText(QLabel *field, const QString &text)
{
    if (!field)
        return;
    // Texts come from archive files: a label's automatic rich-text detection would render markup
    // such as "<b>" or "<img src=...>" instead of showing the text as stored.
    field->setTextFormat(Qt::PlainText);
    field->setText(text);
}

} // namespace

void showValues(const ValueFields &fields, const measurement::Measurement &measurement)
{
    const std::pair<QLabel *, const std::optional<QString> *> results[] = {
        {fields.smelt, &measurement.smelt},
        {fields.temperature, &measurement.temperatureText},
        {fields.emf, &measurement.emfText},
        {fields.oxidation, &measurement.oxidation},
        {fields.aluminiumMass, &measurement.aluminiumMass},
        {fields.carbon, &measurement.carbon}};

    // Every field starts from "no data", so nothing of the previous measurement can remain on show.
    for (const auto &[field, result] : results)
        setPlainText(field, measurement::noDataText());
    setPlainText(fields.status, QString());

    for (const auto &[field, result] : results) {
        if (*result)
            setPlainText(field, **result);
    }
    if (measurement.status)
        setPlainText(fields.status, *measurement.status);
}

} // namespace plot
