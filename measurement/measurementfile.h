// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statustable.h"

#include "platform/filestamp.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

namespace measurement {

constexpr int samplesPerCurve = 160;
constexpr double sampleStepSeconds = 0.1;
// A longer first line is taken for a document that does not parse, so a binary or a file without a
// line break can neither exhaust memory nor freeze the window.
constexpr qint64 maxFirstLineBytes = 16 * 1024 * 1024;

// Curve sample texts that the viewer draws otherwise than a reader of the file would expect.
enum class SampleOddity
{
    decimalComma, // "12,5": not a number in C notation, drawn as 0
    emptyText,    // "": drawn as 0
    notANumber,   // "-nan", "abc": drawn as 0
    nanSpelling,  // "NaN", " nan": read as a missing sample, though only "nan" is the mark
    paddedNumber, // " 12": the spaces are ignored
    notFinite,    // "inf", "1e400": no axis range can be fitted to it
    noValueMark,  // 32767: drawn as that value, though in a result it means no value
};
constexpr int sampleOddityCount = int(SampleOddity::noValueMark) + 1;

struct OddSamples
{
    int count = 0;
    QString firstText;
};

// What the reader noticed about a file: not shown by the viewer, reported by the archive check.
struct ReadFindings
{
    bool firstLineTooLong = false;   // more than maxFirstLineBytes before the first line break
    bool documentNotParsed = false;  // the first line is not a JSON object
    bool spreadOverLines = false;    // not parsed, and more text follows the first line break
    int longestCurve = 0;            // largest number of elements of a "values" array
    bool nonStringSamples = false;   // one of the first 160 "values" elements is not a JSON string
    bool nonStringResults = false;   // a result key or "Status" present with a non-string value
    bool statusOutsideTable = false; // "Status" present, but its code is not in the status table
    QString statusWritten;           // then the "Status" text as written (empty if not a string)
    std::array<OddSamples, sampleOddityCount> oddSamples; // string samples, by SampleOddity
};

// The results of a measurement as the value fields and the status field show them.
struct MeasurementResults
{
    // Result texts exactly as stored. std::nullopt marks "no value" ("nan" or "32767"); an absent
    // key or a non-string value is the empty text.
    std::optional<QString> smelt;
    std::optional<QString> temperatureText;
    std::optional<QString> emfText;
    std::optional<QString> oxidation;
    std::optional<QString> aluminiumMass;
    std::optional<QString> carbon;

    // The status verdict; std::nullopt when the file has no "Status".
    std::optional<QString> status;
    std::optional<int> statusCode;

    bool operator==(const MeasurementResults &o) const
    {
        return smelt == o.smelt && temperatureText == o.temperatureText && emfText == o.emfText &&
               oxidation == o.oxidation && aluminiumMass == o.aluminiumMass && carbon == o.carbon &&
               status == o.status && statusCode == o.statusCode;
    }
};

// One measurement as the viewer shows it.
struct Measurement : MeasurementResults
{
    QVector<double> emf;         // samplesPerCurve samples in mV, missing samples NaN
    QVector<double> temperature; // samplesPerCurve samples in °C, missing samples NaN

    ReadFindings findings;
};

// Decodes the bytes of a whole file (only the first line is used) into a measurement. Never fails:
// every fault degrades to missing data.
Measurement parseMeasurement(const QByteArray &fileBytes);
// The same reading through the general JSON route alone, without the shortcut for plain ASCII
// documents: what the shortcut is compared with.
Measurement parseMeasurementWithoutShortcut(const QByteArray &fileBytes);

// Reads the first line of a regular file. std::nullopt when the file cannot be opened for reading
// (missing, unreadable, a directory, a named pipe or another special file).
// `stamp`, when given, receives the file's stamp as it was when the file was opened, so that what was
// read can be filed under the state it was read in; it stays empty when the file could not be opened.
std::optional<Measurement> readMeasurementFile(const QString &path,
                                               std::optional<platform::FileStamp> *stamp = nullptr);
// The same for a path given as the bytes of the file-name encoding, so that a file whose name that
// encoding cannot decode is still read.
std::optional<Measurement> readMeasurementFile(const QByteArray &encodedPath,
                                               std::optional<platform::FileStamp> *stamp = nullptr);

} // namespace measurement
