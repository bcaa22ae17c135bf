// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/measurementfile.h"

#include "measurement/fieldvalues.h"
#include "measurement/firstline.h"
#include "measurement/plainreader.h"
#include "platform/filesystem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <limits>

// The reading of a file: its first line, taken apart by the shortcut for plain documents where it
// can, else by the general JSON route here.
namespace measurement {

namespace {

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
        readStatus(stringOf(status.value()), m);
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
