// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/measurementfile.h"

#include "platform/filesystem.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QTextCodec>
#include <QTextDecoder>
#include <QVarLengthArray>
#include <QtAlgorithms>

#ifdef STEEL_HAVE_FAST_FLOAT
#include <fast_float/fast_float.h>
#endif

#include <cmath>
#include <cstring>
#include <limits>

namespace measurement {

namespace {

// Enough bytes for every byte-order mark the decoder recognises.
constexpr int byteOrderMarkProbe = 4;
constexpr qint64 readChunkBytes = 64 * 1024;

// How the first line is cut from the raw bytes. The line break is searched in the encoded bytes, so
// the length limit counts bytes whatever the encoding, and nothing past the line is decoded.
class LineCut
{
public:
    explicit LineCut(const QByteArray &head)
    {
        // A byte-order mark selects the Unicode encoding, as a text stream with its default codec does.
        codec = QTextCodec::codecForUtfText(head.left(byteOrderMarkProbe), QTextCodec::codecForLocale());
        switch (codec->mibEnum()) {
        case 1013: // UTF-16BE
            unit = 2;
            bigEndian = true;
            break;
        case 1014: // UTF-16LE
            unit = 2;
            break;
        case 1018: // UTF-32BE
            unit = 4;
            bigEndian = true;
            break;
        case 1019: // UTF-32LE
            unit = 4;
            break;
        default: // the local 8-bit encodings and UTF-8 all write a line feed as the byte 0x0A
            break;
        }
    }

    // Byte offset of the first line feed at or after `from`, or -1.
    qint64 findLineFeed(const QByteArray &bytes, qint64 from) const
    {
        if (unit == 1) {
            // memchr rather than QByteArray::indexOf, which looks at one byte at a time.
            if (from >= bytes.size())
                return -1;
            const void *found = std::memchr(bytes.constData() + from, '\n', size_t(bytes.size() - from));
            return found ? static_cast<const char *>(found) - bytes.constData() : -1;
        }
        for (qint64 pos = from - from % unit; pos + unit <= bytes.size(); pos += unit) {
            if (isUnit(bytes, pos, '\n'))
                return pos;
        }
        return -1;
    }

    // Where the line's text ends: a carriage return right before the line feed is not part of it.
    qint64 contentEnd(const QByteArray &bytes, qint64 lineFeed) const
    {
        if (lineFeed >= unit && isUnit(bytes, lineFeed - unit, '\r'))
            return lineFeed - unit;
        return lineFeed;
    }

    QString decode(const QByteArray &bytes) const
    {
        // A fresh decoder drops a leading byte-order mark, just as a text stream does.
        QScopedPointer<QTextDecoder> decoder(codec->makeDecoder());
        return decoder->toUnicode(bytes);
    }

    int unitSize() const { return unit; }

private:
    bool isUnit(const QByteArray &bytes, qint64 pos, char ascii) const
    {
        const char *p = bytes.constData() + pos;
        for (int i = 0; i < unit; ++i) {
            const char expected = i == 0 ? ascii : '\0';
            if (p[bigEndian ? unit - 1 - i : i] != expected)
                return false;
        }
        return true;
    }

