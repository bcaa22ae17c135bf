// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"

#include "platform/filesystem.h"

#include <QDir>
#include <QFile>

namespace archive {

namespace {

// Length of the valid UTF-8 sequence starting at `i`, or 0 if the bytes there are not one
// (overlong forms, surrogates and values past U+10FFFF included).
int utf8SequenceLength(const unsigned char *s, int size, int i, uint *codePoint)
{
    const unsigned char lead = s[i];
    int length;
    uint value;
    uint minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if ((lead & 0xe0) == 0xc0) {
        length = 2;
        value = lead & 0x1f;
        minimum = 0x80;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3;
        value = lead & 0x0f;
        minimum = 0x800;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > size)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((s[i + k] & 0xc0) != 0x80)
            return 0;
        value = (value << 6) | (s[i + k] & 0x3f);
    }
    if (value < minimum || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
        return 0;
    *codePoint = value;
    return length;
}

void appendByteEscape(QString &out, unsigned char byte)
{
    static const char hex[] = "0123456789abcdef";
    out += QLatin1String("\\x");
    out += QLatin1Char(hex[byte >> 4]);
    out += QLatin1Char(hex[byte & 0xf]);
}

// The escape of a control character, or nothing for any other.
const char *controlEscape(uint c)
{
    switch (c) {
    case '\a':
        return "\\a";
    case '\b':
        return "\\b";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\v':
        return "\\v";
    case '\f':
        return "\\f";
    case '\r':
        return "\\r";
    case '\\':
        return "\\\\";
    default:
        return nullptr;
    }
}

} // namespace

bool isControl(uint c)
{
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0) || c == 0x2028 || c == 0x2029;
}

bool needsEscaping(const QByteArray &encodedName)
{
    const QString decoded = platform::decodeFileName(encodedName);
    return platform::encodeFileName(decoded) != encodedName || displayName(decoded) != decoded;
}

QString displayName(const QByteArray &encodedName)
{
    const QString decoded = platform::decodeFileName(encodedName);
    if (platform::encodeFileName(decoded) == encodedName)
        return displayName(decoded);
    // Not valid in the file-name encoding: what is valid UTF-8 is shown (escaped where it is a
    // control character), every other byte as its escape.
    QString out;
    out.reserve(encodedName.size() + 8);
    const auto *s = reinterpret_cast<const unsigned char *>(encodedName.constData());
    const int size = encodedName.size();
    for (int i = 0; i < size;) {
        uint c = s[i];
        const int length = utf8SequenceLength(s, size, i, &c);
        if (length == 0) {
            appendByteEscape(out, s[i]);
            ++i;
            continue;
        }
        out += displayName(QString::fromUtf8(reinterpret_cast<const char *>(s + i), length));
        i += length;
    }
    return out;
}

QString displayName(const QString &name)
{
    QString out;
    bool plain = true;
    for (const QChar c : name) {
        if (isControl(c.unicode()) || c == QLatin1Char('\\')) {
            plain = false;
            break;
        }
    }
    if (plain)
        return name;
    out.reserve(name.size() + 8);
    for (const QChar c : name) {
        const uint u = c.unicode();
        if (const char *escape = controlEscape(u)) {
            out += QLatin1String(escape);
        } else if (isControl(u)) {
            const QByteArray bytes = QString(c).toUtf8();
            for (const char b : bytes)
                appendByteEscape(out, static_cast<unsigned char>(b));
        } else {
            out += c;
        }
    }
    return out;
}

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString displayPath(const QString &folder, const QString &fileName)
{
    return QDir::toNativeSeparators(folder + QLatin1Char('/')) + displayName(fileName);
}

QString jsonPath(const QString &path)
{
    return QDir::fromNativeSeparators(path);
}

} // namespace archive
