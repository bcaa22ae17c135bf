// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlcharttables.h"

#include "jsontext.h"

#include "language/language.h"
#include "statistics/archivestatistics.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>

namespace output {

namespace {

const QString missingCell = QStringLiteral("-");

QString optionalText(const std::optional<double> &value)
{
    return value ? statistics::statisticText(*value) : missingCell;
}

QJsonValue optionalJson(const std::optional<double> &value)
{
    // Through the text, so that JSON carries the same ten digits as the tables.
    return value ? QJsonValue(statistics::statisticText(*value).toDouble()) : QJsonValue(QJsonValue::Null);
}

QString momentText(const archive::Moment &moment)
{
    return moment.date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') +
           moment.time.toString(QStringLiteral("hh:mm:ss"));
}

QString periodText(const statistics::ChartSelection &selection)
{
    QStringList parts;
    if (selection.from)
        parts << QCoreApplication::translate("output", "from %1").arg(momentText(*selection.from));
    if (selection.to)
        parts << QCoreApplication::translate("output", "before %1").arg(momentText(*selection.to));
    if (selection.lastMelts)
        parts << QCoreApplication::translate("output", "the last %1 melts").arg(*selection.lastMelts);
    return parts.isEmpty() ? QCoreApplication::translate("output", "all melts")
                           : parts.join(QStringLiteral(", "));
}

const char *const pointColumns[] = {
    QT_TRANSLATE_NOOP("columns", "moment"),
    QT_TRANSLATE_NOOP("columns", "file"),
    QT_TRANSLATE_NOOP("columns", "melt"),
    QT_TRANSLATE_NOOP("columns", "value"),
    QT_TRANSLATE_NOOP("columns", "moving_range"),
    QT_TRANSLATE_NOOP("columns", "centre"),
    QT_TRANSLATE_NOOP("columns", "lcl"),
    QT_TRANSLATE_NOOP("columns", "ucl"),
    QT_TRANSLATE_NOOP("columns", "mr_centre"),
    QT_TRANSLATE_NOOP("columns", "mr_ucl"),
    QT_TRANSLATE_NOOP("columns", "lsl"),
    QT_TRANSLATE_NOOP("columns", "usl"),
    QT_TRANSLATE_NOOP("columns", "beyond_limits"),
    QT_TRANSLATE_NOOP("columns", "run"),
    QT_TRANSLATE_NOOP("columns", "mr_beyond_limit"),
    QT_TRANSLATE_NOOP("columns", "outside_tolerance"),
};

QStringList pointHeader(const CsvFormat &format)
{
    QStringList header;
    for (const char *column : pointColumns)
        header << csvHeader(column, format);
    return header;
}

// The chart's lines as they stand beside every point.
QVector<std::optional<double>> chartLines(const statistics::ControlChart &chart)
{
    return {chart.mean,
            chart.lowerLimit,
            chart.upperLimit,
            chart.movingRangeMean,
            chart.movingRangeUpperLimit,
            chart.tolerance.lower,
            chart.tolerance.upper};
}

QVector<bool> pointFlags(const statistics::ChartPoint &p)
{
    return {p.beyondLimits, p.inRun, p.movingRangeBeyondLimit, p.outsideTolerance};
}

} // namespace

QString chartResultTitle(statistics::ChartResult result)
{
    switch (result) {
    case statistics::ChartResult::temperature:
        return QCoreApplication::translate("output", "temperature, °C");
    case statistics::ChartResult::oxidation:
        return QCoreApplication::translate("output", "oxidation, ppm");
    case statistics::ChartResult::emf:
        return QCoreApplication::translate("output", "EMF, mV");
    case statistics::ChartResult::aluminium:
        return QCoreApplication::translate("output", "aluminium mass, kg");
    case statistics::ChartResult::carbon:
        break;
    }
    return QCoreApplication::translate("output", "carbon, %");
}

QString chartMarksText(const statistics::ChartPoint &point)
{
    QStringList marks;
    if (point.beyondLimits)
        marks << QStringLiteral("1");
    if (point.inRun)
        marks << QStringLiteral("2");
    if (point.movingRangeBeyondLimit)
        marks << QStringLiteral("MR");
    if (point.outsideTolerance)
        marks << QStringLiteral("tolerance");
    return marks.join(QLatin1Char(' '));
}

QVector<QPair<QString, QString>> controlChartSummary(const statistics::ChartSelection &selection,
                                                     const statistics::ControlChart &chart)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("output", text); };
    QVector<QPair<QString, QString>> lines{
        {tr("technology"), selection.technology},
        {tr("result"), chartResultTitle(selection.result)},
        {tr("period"), periodText(selection)},
        {tr("melts with a value"), QString::number(chart.points.size())},
        {tr("melts without a value"), QString::number(chart.meltsWithoutValue)},
        {tr("unreadable files"), QString::number(chart.unreadableFiles)},
        {tr("centre (mean)"), optionalText(chart.mean)},
        {tr("lower control limit"), optionalText(chart.lowerLimit)},
        {tr("upper control limit"), optionalText(chart.upperLimit)},
        {tr("mean moving range"), optionalText(chart.movingRangeMean)},
        {tr("moving range upper limit"), optionalText(chart.movingRangeUpperLimit)},
        {tr("sigma (MR / 1.128)"), optionalText(chart.sigma)},
        {tr("beyond a control limit (rule 1)"), QString::number(chart.beyondLimitsCount())},
        {tr("in a run (rule 2)"), QString::number(chart.inRunCount())},
        {tr("moving range above its limit"), QString::number(chart.movingRangeBeyondCount())}};
    if (chart.tolerance.lower || chart.tolerance.upper) {
        lines.append({tr("lower tolerance limit"), optionalText(chart.tolerance.lower)});
        lines.append({tr("upper tolerance limit"), optionalText(chart.tolerance.upper)});
        lines.append({tr("outside the tolerance"), chart.outsideShare
                                                       ? QStringLiteral("%1 (%2)")
                                                             .arg(chart.outsideTolerance)
                                                             .arg(statistics::shareText(*chart.outsideShare))
                                                       : missingCell});
        lines.append({QStringLiteral("Cpk"), optionalText(chart.cpk)});
    }
    return lines;
}

