// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"

class QLabel;

namespace plot {

// The seven fields of the values panel.
struct ValueFields
{
    QLabel *smelt = nullptr;
    QLabel *temperature = nullptr;
    QLabel *emf = nullptr;
    QLabel *oxidation = nullptr;
    QLabel *aluminiumMass = nullptr;
    QLabel *carbon = nullptr;
    QLabel *status = nullptr;
};

// Resets the six value fields to "Нет данных" and the status to empty, then fills them from the
// measurement: texts exactly as stored, "Нет данных" for the no-value marks, the status verdict.
void showValues(const ValueFields &fields, const measurement::Measurement &measurement);

} // namespace plot
