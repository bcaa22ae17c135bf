// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/binarycopy.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace database {

namespace {

const char signature[] = "PGCOPY\n\377\r\n"; // followed by its terminating zero byte
constexpr int signatureLength = 11;
constexpr int headerLength = signatureLength + 8; // flags and header extension length

} // namespace

qint64 postgresMicroseconds(qint64 unixSeconds, qint64 nanoseconds)
{
    return (unixSeconds - postgresEpochSeconds) * 1000000 + nanoseconds / 1000;
}

QByteArray storableUtf8(const QString &text, bool *replaced)
{
    // Half a surrogate pair becomes "?" here, as in everything else this program writes.
    QByteArray utf8 = text.toUtf8();
    *replaced = std::memchr(utf8.constData(), 0, size_t(utf8.size())) != nullptr;
    if (*replaced)
        utf8.replace(QByteArray(1, '\0'), QByteArray("\xef\xbf\xbd"));
    return utf8;
}

std::string BinaryCopyWriter::header()
{
    std::string bytes(signature, size_t(signatureLength));
    bytes.append(8, '\0'); // no flags, no header extension
    return bytes;
}

std::string BinaryCopyWriter::trailer()
{
    return std::string("\xff\xff", 2);
}

void BinaryCopyWriter::put32(quint32 value)
{
    const quint32 big = qToBigEndian(value);
    out->append(reinterpret_cast<const char *>(&big), 4);
}

void BinaryCopyWriter::put64(quint64 value)
{
    const quint64 big = qToBigEndian(value);
    out->append(reinterpret_cast<const char *>(&big), 8);
}

void BinaryCopyWriter::beginRow(int fields)
{
    const quint16 big = qToBigEndian(quint16(fields));
    out->append(reinterpret_cast<const char *>(&big), 2);
}

void BinaryCopyWriter::null()
{
    put32(quint32(-1));
}

void BinaryCopyWriter::int32(qint32 value)
{
    put32(4);
    put32(quint32(value));
}

void BinaryCopyWriter::int64(qint64 value)
{
    put32(8);
    put64(quint64(value));
}

void BinaryCopyWriter::float8(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, 8);
    put32(8);
    put64(bits);
}

void BinaryCopyWriter::boolean(bool value)
{
    put32(1);
    out->push_back(value ? '\1' : '\0');
}

void BinaryCopyWriter::bytes(const QByteArray &value)
{
    put32(quint32(value.size()));
    out->append(value.constData(), size_t(value.size()));
}

bool BinaryCopyWriter::text(const QString &value)
{
    bool replaced = false;
    bytes(storableUtf8(value, &replaced));
    return !replaced;
}

void BinaryCopyWriter::timestamp(qint64 microseconds)
{
    int64(microseconds);
}

void BinaryCopyWriter::float8Array(const QVector<double> &samples)
{
    int count = samples.size();
    while (count > 0 && std::isnan(samples[count - 1]))
        --count;
    // The array's header (dimensions, the null flag, the element type, then each dimension's length
    // and lower bound) and its elements, each with its length: written in place, since every curve of
    // every file sent passes here.
    quint32 total = count == 0 ? 12 : 20;
    bool hasNull = false;
    for (int i = 0; i < count; ++i) {
        const bool missing = std::isnan(samples[i]);
        hasNull = hasNull || missing;
        total += missing ? 4 : 12;
    }
    const size_t at = out->size();
    out->resize(at + 4 + total);
    char *place = &(*out)[at];
    const auto put = [&place](quint32 value) {
        qToBigEndian(value, place);
        place += 4;
    };
    put(total);
    put(count == 0 ? 0 : 1);
    put(hasNull ? 1 : 0);
    put(oid::float8);
    if (count == 0)
        return;
    put(quint32(count));
    put(1);
    for (int i = 0; i < count; ++i) {
        if (std::isnan(samples[i])) {
            put(quint32(-1));
            continue;
        }
        put(8);
        quint64 bits;
        std::memcpy(&bits, &samples[i], 8);
        qToBigEndian(bits, place);
        place += 8;
    }
}

bool BinaryCopyWriter::textArray(const QStringList &texts)
{
    std::vector<QByteArray> encoded;
    bool allKept = true;
    quint32 total = texts.isEmpty() ? 12 : 20;
    for (const QString &text : texts) {
        bool replaced = false;
        encoded.push_back(storableUtf8(text, &replaced));
        allKept = allKept && !replaced;
        total += 4 + quint32(encoded.back().size());
    }
    put32(total);
    put32(texts.isEmpty() ? 0 : 1);
    put32(0);
    put32(oid::text);
    if (texts.isEmpty())
        return allKept;
    put32(quint32(texts.size()));
    put32(1);
    for (const QByteArray &text : encoded)
        bytes(text);
    return allKept;
}

QByteArray BinaryCopyWriter::byteaArray(const QVector<QByteArray> &values)
{
    std::string out;
    BinaryCopyWriter writer(&out);
    writer.put32(values.isEmpty() ? 0 : 1);
    writer.put32(0);
    writer.put32(oid::bytea);
    if (!values.isEmpty()) {
        writer.put32(quint32(values.size()));
        writer.put32(1);
        for (const QByteArray &value : values)
            writer.bytes(value);
    }
    return QByteArray(out.data(), int(out.size()));
}

bool BinaryCopyReader::add(const char *data, int length)
{
    if (ended)
        return length == 0;
    pending.append(data, size_t(length));
    if (!headerRead) {
        if (pending.size() < size_t(headerLength))
            return true;
        if (std::memcmp(pending.data(), signature, size_t(signatureLength)) != 0)
            return false;
        quint32 extension;
        std::memcpy(&extension, pending.data() + signatureLength + 4, 4);
        if (qFromBigEndian(extension) != 0)
            return false;
        pending.erase(0, size_t(headerLength));
        headerRead = true;
    }
    return readRows();
}

bool BinaryCopyReader::readRows()
{
    size_t at = 0;
    const auto need = [&](size_t bytes) { return pending.size() - at >= bytes; };
    const auto read32 = [&](size_t place) {
        quint32 value;
        std::memcpy(&value, pending.data() + place, 4);
        return qint32(qFromBigEndian(value));
    };
    while (need(2)) {
        quint16 count;
        std::memcpy(&count, pending.data() + at, 2);
        count = qFromBigEndian(count);
        if (count == 0xffff) {
            ended = true;
            at += 2;
            break;
        }
        // A row is complete once every field's length and bytes are there.
        size_t end = at + 2;
        fields.clear();
        lengths.clear();
        bool complete = true;
        for (int f = 0; f < count && complete; ++f) {
            complete = pending.size() - end >= 4;
            if (!complete)
                break;
            const qint32 length = read32(end);
            end += 4;
            if (length < -1)
                return false;
            complete = length < 0 || pending.size() - end >= size_t(length);
            fields.append(length < 0 ? nullptr : pending.data() + end);
            lengths.append(length);
            end += length < 0 ? 0 : size_t(length);
        }
        if (!complete)
            break;
        row(fields, lengths);
        at = end;
    }
    pending.erase(0, at);
    return true;
}

} // namespace database