void writeControlChartTable(QTextStream &out, const statistics::ChartSelection &selection,
                            const statistics::ControlChart &chart)
{
    const QVector<QPair<QString, QString>> summary = controlChartSummary(selection, chart);
    int labelWidth = 0;
    for (const auto &line : summary)
        labelWidth = std::max(labelWidth, int(line.first.size()));
    for (const auto &line : summary)
        out << (line.first + QLatin1Char(':')).leftJustified(labelWidth + 2)
            << language::localNumbers(line.second) << '\n';
    out << QCoreApplication::translate("output", "Rules:") << '\n';
    for (const QString &rule : statistics::chartRuleTexts())
        out << QStringLiteral("  ") << rule << '\n';
    if (chart.points.isEmpty())
        return;
    out << '\n';
    QVector<QStringList> rows{{QCoreApplication::translate("output", "moment"),
                               QCoreApplication::translate("output", "melt"),
                               QCoreApplication::translate("output", "value"),
                               QCoreApplication::translate("output", "moving range"),
                               QCoreApplication::translate("output", "marks")}};
    for (const statistics::ChartPoint &p : chart.points)
        rows.append({language::localMoment(p.melt.moment.date, p.melt.moment.time), p.melt.melt,
                     language::localNumbers(statistics::statisticText(*p.melt.value)),
                     language::localNumbers(optionalText(p.movingRange)), chartMarksText(p)});
    QVector<int> widths(rows.constFirst().size(), 0);
    for (const QStringList &row : rows) {
        for (int c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], int(row[c].size()));
    }
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c)
            line += (c > 0 ? QStringLiteral("  ") : QString()) +
                    (c >= 2 && c <= 3 ? row[c].rightJustified(widths[c]) : row[c].leftJustified(widths[c]));
        out << line.trimmed() << '\n';
    }
}

void writeControlChartCsv(QTextStream &out, const statistics::ControlChart &chart, const CsvFormat &format)
{
    out << csvStart(format) << csvLine(pointHeader(format), format);
    const auto number = [&format](const std::optional<double> &value) {
        return value ? csvNumber(statistics::statisticText(*value), format) : QString();
    };
    QStringList lines;
    for (const std::optional<double> &line : chartLines(chart))
        lines << number(line);
    for (const statistics::ChartPoint &p : chart.points) {
        QStringList row{momentText(p.melt.moment), p.melt.fileName, p.melt.melt, number(p.melt.value),
                        number(p.movingRange)};
        row << lines;
        for (const bool flag : pointFlags(p))
            row << (flag ? QStringLiteral("1") : QStringLiteral("0"));
        out << csvLine(row, format, {1, 2});
    }
}

