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
    d.smelt = m.smelt;
    d.temperatureText = m.temperatureText;
    d.emfText = m.emfText;
    d.oxidation = m.oxidation;
    d.aluminiumMass = m.aluminiumMass;
    d.carbon = m.carbon;
    d.status = m.status;
    d.statusCode = m.statusCode;
    d.emf = summarizeCurve(m.emf);
    d.temperature = summarizeCurve(m.temperature);
    d.findings = findings;
    return d;
}

} // namespace measurement
