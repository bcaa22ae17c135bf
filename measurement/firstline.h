// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QTextCodec;

// The first line of a file, cut from its raw bytes in whatever encoding the file is written: the line
// break is searched in the encoded bytes, so the length limit counts bytes whatever the encoding, and
// nothing past the line is decoded.

namespace measurement {

// The encoding a file's first bytes select, and how a line feed is written in it.
class LineCut
{
public:
    // A byte-order mark selects the Unicode encoding, as a text stream with its default codec does.
    explicit LineCut(const QByteArray &head);

    // Byte offset of the first line feed at or after `from`, or -1.
    qint64 findLineFeed(const QByteArray &bytes, qint64 from) const;
    // Where the line's text ends: a carriage return right before the line feed is not part of it.
    qint64 contentEnd(const QByteArray &bytes, qint64 lineFeed) const;
    // A fresh decoder drops a leading byte-order mark, just as a text stream does.
    QString decode(const QByteArray &bytes) const;
    int unitSize() const { return unit; }

private:
    bool isUnit(const QByteArray &bytes, qint64 pos, char ascii) const;

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

FirstLine cutFirstLine(const QByteArray &bytes, const LineCut &cut);

// Collects the bytes that decide the first line: everything up to the first line break, capped just
// past the length limit, plus one chunk after the break. `readChunk` appends up to the given number
// of bytes and returns how many it read, 0 at the end, -1 on a read error. False on a read error.
bool collectFirstLine(QByteArray &buffer, const std::function<qint64(QByteArray &, qint64)> &readChunk);

} // namespace measurement
