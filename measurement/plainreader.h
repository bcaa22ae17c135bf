// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"

#include <QByteArray>

#include <optional>

namespace measurement {

// Archive files as the plant writes them are printable ASCII without escapes: one object of strings,
// the curves in "Archives". Such a line is taken apart in one pass, without a JSON tree, without a
// text per sample and without an allocation per sample, and gives the very record the general route
// gives: the same rules (sampleValue, resultOf, the status table) applied to the same texts. Any other
// shape (a number, true, false or null, deeper nesting, a key twice, an escape, a byte outside
// printable ASCII) gives std::nullopt and takes the general route, so the shortcut never has to know
// how Qt treats it.
std::optional<Measurement> plainMeasurement(const QByteArray &line);

} // namespace measurement
