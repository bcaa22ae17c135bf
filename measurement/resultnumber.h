// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace measurement {

// A result text ("Temp", "Eds", ...) read as a number: the one rule of every command that computes
// with results. The viewer shows the texts as written; a plant PC with Russian number settings writes
// "1598,5" where another writes "1598.5", and both mean the same number.
struct ResultNumber
{
    double value = 0;
    int decimals = 0;          // digits after the decimal separator as written: "1563.40" has 2
    bool decimalComma = false; // written with a comma as the separator
};

// C notation ("1598.5", "-0.5", "1.5e3", spaces around it ignored), or the same with one decimal comma
// between two digits in place of the point ("1598,5"); nothing else changes. std::nullopt for a text
// that is no such number: a comma anywhere else or beside a point ("1,598.5"), spaces inside, words,
// infinities and "nan".
std::optional<ResultNumber> readResultNumber(QStringView text);
// The value alone; std::nullopt also for a result without a value (the marks "nan" and "32767").
std::optional<double> resultNumber(const std::optional<QString> &text);

} // namespace measurement