    QTextCodec *codec = nullptr;
    int unit = 1;
    bool bigEndian = false;
};

// The raw first line of a file and a glimpse of what follows it.
struct FirstLine
{
    QByteArray text;      // the bytes of the line, without its line break
    bool tooLong = false; // more than maxFirstLineBytes bytes before the first line break
    bool hasBreak = false;
    QByteArray following; // bytes after the line break (not necessarily all of them)
};

FirstLine cutFirstLine(const QByteArray &bytes, const LineCut &cut)
{
    FirstLine line;
    const qint64 lineFeed = cut.findLineFeed(bytes, 0);
    const qint64 end = lineFeed < 0 ? bytes.size() : cut.contentEnd(bytes, lineFeed);
    line.hasBreak = lineFeed >= 0;
    if (end > maxFirstLineBytes) {
        line.tooLong = true;
    } else {
        line.text = bytes.left(int(end));
    }
    if (line.hasBreak)
        line.following = bytes.mid(int(lineFeed + cut.unitSize()));
    return line;
}

bool hasVisibleText(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return true;
    }
    return false;
}

// A JSON string value as text; every other JSON type reads as the empty text.
QString stringOf(const QJsonValue &value)
{
    return value.isString() ? value.toString() : QString();
}

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

// One sample text as the viewer converts it, noting what is odd about it.
double sampleValue(QStringView text, ReadFindings &findings, bool shortcut = true)
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

QVector<double> readCurve(const QJsonArray &archives, int index, ReadFindings &findings, bool shortcut)
{
    QVector<double> samples(samplesPerCurve, std::numeric_limits<double>::quiet_NaN());
    const QJsonArray values = archives.at(index).toObject().value(QStringLiteral("values")).toArray();
    findings.longestCurve = qMax(findings.longestCurve, int(values.size()));
    // Elements past the record's capacity are ignored: they have no place on the time axis.
    const int used = qMin(int(values.size()), samplesPerCurve);
    for (int i = 0; i < used; ++i) {
        const QJsonValue value = values.at(i);
        if (!value.isString()) {
            findings.nonStringSamples = true;
            samples[i] = 0.0;
            continue;
        }
        samples[i] = sampleValue(value.toString(), findings, shortcut);
    }
    return samples;
}

std::optional<QString> readResult(const QJsonObject &top, const QString &key, ReadFindings &findings)
{
    const QJsonValue value = top.value(key);
    if (!value.isUndefined() && !value.isString())
        findings.nonStringResults = true;
    return resultOf(stringOf(value));
}

Measurement measurementFromObject(const QJsonObject &top, const ReadFindings &findings, bool shortcut)
{
    Measurement m;
    m.findings = findings;
    const QJsonArray archives = top.value(QStringLiteral("Archives")).toArray();
    m.emf = readCurve(archives, 0, m.findings, shortcut);
    m.temperature = readCurve(archives, 1, m.findings, shortcut);

    m.smelt = readResult(top, QStringLiteral("Smelt"), m.findings);
    m.temperatureText = readResult(top, QStringLiteral("Temp"), m.findings);
    m.emfText = readResult(top, QStringLiteral("Eds"), m.findings);
    m.oxidation = readResult(top, QStringLiteral("OxActivity"), m.findings);
    m.aluminiumMass = readResult(top, QStringLiteral("MassAl"), m.findings);
    m.carbon = readResult(top, QStringLiteral("Carbon"), m.findings);

    const auto status = top.constFind(QStringLiteral("Status"));
    if (status != top.constEnd()) {
        if (!status.value().isString())
            m.findings.nonStringResults = true;
        // A text that is not a decimal integer converts to 0, which lies outside the table.
        const QString written = stringOf(status.value());
        const int code = written.toInt(nullptr, 10);
        m.statusCode = code;
        m.status = statusText(code);
        m.findings.statusOutsideTable = !isKnownStatusCode(code);
        if (m.findings.statusOutsideTable)
            m.findings.statusWritten = written;
    }
    return m;
}

// ---- the plain document's shortcut --------------------------------------------------------------
// Archive files as the plant writes them are printable ASCII without escapes: one object of strings,
// the curves in "Archives". Such a line is taken apart here in one pass, without a JSON tree, without
// a text per sample and without an allocation per sample, and gives the very record the general route
// gives: the same rules (sampleValue, resultOf, the status table) applied to the same texts. Any other
// shape (a number, true, false or null, deeper nesting, a key twice, an escape, a byte outside
// printable ASCII) takes the general route, so the shortcut never has to know how Qt treats it.

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

bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
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

// A plain number the quick conversion does not take (more digits than a double holds, an exponent),
// converted by fast_float, which rounds correctly as the general conversion does. Values the general
// rule has a word about (32767, beyond the range, lost below it) are left to it.
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
        const QString written = status.isArray ? QString() : status.text.text();
        const int code = written.toInt(nullptr, 10);
        m.statusCode = code;
        m.status = statusText(code);
        m.findings.statusOutsideTable = !isKnownStatusCode(code);
        if (m.findings.statusOutsideTable)
            m.findings.statusWritten = written;
    }
    return m;
}