QString controlChartJson(const statistics::ChartSelection &selection, const statistics::ControlChart &chart)
{
    QJsonArray points;
    for (const statistics::ChartPoint &p : chart.points)
        points.append(QJsonObject{{QStringLiteral("moment"), momentText(p.melt.moment)},
                                  {QStringLiteral("file"), p.melt.fileName},
                                  {QStringLiteral("melt"), p.melt.melt},
                                  {QStringLiteral("value"), optionalJson(p.melt.value)},
                                  {QStringLiteral("movingRange"), optionalJson(p.movingRange)},
                                  {QStringLiteral("beyondLimits"), p.beyondLimits},
                                  {QStringLiteral("run"), p.inRun},
                                  {QStringLiteral("movingRangeBeyondLimit"), p.movingRangeBeyondLimit},
                                  {QStringLiteral("outsideTolerance"), p.outsideTolerance}});
    QJsonArray rules;
    for (const QString &rule : statistics::chartRuleTexts())
        rules.append(rule);
    const QJsonObject document{
        {QStringLiteral("technology"), selection.technology},
        {QStringLiteral("result"), statistics::chartResultNames().value(int(selection.result))},
        {QStringLiteral("from"), selection.from ? momentText(*selection.from) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("to"), selection.to ? momentText(*selection.to) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("lastMelts"),
         selection.lastMelts ? *selection.lastMelts : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("meltsWithoutValue"), chart.meltsWithoutValue},
        {QStringLiteral("unreadableFiles"), chart.unreadableFiles},
        {QStringLiteral("mean"), optionalJson(chart.mean)},
        {QStringLiteral("lowerLimit"), optionalJson(chart.lowerLimit)},
        {QStringLiteral("upperLimit"), optionalJson(chart.upperLimit)},
        {QStringLiteral("movingRangeMean"), optionalJson(chart.movingRangeMean)},
        {QStringLiteral("movingRangeUpperLimit"), optionalJson(chart.movingRangeUpperLimit)},
        {QStringLiteral("sigma"), optionalJson(chart.sigma)},
        {QStringLiteral("lowerTolerance"), optionalJson(chart.tolerance.lower)},
        {QStringLiteral("upperTolerance"), optionalJson(chart.tolerance.upper)},
        {QStringLiteral("outsideTolerance"), chart.outsideTolerance},
        {QStringLiteral("outsideShare"), optionalJson(chart.outsideShare)},
        {QStringLiteral("cpk"), optionalJson(chart.cpk)},
        {QStringLiteral("rules"), rules},
        {QStringLiteral("points"), points}};
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
}

void addControlChartSheets(XlsxBook &book, const statistics::ChartSelection &selection,
                           const statistics::ControlChart &chart)
{
    CsvFormat spreadsheet;
    spreadsheet.spreadsheet = true;
    const auto number = [](const std::optional<double> &value) {
        return value ? XlsxCell::ofNumber(statistics::statisticText(*value).toDouble()) : XlsxCell();
    };
    book.addSheet(QCoreApplication::translate("output", "Points"), pointHeader(spreadsheet));
    QVector<XlsxCell> lines;
    for (const std::optional<double> &line : chartLines(chart))
        lines << number(line);
    for (const statistics::ChartPoint &p : chart.points) {
        QVector<XlsxCell> row{XlsxCell::ofMoment(p.melt.moment.date, p.melt.moment.time),
                              XlsxCell::ofText(p.melt.fileName), XlsxCell::ofText(p.melt.melt),
                              number(p.melt.value), number(p.movingRange)};
        row << lines;
        for (const bool flag : pointFlags(p))
            row << XlsxCell::ofNumber(flag ? 1 : 0);
        book.addRow(row);
    }
    book.addSheet(
        QCoreApplication::translate("output", "Limits"),
        {QCoreApplication::translate("output", "what"), QCoreApplication::translate("output", "value")});
    for (const auto &line : controlChartSummary(selection, chart)) {
        bool isNumber = false;
        const double value = line.second.toDouble(&isNumber);
        book.addRow({XlsxCell::ofText(line.first),
                     isNumber ? XlsxCell::ofNumber(value) : XlsxCell::ofText(line.second)});
    }
}

} // namespace output
