// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace measurement {

// What a curve holds: the samples that are not NaN, and the span of the finite ones.
struct CurveSummary
{
    int samples = 0;
    std::optional<double> minimum;
    std::optional<double> maximum;
    bool operator==(const CurveSummary &o) const
    {
        return samples == o.samples && minimum == o.minimum && maximum == o.maximum;
    }
};
CurveSummary summarizeCurve(const QVector<double> &samples);

// What the archive-wide commands need of one measurement: its results and status as the viewer
// shows them, the span of its curves and what the archive check finds in its content. Small enough
// to keep for every file of a large archive, and what the archive's index stores.
struct MeasurementDigest : MeasurementResults
{
    CurveSummary emf;
    CurveSummary temperature;
    QStringList findings; // the check's reasons about the content, in the order found

    bool operator==(const MeasurementDigest &o) const
    {
        return MeasurementResults::operator==(o) && emf == o.emf && temperature == o.temperature &&
               findings == o.findings;
    }
};

// The digest of a measurement read; the findings are the caller's, which knows the check's rules.
MeasurementDigest digestOf(const Measurement &m, const QStringList &findings = {});

} // namespace measurement
