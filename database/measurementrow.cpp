// SPDX-License-Identifier: GPL-3.0-or-later
#include "database/measurementrow.h"

#include <QCryptographicHash>

#include "archive/archivename.h"
#include "database/binarycopy.h"
#include "measurement/contentfindings.h"
#include "measurement/resultnumber.h"

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

// A stamp: the packed times and identity, the content digest, one byte of state, the rules.
constexpr int digestSize = 16;
constexpr char settledState = 's';
constexpr char countedState = 'c';   // not settled, counted before
constexpr char uncountedState = 'n'; // not settled, never counted

namespace {

QByteArray stampOfRow(const FileRow &file, const QByteArray &rulesVersion)
{
    QByteArray bytes(packedStampSize, Qt::Uninitialized);
    packStamp(file.stamp, bytes.data());
    const QByteArray digest =
        file.countedDigest.size() == digestSize ? file.countedDigest : QByteArray(digestSize, '\0');
    const char state = file.settled ? settledState : file.counted ? countedState : uncountedState;
    return bytes + digest + state + rulesVersion;
}

} // namespace

KeptStamp keptStamp(const char *kept, int size, const QByteArray &rulesVersion)
{
    KeptStamp stamp;
    if (!kept || size != packedStampSize + digestSize + 1 + rulesVersion.size())
        return stamp; // an older run's, or none: nothing known of the content
    const QByteArray digest(kept + packedStampSize, digestSize);
    if (digest != QByteArray(digestSize, '\0'))
        stamp.digest = digest;
    const char state = kept[packedStampSize + digestSize];
    stamp.counted = state != uncountedState;
    stamp.settled = state == settledState;
    return stamp;
}

bool stampMatches(const platform::FileStamp &stamp, const QByteArray &rulesVersion, const char *kept,
                  int size)
{
    if (!kept || size != packedStampSize + digestSize + 1 + rulesVersion.size() ||
        kept[packedStampSize + digestSize] != settledState)
        return false;
    char packed[packedStampSize];
    packStamp(stamp, packed);
    return std::memcmp(packed, kept, packedStampSize) == 0 &&
           std::memcmp(rulesVersion.constData(), kept + packedStampSize + digestSize + 1,
                       size_t(rulesVersion.size())) == 0;
}

QByteArray contentDigest(const FileRow &file, const measurement::Measurement &m,
                         const QByteArray &rulesVersion)
{
    // The row made with no times, identity or stamp: what is left comes from the name and the content.
    FileRow bare;
    bare.archiveId = file.archiveId;
    bare.fileName = file.fileName;
    bare.nameBytes = file.nameBytes;
    bare.decodable = file.decodable;
    bare.stamp.size = file.stamp.size;
    bare.settled = false;
    bare.counted = false;
    std::string row;
    writeMeasurementRow(&row, bare, m, rulesVersion);
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(row.data(), int(row.size()));
    return hash.result();
}

QByteArray rowsVersion()
{
    // "rows-1": change it whenever a row would come out otherwise for the same file (a column's
    // making, measurement::resultNumber's rule), so that every row is made anew by the next run.
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
    // A file not settled keeps a stamp too, which never matches (it is read again next time) but
    // carries what was counted of it.
    row.bytes(stampOfRow(file, rulesVersion));
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
