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
// the curves in "Archives". Such a line is taken apart here without a JSON tree and without a text
// per sample, and gives the very record the general route gives: the same rules (sampleValue,
// resultOf, the status table) applied to the same texts. Any other shape (a number, true, false or
// null, deeper nesting, a key twice, an escape, a byte outside printable ASCII) takes the general
// route, so the shortcut never has to know how Qt treats it.

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

// A value of the accepted shapes: a string, or an array (of strings, or at the top of objects).
struct PlainValue
{
    bool isArray = false;
    Slice string;
    QVector<Slice> strings;                                 // an array's string elements
    QVector<QVector<std::pair<Slice, PlainValue>>> objects; // an array's object elements
    QVector<int> order;                                     // per element: -1 string, else index into objects
};

class PlainParser
{
public:
    PlainParser(const char *begin, const char *end) : p(begin), end(end) {}

    bool document(QVector<std::pair<Slice, PlainValue>> *top)
    {
        skipSpaces();
        if (!members(top, true))
            return false;
        skipSpaces();
        return p == end;
    }

private:
    void skipSpaces()
    {
        while (p < end && *p == ' ')
            ++p;
    }
    bool take(char c)
    {
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
    // An object; at the top its members may hold arrays of objects, below only arrays of strings.
    bool members(QVector<std::pair<Slice, PlainValue>> *out, bool top)
    {
        if (!take('{'))
            return false;
        if (take('}'))
            return true;
        do {
            Slice key;
            if (!string(&key) || !take(':'))
                return false;
            for (const auto &member : qAsConst(*out)) {
                if (member.first == key)
                    return false;
            }
            PlainValue value;
            skipSpaces();
            if (p < end && *p == '[') {
                if (!array(&value, top))
                    return false;
            } else if (!string(&value.string)) {
                return false;
            }
            out->append({key, std::move(value)});
        } while (take(','));
        return take('}');
    }
    bool array(PlainValue *value, bool objectsAllowed)
    {
        value->isArray = true;
        if (!take('['))
            return false;
        if (!objectsAllowed)
            value->strings.reserve(samplesPerCurve);
        if (take(']'))
            return true;
        do {
            skipSpaces();
            if (objectsAllowed && p < end && *p == '{') {
                value->objects.append(QVector<std::pair<Slice, PlainValue>>());
                if (!members(&value->objects.last(), false))
                    return false;
                value->order.append(value->objects.size() - 1);
            } else {
                Slice element;
                if (!string(&element))
                    return false;
                value->strings.append(element);
                value->order.append(-1);
            }
        } while (take(','));
        return take(']');
    }

    const char *p;
    const char *end;
};

const PlainValue *memberOf(const QVector<std::pair<Slice, PlainValue>> &object, const char *key)
{
    for (const auto &member : object) {
        if (member.first.is(key))
            return &member.second;
    }
    return nullptr;
}

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

QVector<double> plainCurve(const PlainValue *archives, int index, ReadFindings &findings)
{
    QVector<double> samples(samplesPerCurve, std::numeric_limits<double>::quiet_NaN());
    const PlainValue *values = nullptr;
    if (archives && archives->isArray && index < archives->order.size() && archives->order[index] >= 0)
        values = memberOf(archives->objects[archives->order[index]], "values");
    if (!values || !values->isArray)
        return samples;
    findings.longestCurve = qMax(findings.longestCurve, int(values->strings.size()));
    const int used = qMin(int(values->strings.size()), samplesPerCurve);
    char16_t wide[64];
    for (int i = 0; i < used; ++i) {
        const Slice &text = values->strings[i];
        // A plain decimal other than 32767 is nothing odd (no mark, no spaces, finite): its value is all
        // there is to it. Every other text goes through the general rule.
        const std::optional<double> plain = plainDecimal(text.begin, text.length);
        if (plain && *plain != 32767.0) {
            samples[i] = *plain;
            continue;
        }
        if (text.length <= int(sizeof(wide) / sizeof(wide[0]))) {
            for (int k = 0; k < text.length; ++k)
                wide[k] = char16_t(static_cast<unsigned char>(text.begin[k]));
            samples[i] = sampleValue(QStringView(wide, text.length), findings);
        } else {
            samples[i] = sampleValue(text.text(), findings);
        }
    }
    return samples;
}

std::optional<QString> plainResult(const QVector<std::pair<Slice, PlainValue>> &top, const char *key,
                                   ReadFindings &findings)
{
    const PlainValue *value = memberOf(top, key);
    if (value && value->isArray)
        findings.nonStringResults = true;
    return resultOf(value && !value->isArray ? value->string.text() : QString());
}

std::optional<Measurement> plainMeasurement(const QByteArray &line)
{
    if (!localEncodingKeepsAscii())
        return std::nullopt;
    // Without an early exit the compiler checks many bytes at a time.
    bool plain = true;
    for (const char c : line)
        plain &= static_cast<unsigned char>(c - 0x20) <= 0x5e && c != '\\';
    if (!plain)
        return std::nullopt;
    QVector<std::pair<Slice, PlainValue>> top;
    if (!PlainParser(line.constData(), line.constData() + line.size()).document(&top))
        return std::nullopt;
    Measurement m;
    const PlainValue *archives = memberOf(top, "Archives");
    m.emf = plainCurve(archives, 0, m.findings);
    m.temperature = plainCurve(archives, 1, m.findings);
    m.smelt = plainResult(top, "Smelt", m.findings);
    m.temperatureText = plainResult(top, "Temp", m.findings);
    m.emfText = plainResult(top, "Eds", m.findings);
    m.oxidation = plainResult(top, "OxActivity", m.findings);
    m.aluminiumMass = plainResult(top, "MassAl", m.findings);
    m.carbon = plainResult(top, "Carbon", m.findings);
    if (const PlainValue *status = memberOf(top, "Status")) {
        if (status->isArray)
            m.findings.nonStringResults = true;
        const QString written = status->isArray ? QString() : status->string.text();
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

QString noDataText()
{
    return QStringLiteral("Нет данных");
}

QString statusText(int code)
{
    switch (code) {
    case 3:
        return QStringLiteral("ОШИБКА ТП");
    case 4:
        return QStringLiteral("ОШИБКА ЗК");
    case 5:
        return QStringLiteral("НЕТ ПЛ.ТП.");
    case 6:
        return QStringLiteral("НЕТ ПЛ.ЗК.");
    case 7:
        return QStringLiteral("НЕТ ПЛ.");
    case 8:
        return QStringLiteral("ЕСТЬ ПЛ.");
    case 9:
        return QStringLiteral("ОБР. ТП.");
    case 11:
        return QStringLiteral("ВЫС. ЗН.");
    case 12:
        return QStringLiteral("НИЗ. ЗН.");
    default:
        return QStringLiteral("ОШИБКА");
    }
}

bool isKnownStatusCode(int code)
{
    return (code >= 3 && code <= 9) || code == 11 || code == 12;
}

QString displayText(const std::optional<QString> &result)
{
    return result ? *result : noDataText();
}

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

std::optional<Measurement> readMeasurementFile(const QString &path, platform::FileStamp *stamp)
{
    if (path.isEmpty())
        return std::nullopt;
    return readMeasurementFile(platform::encodeFileName(path), stamp);
}

std::optional<Measurement> readMeasurementFile(const QByteArray &encodedPath, platform::FileStamp *stamp)
{
    if (encodedPath.isEmpty())
        return std::nullopt;
    platform::ReadOnlyFile file;
    if (!file.open(encodedPath))
        return std::nullopt;
    if (stamp)
        *stamp = file.stamp();
    QByteArray head;
    const bool complete = collectFirstLine(head, [&file](QByteArray &buffer, qint64 want) -> qint64 {
        const int oldSize = buffer.size();
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
