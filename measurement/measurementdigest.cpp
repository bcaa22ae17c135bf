// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/measurementdigest.h"

#include <cmath>

namespace measurement {

CurveSummary summarizeCurve(const QVector<double> &samples)
{
    // Plain doubles in the loop rather than the optionals: it runs for every curve of every file read.
    int count = 0;
    bool finite = false;
    double low = 0;
    double high = 0;
    for (const double sample : samples) {
        if (std::isnan(sample))
            continue;
        ++count;
        if (!std::isfinite(sample))
            continue;
        if (!finite) {
            low = high = sample;
            finite = true;
            continue;
        }
        if (sample < low)
            low = sample;
        if (sample > high)
            high = sample;
    }
    CurveSummary summary;
    summary.samples = count;
    if (finite) {
        summary.minimum = low;
        summary.maximum = high;
    }
    return summary;
}

MeasurementDigest digestOf(const Measurement &m, const QStringList &findings)
{
    MeasurementDigest d;
    static_cast<MeasurementResults &>(d) = m;
    d.emf = summarizeCurve(m.emf);
    d.temperature = summarizeCurve(m.temperature);
    d.findings = findings;
    return d;
}

} // namespace measurement
