// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"

#include <QString>
#include <QStringView>

#include <optional>

// How the texts of a file's fields become values, alike for the reader's shortcut for plain documents
// and its general JSON route: curve samples as numbers (with what is odd about them), results with
// their marks of no value, the status code.
namespace measurement {

inline bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// One sample text as the viewer converts it (QString::toDouble), noting in `findings` what is odd
// about it. `shortcut`: a plain decimal is converted without the general rule, to the same value.
double sampleValue(QStringView text, ReadFindings &findings, bool shortcut = true);

// A plain number the quick conversion does not take (more digits than a double holds, an exponent),
// converted by fast_float, which rounds correctly as the general conversion does. Values the general
// rule has a word about (32767, beyond the range, lost below it) are left to it: std::nullopt.
std::optional<double> longPlainNumber(const char *text, int length);

// A result text as stored; std::nullopt marks "no value" ("nan" or "32767").
std::optional<QString> resultOf(const QString &text);

// The "Status" text as written: its code, its verdict and whether the table knows it.
void readStatus(const QString &written, Measurement &m);

} // namespace measurement
