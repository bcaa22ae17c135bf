// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/indexrecord.h"

#include <QString>

// Header-only: nothing to link, on every platform.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>
#include <optional>

namespace archive {

using platform::FileStamp;

namespace {

// Writes the record's values one after the other.
class RecordWriter
{
public:
    explicit RecordWriter(std::string &bytes) : bytes(bytes) { bytes.clear(); }
    template <typename T> void value(T v) { bytes.append(reinterpret_cast<const char *>(&v), sizeof v); }
    void optionalText(const std::optional<QString> &text)
    {
        if (!text) {
            value(qint32(-1));
            return;
        }
        this->text(*text);
    }
    void text(const QString &text)
    {
        value(qint32(text.size()));
        bytes.append(reinterpret_cast<const char *>(text.utf16()), size_t(text.size()) * sizeof(QChar));
    }
    void optionalReal(const std::optional<double> &v)
    {
        value(quint8(v.has_value()));
        value(v.value_or(0.0));
    }

private:
    std::string &bytes;
};

// Reads what RecordWriter wrote; every read is bounded, and a record that ends early or holds an
// impossible length is damaged.
class RecordReader
{
public:
    RecordReader(const char *data, int size) : at(data), end(data + size) {}
    template <typename T> T value()
    {
        T v{};
        if (end - at < qint64(sizeof v)) {
            damaged = true;
            return v;
        }
        std::memcpy(&v, at, sizeof v);
        at += sizeof v;
        return v;
    }
    std::optional<QString> optionalText()
    {
        const qint32 length = value<qint32>();
        if (length == -1)
            return std::nullopt;
        return text(length);
    }
    QString text(qint32 length)
    {
        if (length < 0 || length > (end - at) / qint64(sizeof(QChar))) {
            damaged = true;
            return QString();
        }
        QString text(reinterpret_cast<const QChar *>(at), length);
        at += qint64(length) * qint64(sizeof(QChar));
        return text;
    }
    std::optional<double> optionalReal()
    {
        const bool present = value<quint8>() != 0;
        const double v = value<double>();
        return present ? std::optional<double>(v) : std::nullopt;
    }
    // Nothing was missing so far.
    bool whole() const { return !damaged; }
    // Whole and used up to its last byte.
    bool intact() const { return !damaged && at == end; }

private:
    const char *at;
    const char *end;
    bool damaged = false;
};

} // namespace

qint64 indexRowChecksum(const char *name, int nameSize, const char *record, int recordSize)
{
    const XXH64_hash_t seed = XXH3_64bits(name, size_t(nameSize));
    return qint64(XXH3_64bits_withSeed(record, size_t(recordSize), seed));
}

void writeIndexRecord(std::string &bytes, const FileStamp &stamp, const measurement::MeasurementDigest &d)
{
    RecordWriter w(bytes);
    for (const qint64 v :
         {stamp.size, stamp.modifiedSeconds, stamp.modifiedNanoseconds, stamp.changedSeconds,
          stamp.changedNanoseconds, qint64(stamp.inode), qint64(stamp.device), qint64(stamp.mount)})
        w.value(v);
    for (const std::optional<QString> *text :
         {&d.smelt, &d.temperatureText, &d.emfText, &d.oxidation, &d.aluminiumMass, &d.carbon, &d.status})
        w.optionalText(*text);
    w.value(quint8(d.statusCode.has_value()));
    w.value(qint32(d.statusCode.value_or(0)));
    for (const measurement::CurveSummary *curve : {&d.emf, &d.temperature}) {
        w.value(qint32(curve->samples));
        w.optionalReal(curve->minimum);
        w.optionalReal(curve->maximum);
    }
    w.value(qint32(d.findings.size()));
    for (const QString &finding : d.findings)
        w.text(finding);
}

bool readIndexRecord(const char *record, int size, FileStamp *stamp, measurement::MeasurementDigest *digest)
{
    RecordReader r(record, size);
    stamp->size = r.value<qint64>();
    stamp->modifiedSeconds = r.value<qint64>();
    stamp->modifiedNanoseconds = r.value<qint64>();
    stamp->changedSeconds = r.value<qint64>();
    stamp->changedNanoseconds = r.value<qint64>();
    stamp->inode = r.value<quint64>();
    stamp->device = r.value<quint64>();
    stamp->mount = r.value<quint64>();
    if (!digest)
        return r.whole();
    measurement::MeasurementDigest &d = *digest;
    for (std::optional<QString> *text :
         {&d.smelt, &d.temperatureText, &d.emfText, &d.oxidation, &d.aluminiumMass, &d.carbon, &d.status})
        *text = r.optionalText();
    const bool hasStatusCode = r.value<quint8>() != 0;
    const qint32 statusCode = r.value<qint32>();
    d.statusCode = hasStatusCode ? std::optional<int>(statusCode) : std::nullopt;
    for (measurement::CurveSummary *curve : {&d.emf, &d.temperature}) {
        curve->samples = r.value<qint32>();
        curve->minimum = r.optionalReal();
        curve->maximum = r.optionalReal();
    }
    const qint32 findings = r.value<qint32>();
    d.findings.clear();
    for (qint32 k = 0; k < findings && r.whole(); ++k)
        d.findings.append(r.text(r.value<qint32>()));
    return r.intact();
}

} // namespace archive
