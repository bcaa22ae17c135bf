// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/resultnumber.h"

#include <cmath>

namespace measurement {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Digits after the separator at `separator`, up to an exponent or the end.
int decimalsAfter(QStringView number, qsizetype separator)
{
    int count = 0;
    for (qsizetype i = separator + 1; i < number.size() && isDigit(number[i]); ++i)
        ++count;
    return count;
}

} // namespace

std::optional<ResultNumber> readResultNumber(QStringView text)
{
    const QStringView number = text.trimmed();
    const qsizetype comma = number.indexOf(QLatin1Char(','));
    ResultNumber result;
    QString converted;
    if (comma >= 0) {
        // One comma standing for the point: between two digits, with no other comma or point.
        if (comma == 0 || comma + 1 >= number.size() || !isDigit(number[comma - 1]) ||
            !isDigit(number[comma + 1]) || number.indexOf(QLatin1Char(','), comma + 1) >= 0 ||
            number.contains(QLatin1Char('.')))
            return std::nullopt;
        converted = number.toString();
        converted[int(comma)] = QLatin1Char('.');
        result.decimalComma = true;
        result.decimals = decimalsAfter(number, comma);
    } else {
        converted = number.toString();
        const qsizetype point = number.indexOf(QLatin1Char('.'));
        result.decimals = point < 0 ? 0 : decimalsAfter(number, point);
    }
    bool ok = false;
    // QString::toDouble reads the C notation whatever the machine's locale.
    result.value = converted.toDouble(&ok);
    if (!ok || !std::isfinite(result.value))
        return std::nullopt;
    return result;
}

std::optional<double> resultNumber(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    const std::optional<ResultNumber> number = readResultNumber(*text);
    if (!number)
        return std::nullopt;
    return number->value;
}

} // namespace measurement
