// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/firstline.h"

#include "measurement/measurementfile.h"

#include <QScopedPointer>
#include <QTextCodec>
#include <QTextDecoder>

#include <cstring>
#include <optional>

namespace measurement {

namespace {

// Enough bytes for every byte-order mark the decoder recognises.
constexpr int byteOrderMarkProbe = 4;
constexpr qint64 readChunkBytes = 64 * 1024;

} // namespace

LineCut::LineCut(const QByteArray &head)
{
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

qint64 LineCut::findLineFeed(const QByteArray &bytes, qint64 from) const
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

qint64 LineCut::contentEnd(const QByteArray &bytes, qint64 lineFeed) const
{
    if (lineFeed >= unit && isUnit(bytes, lineFeed - unit, '\r'))
        return lineFeed - unit;
    return lineFeed;
}

QString LineCut::decode(const QByteArray &bytes) const
{
    QScopedPointer<QTextDecoder> decoder(codec->makeDecoder());
    return decoder->toUnicode(bytes);
}

bool LineCut::isUnit(const QByteArray &bytes, qint64 pos, char ascii) const
{
    const char *p = bytes.constData() + pos;
    for (int i = 0; i < unit; ++i) {
        const char expected = i == 0 ? ascii : '\0';
        if (p[bigEndian ? unit - 1 - i : i] != expected)
            return false;
    }
    return true;
}

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

bool collectFirstLine(QByteArray &buffer, const std::function<qint64(QByteArray &, qint64)> &readChunk)
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

} // namespace measurement
