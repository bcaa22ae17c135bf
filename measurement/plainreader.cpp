// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/plainreader.h"

#include "measurement/fieldvalues.h"

#include <QTextCodec>
#include <QVarLengthArray>

#include <array>
#include <cstring>
#include <limits>

namespace measurement {

namespace {

struct Slice
{
    const char *begin = nullptr;
    int length = 0;
    bool operator==(const Slice &o) const
    {
        return length == o.length && std::memcmp(begin, o.begin, size_t(length)) == 0;
    }
    bool is(const char *text) const
    {
        return length == int(qstrlen(text)) && std::memcmp(begin, text, size_t(length)) == 0;
    }
    QString text() const { return QString::fromLatin1(begin, length); }
};

// Every power of ten a double holds exactly.
constexpr double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr quint64 largestExactInteger = quint64(1) << 53;

// The members the record is made of.
enum PlainKey
{
    smeltKey,
    temperatureKey,
    emfKey,
    oxidationKey,
    aluminiumKey,
    carbonKey,
    statusKey,
    archivesKey,
    otherKey,
};
constexpr int resultKeyCount = statusKey + 1;

PlainKey plainKeyOf(const Slice &key)
{
    static const char *const names[] = {"Smelt",  "Temp",   "Eds",    "OxActivity",
                                        "MassAl", "Carbon", "Status", "Archives"};
    for (int k = 0; k <= archivesKey; ++k) {
        if (key.is(names[k]))
            return PlainKey(k);
    }
    return otherKey;
}

// One pass over a plain line: checks its shape, converts the first two curves' samples into the
// measurement as they pass and notes the result texts. A false return leaves a half-filled
// measurement that the caller drops.
class PlainReader
{
public:
    PlainReader(const char *begin, const char *end, Measurement &m) : p(begin), end(end), m(m) {}

    bool document()
    {
        skipSpaces();
        if (!topObject())
            return false;
        skipSpaces();
        return p == end;
    }

    struct Result
    {
        bool present = false;
        bool isArray = false;
        Slice text;
    };
    std::array<Result, resultKeyCount> results;

private:
    void skipSpaces()
    {
        while (p < end && *p == ' ')
            ++p;
    }
    bool take(char c)
    {
        // The plant's lines have no spaces between tokens: the expected byte is looked for first.
        if (p < end && *p == c) {
            ++p;
            return true;
        }
        skipSpaces();
        if (p < end && *p == c) {
            ++p;
            return true;
        }
        return false;
    }
    bool string(Slice *out)
    {
        if (!take('"'))
            return false;
        const char *start = p;
        const void *quote = std::memchr(p, '"', size_t(end - p));
        if (!quote)
            return false;
        p = static_cast<const char *>(quote);
        *out = Slice{start, int(p - start)};
        ++p;
        return true;
    }
    template <typename Keys> bool newKey(Keys &keys, Slice *key)
    {
        if (!string(key) || !take(':'))
            return false;
        for (const Slice &seen : keys) {
            if (seen == *key)
                return false;
        }
        keys.append(*key);
        skipSpaces();
        return true;
    }

    bool topObject()
    {
        if (!take('{'))
            return false;
        if (take('}'))
            return true;
        QVarLengthArray<Slice, 16> keys;
        do {
            Slice key;
            if (!newKey(keys, &key))
                return false;
            const PlainKey known = plainKeyOf(key);
            Result *result = known < resultKeyCount ? &results[size_t(known)] : nullptr;
            if (p < end && *p == '[') {
                if (!(known == archivesKey ? archives() : array(true)))
                    return false;
                if (result)
                    result->isArray = true;
            } else {
                Slice value;
                if (!string(&value))
                    return false;
                if (result)
                    result->text = value;
            }
            if (result)
                result->present = true;
        } while (take(','));
        return take('}');
    }

