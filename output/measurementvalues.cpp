// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/measurementvalues.h"

#include "output/jsontext.h"

#include "archive/displayname.h"
#include "language/language.h"
#include "measurement/measurementdigest.h"
#include "measurement/statustable.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <utility>

namespace output {

namespace {

QJsonObject curveJson(const measurement::CurveSummary &summary)
{
    return QJsonObject{{QStringLiteral("samples"), summary.samples},
                       {QStringLiteral("min"),
                        summary.minimum ? QJsonValue(*summary.minimum) : QJsonValue(QJsonValue::Null)},
                       {QStringLiteral("max"),
                        summary.maximum ? QJsonValue(*summary.maximum) : QJsonValue(QJsonValue::Null)}};
}

QString curveLine(const measurement::CurveSummary &summary, const QString &unit)
{
    QString line = QCoreApplication::translate("output", "%1 samples").arg(summary.samples);
    if (summary.minimum)
        line += QStringLiteral(", %1 .. %2 %3")
                    .arg(language::localNumbers(exactNumberText(*summary.minimum)),
                         language::localNumbers(exactNumberText(*summary.maximum)), unit);
    return line;
}

} // namespace

QString measurementValuesText(const measurement::Measurement &m)
{
    using measurement::displayText;
    const std::pair<QString, QString> lines[] = {
        {QCoreApplication::translate("output", "melt:"), displayText(m.smelt)},
        {QCoreApplication::translate("output", "temperature, °C:"), displayText(m.temperatureText)},
        {QCoreApplication::translate("output", "oxidation, ppm:"), displayText(m.oxidation)},
        {QCoreApplication::translate("output", "EMF, mV:"), displayText(m.emfText)},
        {QCoreApplication::translate("output", "aluminium mass, kg:"), displayText(m.aluminiumMass)},
        {QCoreApplication::translate("output", "carbon, %:"), displayText(m.carbon)},
        {QCoreApplication::translate("output", "status:"), measurement::statusDisplayText(m.status)},
        {QCoreApplication::translate("output", "EMF curve:"),
         curveLine(measurement::summarizeCurve(m.emf), QCoreApplication::translate("output", "mV"))},
        {QCoreApplication::translate("output", "temperature curve:"),
         curveLine(measurement::summarizeCurve(m.temperature), QStringLiteral("°C"))},
    };
    int width = 0;
    for (const auto &[label, value] : lines)
        width = std::max(width, int(label.size()));
    QString text;
    for (const auto &[label, value] : lines)
        text += label.leftJustified(width + 1) + value + QLatin1Char('\n');
    return text;
}

QString measurementValuesJson(const QString &path, const measurement::Measurement &m)
{
    using measurement::displayText;
    const QJsonObject shown{
        {QStringLiteral("file"), archive::jsonPath(path)},
        {QStringLiteral("smelt"), displayText(m.smelt)},
        {QStringLiteral("temperature"), displayText(m.temperatureText)},
        {QStringLiteral("oxidation"), displayText(m.oxidation)},
        {QStringLiteral("emf"), displayText(m.emfText)},
        {QStringLiteral("aluminiumMass"), displayText(m.aluminiumMass)},
        {QStringLiteral("carbon"), displayText(m.carbon)},
        {QStringLiteral("status"), measurement::statusDisplayText(m.status)},
        {QStringLiteral("statusCode"),
         m.statusCode ? QJsonValue(*m.statusCode) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("emfCurve"), curveJson(measurement::summarizeCurve(m.emf))},
        {QStringLiteral("temperatureCurve"), curveJson(measurement::summarizeCurve(m.temperature))}};
    return QString::fromUtf8(QJsonDocument(shown).toJson(QJsonDocument::Indented));
}

} // namespace output
