// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultcolumns.h"

#include "archive/archivename.h"
#include "archive/displayname.h"
#include "measurement/resultnumber.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonValue>

namespace output {

namespace {

const char *const resultColumns[] = {
    QT_TRANSLATE_NOOP("columns", "melt"),         QT_TRANSLATE_NOOP("columns", "moment"),
    QT_TRANSLATE_NOOP("columns", "technology"),   QT_TRANSLATE_NOOP("columns", "temperature_C"),
    QT_TRANSLATE_NOOP("columns", "emf_mV"),       QT_TRANSLATE_NOOP("columns", "oxidation_ppm"),
    QT_TRANSLATE_NOOP("columns", "aluminium_kg"), QT_TRANSLATE_NOOP("columns", "carbon_pct"),
    QT_TRANSLATE_NOOP("columns", "status_code"),  QT_TRANSLATE_NOOP("columns", "status"),
    QT_TRANSLATE_NOOP("columns", "file")};

} // namespace

QStringList resultHeader(const output::CsvFormat &format)
{
    QStringList header;
    for (const char *column : resultColumns)
        header << output::csvHeader(column, format);
    return header;
}

QVector<int> resultTextColumns()
{
    return {0, 2};
}

QString resultCell(const std::optional<QString> &text, const output::CsvFormat &format)
{
    if (!text)
        return QString();
    const std::optional<measurement::ResultNumber> number = measurement::readResultNumber(*text);
    if (!number)
        return *text;
    QString written = text->trimmed();
    if (number->decimalComma)
        written.replace(QLatin1Char(','), QLatin1Char('.'));
    return output::csvNumber(written, format);
}

output::XlsxCell resultXlsxCell(const std::optional<QString> &text)
{
    if (!text || text->isEmpty())
        return output::XlsxCell();
    const std::optional<measurement::ResultNumber> number = measurement::readResultNumber(*text);
    return number ? output::XlsxCell::ofNumber(number->value, number->decimals)
                  : output::XlsxCell::ofText(*text);
}

QStringList resultCsvCells(const query::FoundMeasurement &f, const output::CsvFormat &format)
{
    const measurement::MeasurementDigest &m = f.digest;
    // The melt number is a name: written as it stands, never as a number.
    return {m.smelt.value_or(QString()),
            f.moment.isValid() ? archive::momentDisplayText(f.moment.date, f.moment.time) : QString(),
            f.technology,
            resultCell(m.temperatureText, format),
            resultCell(m.emfText, format),
            resultCell(m.oxidation, format),
            resultCell(m.aluminiumMass, format),
            resultCell(m.carbon, format),
            m.statusCode ? QString::number(*m.statusCode) : QString(),
            m.status.value_or(QString()),
            f.fileName};
}

QString resultRefusal(const query::FoundMeasurement &f)
{
    const output::CsvFormat format;
    const QStringList cells = resultCsvCells(f, format);
    const QStringList header = resultHeader(format);
    for (int c = 0; c < cells.size(); ++c) {
        const QString why = output::unwritableCharacter(cells[c]);
        if (!why.isEmpty())
            return QCoreApplication::translate("output",
                                               "%1, column \"%2\": %3; nothing is changed, so nothing "
                                               "is written")
                .arg(f.shownName(), header.value(c), why);
    }
    return QString();
}

QVector<output::XlsxCell> resultXlsxRow(const query::FoundMeasurement &f)
{
    using output::XlsxCell;
    const measurement::MeasurementDigest &m = f.digest;
    return {m.smelt && !m.smelt->isEmpty() ? XlsxCell::ofText(*m.smelt) : XlsxCell(),
            f.moment.isValid() ? XlsxCell::ofMoment(f.moment.date, f.moment.time) : XlsxCell(),
            XlsxCell::ofText(f.technology),
            resultXlsxCell(m.temperatureText),
            resultXlsxCell(m.emfText),
            resultXlsxCell(m.oxidation),
            resultXlsxCell(m.aluminiumMass),
            resultXlsxCell(m.carbon),
            m.statusCode ? XlsxCell::ofNumber(*m.statusCode) : XlsxCell(),
            m.status ? XlsxCell::ofText(*m.status) : XlsxCell(),
            XlsxCell::ofText(f.fileName)};
}

QString resultLine(const query::FoundMeasurement &found)
{
    const measurement::MeasurementDigest &m = found.digest;
    // One record on one line that cannot steer a terminal, whatever the name or the file holds; JSON
    // and CSV keep the exact texts.
    // A name no text can hold is escaped already, its technology with it: escaping either again
    // would show it as the file literally named so.
    const bool escaped = !found.encodedName.isEmpty();
    return QStringList{archive::momentDisplayText(found.moment.date, found.moment.time),
                       escaped ? found.technology : archive::displayName(found.technology),
                       archive::displayName(measurement::displayText(m.smelt)),
                       archive::displayName(measurement::displayText(m.temperatureText)),
                       archive::displayName(measurement::statusDisplayText(m.status)),
                       found.shownName()}
        .join(QLatin1Char('\t'));
}

QJsonObject resultJson(const query::FoundMeasurement &found)
{
    const measurement::MeasurementDigest &m = found.digest;
    return QJsonObject{
        {QStringLiteral("file"), found.fileName},
        {QStringLiteral("moment"), found.moment.isValid()
                                       ? archive::momentDisplayText(found.moment.date, found.moment.time)
                                       : QString()},
        {QStringLiteral("technology"), found.technology},
        {QStringLiteral("smelt"), measurement::displayText(m.smelt)},
        {QStringLiteral("temperature"), measurement::displayText(m.temperatureText)},
        {QStringLiteral("emf"), measurement::displayText(m.emfText)},
        {QStringLiteral("status"), measurement::statusDisplayText(m.status)},
        {QStringLiteral("statusCode"),
         m.statusCode ? QJsonValue(*m.statusCode) : QJsonValue(QJsonValue::Null)}};
}

QString resultJsonLine(const query::FoundMeasurement &found)
{
    return QString::fromUtf8(QJsonDocument(resultJson(found)).toJson(QJsonDocument::Compact));
}

} // namespace output