    // The curves are the "values" of the first two elements, where those are objects.
    bool archives()
    {
        if (!take('['))
            return false;
        if (take(']'))
            return true;
        int element = 0;
        do {
            skipSpaces();
            if (p < end && *p == '{') {
                QVector<double> *curve = element == 0 ? &m.emf : element == 1 ? &m.temperature : nullptr;
                if (!object(curve))
                    return false;
            } else {
                Slice ignored;
                if (!string(&ignored))
                    return false;
            }
            ++element;
        } while (take(','));
        return take(']');
    }

    // An object below the top: strings and arrays of strings.
    bool object(QVector<double> *curve)
    {
        if (!take('{'))
            return false;
        if (take('}'))
            return true;
        QVarLengthArray<Slice, 4> keys;
        do {
            Slice key;
            if (!newKey(keys, &key))
                return false;
            if (p < end && *p == '[') {
                if (!(curve && key.is("values") ? samples(curve->data()) : array(false)))
                    return false;
            } else {
                Slice ignored;
                if (!string(&ignored))
                    return false;
            }
        } while (take(','));
        return take('}');
    }

    // An array that is not read: of strings, and at the top of objects too.
    bool array(bool objectsAllowed)
    {
        if (!take('['))
            return false;
        if (take(']'))
            return true;
        do {
            skipSpaces();
            if (objectsAllowed && p < end && *p == '{') {
                if (!object(nullptr))
                    return false;
            } else {
                Slice ignored;
                if (!string(&ignored))
                    return false;
            }
        } while (take(','));
        return take(']');
    }

    bool samples(double *curve)
    {
        if (!take('['))
            return false;
        int count = 0;
        if (!take(']')) {
            do {
                if (!take('"'))
                    return false;
                // Elements past the record's capacity are ignored: they have no place on the time axis.
                if (count < samplesPerCurve) {
                    if (!sample(&curve[count]))
                        return false;
                } else {
                    const void *quote = std::memchr(p, '"', size_t(end - p));
                    if (!quote)
                        return false;
                    p = static_cast<const char *>(quote) + 1;
                }
                ++count;
            } while (take(','));
            if (!take(']'))
                return false;
        }
        m.findings.longestCurve = qMax(m.findings.longestCurve, count);
        return true;
    }

    // One sample after its opening quote. A plain decimal that a double holds with its power of ten
    // ("-12.345") is converted as it is scanned: the quotient of two exact doubles, rounded once, as
    // the general conversion rounds. It is nothing odd (no mark, no spaces, finite) unless it is 32767.
    // Every other text goes through longPlainNumber or the general rule.
    bool sample(double *out)
    {
        const char *start = p;
        const char *q = p;
        const bool negative = q < end && *q == '-';
        q += negative;
        const char *integer = q;
        quint64 digits = 0;
        const int integerDigits = digitRun(q, digits);
        int fractionDigits = 0;
        bool point = false;
        if (q < end && *q == '.') {
            point = true;
            ++q;
            fractionDigits = digitRun(q, digits);
        }
        if (q < end && *q == '"' && integerDigits > 0 && (integerDigits == 1 || *integer != '0') &&
            (!point || fractionDigits > 0) && integerDigits + fractionDigits <= 19 &&
            digits <= largestExactInteger && fractionDigits <= 22) {
            const double magnitude = double(digits) / exactPowersOfTen[fractionDigits];
            const double value = negative ? -magnitude : magnitude;
            if (value != 32767.0) {
                *out = value;
                p = q + 1;
                return true;
            }
        }
        const void *quote = std::memchr(start, '"', size_t(end - start));
        if (!quote)
            return false;
        p = static_cast<const char *>(quote) + 1;
        *out = unusualSample(start, int(static_cast<const char *>(quote) - start));
        return true;
    }

