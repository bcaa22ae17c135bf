// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/measurementrow.h"

#include "archive/archivename.h"
#include "database/binarycopy.h"
#include "measurement/contentfindings.h"
#include "measurement/resultnumber.h"
#include "query/searchcriteria.h"

#include <QtEndian>

#include <cstring>

namespace database {

namespace {

constexpr qint64 julianDayOf2000 = 2451545; // 2000-01-01
constexpr int columnCount = 25;

void writeResult(BinaryCopyWriter &row, const std::optional<QString> &text, bool *kept)
{
    if (!text) {
        row.null();
        row.null();
        return;
    }
    *kept = row.text(*text) && *kept;
    const std::optional<double> number = measurement::resultNumber(text);
    if (number)
        row.float8(*number);
    else
        row.null();
}

void writeOptionalText(BinaryCopyWriter &row, const std::optional<QString> &text, bool *kept)
{
    if (text)
        *kept = row.text(*text) && *kept;
    else
        row.null();
}

} // namespace

const char measurementColumns[] =
    "archive_id, file_name, file_name_bytes, name_decodable, technology, moment, modified, file_size, "
    "melt, temperature_text, temperature, emf_text, emf, oxidation_text, oxidation, aluminium_text, "
    "aluminium, carbon_text, carbon, status, status_code, emf_curve, temperature_curve, stamp, findings";

QString replacedCharactersFinding()
{
    return QStringLiteral("a text holds the character U+0000, which the database cannot store: it is "
                          "stored as U+FFFD");
}

namespace {

constexpr int packedStampSize = 64;

void packStamp(const platform::FileStamp &stamp, char *out)
{
    const quint64 fields[] = {quint64(stamp.size),
                              quint64(stamp.modifiedSeconds),
                              quint64(stamp.modifiedNanoseconds),
                              quint64(stamp.changedSeconds),
                              quint64(stamp.changedNanoseconds),
                              stamp.inode,
                              stamp.device,
                              stamp.mount};
    for (const quint64 field : fields) {
        qToBigEndian(field, out);
        out += 8;
    }
}

} // namespace

QByteArray stampBytes(const platform::FileStamp &stamp, const QByteArray &rulesVersion)
{
    QByteArray bytes(packedStampSize, Qt::Uninitialized);
    packStamp(stamp, bytes.data());
    return bytes + rulesVersion;
}

bool stampMatches(const platform::FileStamp &stamp, const QByteArray &rulesVersion, const char *kept,
                  int size)
{
    if (!kept || size != packedStampSize + rulesVersion.size())
        return false;
    char packed[packedStampSize];
    packStamp(stamp, packed);
    return std::memcmp(packed, kept, packedStampSize) == 0 &&
           std::memcmp(rulesVersion.constData(), kept + packedStampSize, size_t(rulesVersion.size())) == 0;
}

QByteArray rowsVersion()
{
    return measurement::contentRulesVersion().toUtf8() + "/rows-1";
}

void writeMeasurementRow(std::string *out, const FileRow &file, const measurement::Measurement &m,
                         const QByteArray &rulesVersion)
{
    BinaryCopyWriter row(out);
    row.beginRow(columnCount);
    bool kept = true;
    row.int32(file.archiveId);
    kept = row.text(file.fileName) && kept;
    row.bytes(file.nameBytes);
    row.boolean(file.decodable);
    kept = row.text(archive::technologyOfFile(file.fileName)) && kept;
    const archive::Moment moment = archive::momentOfFile(file.fileName);
    if (moment.isValid())
        row.timestamp((moment.date.toJulianDay() - julianDayOf2000) * 86400 * 1000000 +
                      qint64(moment.time.msecsSinceStartOfDay()) * 1000);
    else
        row.null();
    row.timestamp(postgresMicroseconds(file.stamp.modifiedSeconds, file.stamp.modifiedNanoseconds));
    row.int64(file.stamp.size);
    writeOptionalText(row, m.smelt, &kept);
    for (const std::optional<QString> *result :
         {&m.temperatureText, &m.emfText, &m.oxidation, &m.aluminiumMass, &m.carbon})
        writeResult(row, *result, &kept);
    writeOptionalText(row, m.status, &kept);
    if (m.statusCode)
        row.int32(*m.statusCode);
    else
        row.null();
    row.float8Array(m.emf);
    row.float8Array(m.temperature);
    if (file.settled)
        row.bytes(stampBytes(file.stamp, rulesVersion));
    else
        row.null();
    // Stored in English: the table is read by whoever asks, in whichever language.
    QStringList findings;
    for (const QString &stored : measurement::contentFindingTexts(m))
        findings.append(measurement::englishFindingText(stored));
    if (!kept)
        findings.append(replacedCharactersFinding());
    // A finding that quotes such a text is stored with the same replacement.
    row.textArray(findings);
}

} // namespace database
