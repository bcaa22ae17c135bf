// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "query/searchcriteria.h"
#include "statistics/archivestatistics.h"

#include <QDateTime>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace printing {

// What the first page says about the report itself.
struct ReportHeading
{
    QString directory;      // the archive folder
    QString period;         // the period in words
    QStringList conditions; // the selection in words; empty for every measurement
    QDateTime madeAt;       // when the report was made, local time
};

// The period asked for in words; a bound left open is that of the measurements found (newest first).
QString reportPeriod(const query::SearchCriteria &criteria,
                     const QVector<statistics::MeasurementFacts> &facts);
// The selection in words, from the options given as (name, value): "technology K1", "from ...".
QStringList reportConditions(const QVector<QPair<QString, QString>> &given);

} // namespace printing
