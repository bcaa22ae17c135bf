// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/measurementfile.h"

#include "archive/archivelisting.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QTextCodec>
#include <QTextDecoder>

#include <cmath>
#include <limits>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
        if (unit == 1)
            return bytes.indexOf('\n', int(from));
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
std::optional<SampleOddity> oddityOf(const QString &text, double value, bool converted)
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
            QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&withPoint);
        return withPoint ? SampleOddity::decimalComma : SampleOddity::notANumber;
    }
    if (text.front().isSpace() || text.back().isSpace())
        return SampleOddity::paddedNumber;
    if (value == 32767.0)
        return SampleOddity::noValueMark;
    return std::nullopt;
}

QVector<double> readCurve(const QJsonArray &archives, int index, ReadFindings &findings)
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
        const QString text = value.toString();
        bool converted = false;
        samples[i] = text.toDouble(&converted);
        if (const std::optional<SampleOddity> oddity = oddityOf(text, samples[i], converted)) {
            OddSamples &odd = findings.oddSamples[std::size_t(*oddity)];
            if (odd.count++ == 0)
                odd.firstText = text;
        }
    }
    return samples;
}

std::optional<QString> readResult(const QJsonObject &top, const QString &key, ReadFindings &findings)
{
    const QJsonValue value = top.value(key);
    if (!value.isUndefined() && !value.isString())
        findings.nonStringResults = true;
    const QString text = stringOf(value);
    if (text == QLatin1String("nan") || text == QLatin1String("32767"))
        return std::nullopt;
    return text;
}

Measurement measurementFromObject(const QJsonObject &top, const ReadFindings &findings)
{
    Measurement m;
    m.findings = findings;
    const QJsonArray archives = top.value(QStringLiteral("Archives")).toArray();
    m.emf = readCurve(archives, 0, m.findings);
    m.temperature = readCurve(archives, 1, m.findings);

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
        const int code = stringOf(status.value()).toInt(nullptr, 10);
        m.statusCode = code;
        m.status = statusText(code);
        m.findings.statusOutsideTable = !isKnownStatusCode(code);
    }
    return m;
}

Measurement measurementFromLine(const FirstLine &line, const LineCut &cut)
{
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
    return measurementFromObject(top, findings);
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

std::optional<Measurement> readMeasurementFile(const QString &path, archive::FileStamp *stamp)
{
    if (path.isEmpty())
        return std::nullopt;
    QByteArray head;
#if defined(Q_OS_UNIX)
    // Non-blocking, so that a named pipe without a writer cannot hold the window; anything but a
    // regular file is refused before a byte is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    if (stamp)
        *stamp = archive::stampOf(status);
    const bool complete = collectFirstLine(head, [fd](QByteArray &buffer, qint64 want) -> qint64 {
        const int oldSize = buffer.size();
        buffer.resize(oldSize + int(want));
        ssize_t got;
        do {
            got = ::read(fd, buffer.data() + oldSize, size_t(want));
        } while (got < 0 && errno == EINTR);
        buffer.resize(oldSize + int(qMax<ssize_t>(got, 0)));
        return got;
    });
    ::close(fd);
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    if (stamp) {
        *stamp = archive::FileStamp();
        stamp->size = info.size();
        stamp->modifiedSeconds = info.lastModified().toSecsSinceEpoch();
        stamp->changedSeconds = info.metadataChangeTime().toSecsSinceEpoch();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const bool complete = collectFirstLine(head, [&file](QByteArray &buffer, qint64 want) -> qint64 {
        const QByteArray chunk = file.read(want);
        if (chunk.isEmpty() && file.error() != QFileDevice::NoError)
            return -1;
        buffer.append(chunk);
        return chunk.size();
    });
#endif
    if (!complete)
        return std::nullopt;
    return parseMeasurement(head);
}

} // namespace measurement