    // The run of decimal digits at `q`, appended to `digits` (modulo 2^64: a run too long for the
    // quick conversion is refused by its length); `q` moves past it. A byte at a time: the samples'
    // runs are short (one to four digits), where a loop beats word-wide tricks, measured.
    int digitRun(const char *&q, quint64 &digits) const
    {
        const char *const begin = q;
        while (q < end && isDigit(*q))
            digits = digits * 10 + quint64(*q++ - '0');
        return int(q - begin);
    }

    double unusualSample(const char *text, int length)
    {
        if (const std::optional<double> value = longPlainNumber(text, length))
            return *value;
        char16_t wide[64];
        if (length > int(sizeof(wide) / sizeof(wide[0])))
            return sampleValue(Slice{text, length}.text(), m.findings);
        for (int k = 0; k < length; ++k)
            wide[k] = char16_t(static_cast<unsigned char>(text[k]));
        return sampleValue(QStringView(wide, length), m.findings);
    }

    const char *p;
    const char *end;
    Measurement &m;
};

// Whether the local 8-bit encoding reads printable ASCII as itself, so that such a line needs no
// decoding: true of every encoding in use, checked once all the same.
bool localEncodingKeepsAscii()
{
    static const bool keeps = [] {
        QByteArray ascii;
        for (char c = 0x20; c < 0x7f; ++c)
            ascii.append(c);
        return QTextCodec::codecForLocale()->toUnicode(ascii) == QString::fromLatin1(ascii);
    }();
    return keeps;
}

// Whether every byte is printable ASCII other than a backslash. Eight bytes at a time: a byte below
// 0x20, above 0x7e or equal to 0x5c sets the high bit of its lane in the word's test (the usual
// "has a byte less than / more than / equal to" tests, exact for the word as a whole).
bool isPrintableAsciiWithoutEscapes(const char *text, int size)
{
    constexpr quint64 ones = 0x0101010101010101;
    constexpr quint64 highs = 0x8080808080808080;
    quint64 odd = 0;
    int at = 0;
    for (; at + 8 <= size; at += 8) {
        quint64 word;
        std::memcpy(&word, text + at, sizeof word);
        const quint64 backslashes = word ^ (ones * 0x5c);
        odd |= ((word - ones * 0x20) & ~word) | ((word + ones * (127 - 0x7e)) | word) |
               ((backslashes - ones) & ~backslashes);
    }
    bool plain = (odd & highs) == 0;
    for (; at < size; ++at)
        plain &= static_cast<unsigned char>(text[at] - 0x20) <= 0x5e && text[at] != '\\';
    return plain;
}

std::optional<QString> plainResult(const PlainReader::Result &result, ReadFindings &findings)
{
    if (result.isArray)
        findings.nonStringResults = true;
    return resultOf(result.present && !result.isArray ? result.text.text() : QString());
}

} // namespace

std::optional<Measurement> plainMeasurement(const QByteArray &line)
{
    if (!localEncodingKeepsAscii())
        return std::nullopt;
    if (!isPrintableAsciiWithoutEscapes(line.constData(), line.size()))
        return std::nullopt;
    Measurement m;
    m.emf = QVector<double>(samplesPerCurve, std::numeric_limits<double>::quiet_NaN());
    m.temperature = m.emf;
    m.temperature.detach();
    PlainReader reader(line.constData(), line.constData() + line.size(), m);
    if (!reader.document())
        return std::nullopt;
    const auto &results = reader.results;
    m.smelt = plainResult(results[smeltKey], m.findings);
    m.temperatureText = plainResult(results[temperatureKey], m.findings);
    m.emfText = plainResult(results[emfKey], m.findings);
    m.oxidation = plainResult(results[oxidationKey], m.findings);
    m.aluminiumMass = plainResult(results[aluminiumKey], m.findings);
    m.carbon = plainResult(results[carbonKey], m.findings);
    if (const PlainReader::Result &status = results[statusKey]; status.present) {
        if (status.isArray)
            m.findings.nonStringResults = true;
        readStatus(status.isArray ? QString() : status.text.text(), m);
    }
    return m;
}

} // namespace measurement
