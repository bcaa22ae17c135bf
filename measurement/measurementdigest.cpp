// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/measurementdigest.h"

#include <cmath>

namespace measurement {

CurveSummary summarizeCurve(const QVector<double> &samples)
{
    CurveSummary summary;
    for (const double sample : samples) {
        if (std::isnan(sample))
            continue;
        ++summary.samples;
        if (!std::isfinite(sample))
            continue;
        if (!summary.minimum || sample < *summary.minimum)
            summary.minimum = sample;
        if (!summary.maximum || sample > *summary.maximum)
            summary.maximum = sample;
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
