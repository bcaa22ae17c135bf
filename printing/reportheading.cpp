// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportheading.h"

#include "language/language.h"

#include <QCoreApplication>
#include <QHash>

#include <optional>

namespace printing {

QString reportPeriod(const query::SearchCriteria &criteria,
                     const QVector<statistics::MeasurementFacts> &facts)
{
    std::optional<archive::Moment> first = criteria.from;
    std::optional<archive::Moment> last;
    if (criteria.to) {
        // The end is excluded; names are written to the second, so the second before it is the last one in.
        const QDateTime end = QDateTime(criteria.to->date, criteria.to->time, Qt::UTC).addSecs(-1);
        last = archive::Moment{end.date(), end.time()};
    }
    for (const statistics::MeasurementFacts &f : facts) {
        if (!f.moment.isValid())
            continue;
        if (!criteria.to && !last)
            last = f.moment; // newest first
        if (!criteria.from)
            first = f.moment;
    }
    if (!first && !last)
        return QCoreApplication::translate("report", "the whole archive");
    const auto text = [](const std::optional<archive::Moment> &m) {
        return m ? language::localMoment(m->date, m->time) : QStringLiteral("…");
    };
    return text(first) + QStringLiteral(" — ") + text(last);
}

QStringList reportConditions(const QVector<QPair<QString, QString>> &given)
{
    const QHash<QString, QString> captions{
        {QStringLiteral("melt"), QCoreApplication::translate("report", "melt contains")},
        {QStringLiteral("technology"), QCoreApplication::translate("report", "technology")},
        {QStringLiteral("from"), QCoreApplication::translate("report", "from")},
        {QStringLiteral("to"), QCoreApplication::translate("report", "before")},
        {QStringLiteral("status"), QCoreApplication::translate("report", "status")},
        {QStringLiteral("temp"), QCoreApplication::translate("report", "temperature, °C")},
        {QStringLiteral("emf"), QCoreApplication::translate("report", "EMF, mV")}};
    QStringList texts;
    for (const auto &[name, value] : given)
        texts.append(captions.value(name, name) + QLatin1Char(' ') + value);
    return texts;
}

} // namespace printing
