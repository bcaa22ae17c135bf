// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the bytes of an archive file, read the way the viewer reads them, down to the texts it
// shows.

#include "fuzzcheck.h"

#include "measurement/measurementfile.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

bool sameSamples(const QVector<double> &a, const QVector<double> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (std::isnan(a[i]) != std::isnan(b[i]))
            return false;
        if (!std::isnan(a[i]) && a[i] != b[i])
            return false;
    }
    return true;
}

bool sameShown(const measurement::Measurement &a, const measurement::Measurement &b)
{
    return sameSamples(a.emf, b.emf) && sameSamples(a.temperature, b.temperature) && a.smelt == b.smelt &&
           a.temperatureText == b.temperatureText && a.emfText == b.emfText && a.oxidation == b.oxidation &&
           a.aluminiumMass == b.aluminiumMass && a.carbon == b.carbon && a.status == b.status &&
           a.statusCode == b.statusCode;
}

// Everything the reader gives, down to the sign of a zero and what it noticed.
bool sameRecord(const measurement::Measurement &a, const measurement::Measurement &b)
{
    const auto bitwise = [](const QVector<double> &x, const QVector<double> &y) {
        return x.size() == y.size() &&
               std::memcmp(x.constData(), y.constData(), sizeof(double) * size_t(x.size())) == 0;
    };
    const measurement::ReadFindings &f = a.findings;
    const measurement::ReadFindings &g = b.findings;
    bool same = sameShown(a, b) && bitwise(a.emf, b.emf) && bitwise(a.temperature, b.temperature) &&
                f.firstLineTooLong == g.firstLineTooLong && f.documentNotParsed == g.documentNotParsed &&
                f.spreadOverLines == g.spreadOverLines && f.longestCurve == g.longestCurve &&
                f.nonStringSamples == g.nonStringSamples && f.nonStringResults == g.nonStringResults &&
                f.statusOutsideTable == g.statusOutsideTable && f.statusWritten == g.statusWritten;
    for (int k = 0; k < measurement::sampleOddityCount; ++k)
        same = same && f.oddSamples[size_t(k)].count == g.oddSamples[size_t(k)].count &&
               f.oddSamples[size_t(k)].firstText == g.oddSamples[size_t(k)].firstText;
    return same;
}

void checkResult(const std::optional<QString> &result)
{
    const QString shown = measurement::displayText(result);
    if (!result) {
        FUZZ_CHECK(shown == measurement::noDataText());
        return;
    }
    // The two no-value marks never reach a field as text.
    FUZZ_CHECK(*result != QLatin1String("nan") && *result != QLatin1String("32767"));
    FUZZ_CHECK(shown == *result);
}

void checkMeasurement(const measurement::Measurement &m)
{
    FUZZ_CHECK(m.emf.size() == measurement::samplesPerCurve);
    FUZZ_CHECK(m.temperature.size() == measurement::samplesPerCurve);

    checkResult(m.smelt);
    checkResult(m.temperatureText);
    checkResult(m.emfText);
    checkResult(m.oxidation);
    checkResult(m.aluminiumMass);
    checkResult(m.carbon);

    // A status verdict always comes with its code, and is the table's text for that code.
    FUZZ_CHECK(m.status.has_value() == m.statusCode.has_value());
    if (m.status) {
        FUZZ_CHECK(*m.status == measurement::statusText(*m.statusCode));
        FUZZ_CHECK(!m.status->isEmpty());
        FUZZ_CHECK(m.findings.statusOutsideTable == !measurement::isKnownStatusCode(*m.statusCode));
        // What the check names is the text as written: a code the text does not hold is never named.
        bool converts = false;
        const int written = m.findings.statusWritten.toInt(&converts, 10);
        if (m.findings.statusOutsideTable && converts)
            FUZZ_CHECK(written == *m.statusCode);
    }
    if (!m.findings.statusOutsideTable)
        FUZZ_CHECK(m.findings.statusWritten.isEmpty());
    FUZZ_CHECK(m.findings.longestCurve >= 0);
    if (m.findings.spreadOverLines)
        FUZZ_CHECK(m.findings.documentNotParsed);
}

// Everything the viewer shows of a file that did not parse: curves missing, fields empty, no status.
bool showsEmptyFile(const measurement::Measurement &m)
{
    const QVector<double> missing(measurement::samplesPerCurve, std::nan(""));
    const std::optional<QString> empty = QString();
    return sameSamples(m.emf, missing) && sameSamples(m.temperature, missing) && m.smelt == empty &&
           m.temperatureText == empty && m.emfText == empty && m.oxidation == empty &&
           m.aluminiumMass == empty && m.carbon == empty && !m.status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const measurement::Measurement m = measurement::parseMeasurement(bytes);
    checkMeasurement(m);
    // The shortcut for plain documents gives exactly what the general route gives.
    FUZZ_CHECK(sameRecord(m, measurement::parseMeasurementWithoutShortcut(bytes)));
    if (m.findings.documentNotParsed)
        FUZZ_CHECK(showsEmptyFile(m));

    // Only the first line is read: whatever follows the first line break cannot change what is shown,
    // and "\r\n" ends the line as "\n" does. In UTF-16 and UTF-32 (chosen by a byte-order mark) a 0x0A
    // byte can be half of another character, so there the line is not cut at the byte.
    const bool wideText = bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff") ||
                          bytes.startsWith(QByteArray("\0\0\xfe\xff", 4));
    const int lineBreak = wideText ? -1 : bytes.indexOf('\n');
    if (lineBreak >= 0) {
        QByteArray firstLine = bytes.left(lineBreak);
        const measurement::Measurement other =
            measurement::parseMeasurement(firstLine + "\n{\"Smelt\":\"other\",\"Status\":\"8\"}");
        checkMeasurement(other);
        FUZZ_CHECK(sameShown(m, other));
        if (!firstLine.endsWith('\r') && !firstLine.isEmpty()) {
            const measurement::Measurement crlf = measurement::parseMeasurement(firstLine + "\r\nrest");
            FUZZ_CHECK(sameShown(m, crlf));
        }
    }
    return 0;
}