Measurement measurementFromLine(const FirstLine &line, const LineCut &cut, bool shortcut = true)
{
    if (!line.tooLong && cut.unitSize() == 1 && shortcut) {
        if (std::optional<Measurement> plain = plainMeasurement(line.text))
            return std::move(*plain);
    }
    ReadFindings findings;
    QJsonObject top;
    if (line.tooLong) {
        findings.firstLineTooLong = true;
        findings.documentNotParsed = true;
    } else {
        const QJsonDocument document = QJsonDocument::fromJson(cut.decode(line.text).toUtf8());
        if (document.isObject())
            top = document.object();
        else
            findings.documentNotParsed = true;
    }
    // The line break ends on a code unit boundary, so the tail decodes correctly on its own.
    if (findings.documentNotParsed && line.hasBreak)
        findings.spreadOverLines = hasVisibleText(cut.decode(line.following));
    return measurementFromObject(top, findings, shortcut);
}

// Collects the bytes that decide the first line: everything up to the first line break, capped just
// past the length limit, plus one chunk after the break. `readChunk` appends up to the given number
// of bytes and returns how many it read, 0 at the end, -1 on a read error.
template <typename ReadChunk> bool collectFirstLine(QByteArray &buffer, ReadChunk readChunk)
{
    // Room for the longest permitted line and its longest line break (two UTF-32 code units).
    const qint64 limit = maxFirstLineBytes + 8;
    qint64 lineFeed = -1;
    std::optional<LineCut> cut;
    while (buffer.size() < limit) {
        const int oldSize = buffer.size();
        const qint64 got = readChunk(buffer, qMin(readChunkBytes, limit - oldSize));
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (lineFeed >= 0)
            return true; // the chunk after the break has been read
        if (!cut || oldSize < byteOrderMarkProbe)
            cut.emplace(buffer);
        lineFeed = cut->findLineFeed(buffer, qMax(0, oldSize - 4));
        if (lineFeed >= 0 && buffer.size() > lineFeed + cut->unitSize())
            return true;
    }
    return true;
}

} // namespace

Measurement parseMeasurement(const QByteArray &fileBytes)
{
    const LineCut cut(fileBytes);
    return measurementFromLine(cutFirstLine(fileBytes, cut), cut);
}

Measurement parseMeasurementWithoutShortcut(const QByteArray &fileBytes)
{
    const LineCut cut(fileBytes);
    return measurementFromLine(cutFirstLine(fileBytes, cut), cut, false);
}

std::optional<Measurement> readMeasurementFile(const QString &path, std::optional<platform::FileStamp> *stamp)
{
    if (path.isEmpty())
        return std::nullopt;
    return readMeasurementFile(platform::encodeFileName(path), stamp);
}

std::optional<Measurement> readMeasurementFile(const QByteArray &encodedPath,
                                               std::optional<platform::FileStamp> *stamp)
{
    if (encodedPath.isEmpty())
        return std::nullopt;
    platform::ReadOnlyFile file;
    if (!file.open(encodedPath))
        return std::nullopt;
    if (stamp)
        *stamp = file.stamp();
    QByteArray head;
    // A read that has brought all the bytes the file had when it was opened ends the reading without
    // another call to learn that nothing follows: what is read is the file as its stamp describes it.
    // A file that says it is empty (as many a special file system's do) is read to its end.
    const qint64 openedSize = file.stamp().size;
    const bool complete =
        collectFirstLine(head, [&file, openedSize](QByteArray &buffer, qint64 want) -> qint64 {
            const int oldSize = buffer.size();
            if (openedSize > 0 && oldSize >= openedSize)
                return 0;
            buffer.resize(oldSize + int(want));
            const qint64 got = file.read(buffer.data() + oldSize, want);
            buffer.resize(oldSize + int(qMax<qint64>(got, 0)));
            return got;
        });
    if (!complete)
        return std::nullopt;
    return parseMeasurement(head);
}

} // namespace measurement
