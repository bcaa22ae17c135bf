// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/fieldvalues.h"

#ifdef STEEL_HAVE_FAST_FLOAT
#include <fast_float/fast_float.h>
#endif

#include <cmath>

namespace measurement {

namespace {

// Samples are converted exactly as the viewer always has (QString::toDouble); this only names what
// that conversion makes of texts that are not plain numbers. Cheap for the plain ones.
std::optional<SampleOddity> oddityOf(QStringView text, double value, bool converted)
{
    if (std::isnan(value))
        return text == QLatin1String("nan") ? std::nullopt : std::optional(SampleOddity::nanSpelling);
    if (std::isinf(value))
        return SampleOddity::notFinite;
    if (!converted) {
        if (text.trimmed().isEmpty())
            return SampleOddity::emptyText;
        bool withPoint = false;
        if (text.contains(QLatin1Char(',')))
            text.toString().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&withPoint);
        return withPoint ? SampleOddity::decimalComma : SampleOddity::notANumber;
    }
    if (text.front().isSpace() || text.back().isSpace())
        return SampleOddity::paddedNumber;
    if (value == 32767.0)
        return SampleOddity::noValueMark;
    return std::nullopt;
}

// A sample written as plainly as the plant writes them, "-12.345": at most 15 digits and no leading
// zero. Its value is then the quotient of two doubles that hold the digits and the power of ten
// exactly, and one division rounds it correctly, just as the general conversion does.
template <typename Char> std::optional<double> plainDecimal(const Char *text, int size)
{
    static const double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = size > 0 && text[0] == '-';
    const int integerStart = negative ? 1 : 0;
    qint64 digits = 0;
    int count = 0;
    int fraction = -1;
    for (int i = integerStart; i < size; ++i) {
        const char16_t c = char16_t(text[i]);
        if (c == u'.' && fraction < 0 && i > integerStart) {
            fraction = 0;
            continue;
        }
        if (c < u'0' || c > u'9' || ++count > 15)
            return std::nullopt;
        digits = digits * 10 + (c - u'0');
        if (fraction >= 0)
            ++fraction;
    }
    const bool leadingZero =
        size > integerStart + 1 && text[integerStart] == '0' && text[integerStart + 1] != '.';
    if (count == 0 || fraction == 0 || leadingZero)
        return std::nullopt;
    const double value = double(digits) / powersOfTen[qMax(fraction, 0)];
    return negative ? -value : value;
}

#ifdef STEEL_HAVE_FAST_FLOAT
// Whether `text` is a decimal written the way the general conversion surely reads as one number:
// [-]digits[.digits][(e|E)[+|-]digits], no leading zero in the integer part. Anything else (spaces,
// "+1", ".5", "1.", "007", "inf", "nan") is left to the general rule.
bool isPlainNumber(const char *text, const char *end)
{
    const char *p = text + (text < end && *text == '-');
    const char *integer = p;
    while (p < end && isDigit(*p))
        ++p;
    if (p == integer || (p - integer > 1 && *integer == '0'))
        return false;
    if (p < end && *p == '.') {
        const char *fraction = ++p;
        while (p < end && isDigit(*p))
            ++p;
        if (p == fraction)
            return false;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        const char *exponent = p;
        while (p < end && isDigit(*p))
            ++p;
        if (p == exponent)
            return false;
    }
    return p == end;
}
#endif

} // namespace

double sampleValue(QStringView text, ReadFindings &findings, bool shortcut)
{
    bool converted = true;
    const std::optional<double> plain =
        shortcut ? plainDecimal(reinterpret_cast<const char16_t *>(text.data()), int(text.size()))
                 : std::nullopt;
    const double value = plain ? *plain : text.toDouble(&converted);
    if (const std::optional<SampleOddity> oddity = oddityOf(text, value, converted)) {
        OddSamples &odd = findings.oddSamples[std::size_t(*oddity)];
        if (odd.count++ == 0)
            odd.firstText = text.toString();
    }
    return value;
}

std::optional<QString> resultOf(const QString &text)
{
    if (text == QLatin1String("nan") || text == QLatin1String("32767"))
        return std::nullopt;
    return text;
}

std::optional<double> longPlainNumber(const char *text, int length)
{
#ifdef STEEL_HAVE_FAST_FLOAT
    if (!isPlainNumber(text, text + length))
        return std::nullopt;
    double value = 0;
    const fast_float::from_chars_result result = fast_float::from_chars(text, text + length, value);
    if (result.ec != std::errc() || result.ptr != text + length || !std::isfinite(value) || value == 32767.0)
        return std::nullopt;
    if (std::isnormal(value))
        return value;
    // A zero only where every digit is one: no underflow, no subnormal.
    for (const char *p = text; p < text + length && *p != 'e' && *p != 'E'; ++p) {
        if (isDigit(*p) && *p != '0')
            return std::nullopt;
    }
    return value;
#else
    Q_UNUSED(text)
    Q_UNUSED(length)
    return std::nullopt;
#endif
}

void readStatus(const QString &written, Measurement &m)
{
    // A text that is not a decimal integer converts to 0, which lies outside the table.
    const int code = written.toInt(nullptr, 10);
    m.statusCode = code;
    m.status = statusText(code);
    m.findings.statusOutsideTable = !isKnownStatusCode(code);
    if (m.findings.statusOutsideTable)
        m.findings.statusWritten = written;
}

} // namespace measurement
