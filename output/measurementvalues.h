// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"

#include <QString>

// show's forms of a measurement's values: as the viewer's values panel shows them, with the span of
// each curve.
namespace output {

// The values as stored, one labelled line each, the labels in the reader's language and the values
// lined up after them; the curves' sample counts and spans in the reader's numbers.
QString measurementValuesText(const measurement::Measurement &m);
// The same as an indented JSON object, `path` its file as JSON writes paths.
QString measurementValuesJson(const QString &path, const measurement::Measurement &m);

} // namespace output
