// SPDX-License-Identifier: GPL-3.0-or-later
#include "statisticstables.h"

#include "csv.h"

#include "language/language.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>

namespace output {

static const QString missingCell = QStringLiteral("-");

// The groups as the table's first column names them; --by takes them in English.
[[maybe_unused]] const char *const groupLabels[] = {
    QT_TRANSLATE_NOOP("output", "technology"), QT_TRANSLATE_NOOP("output", "day"),
    QT_TRANSLATE_NOOP("output", "week"),       QT_TRANSLATE_NOOP("output", "month"),
    QT_TRANSLATE_NOOP("output", "status"),
};

static QStringList spreadCells(const statistics::ValueSpread &spread, const QString &missing)
{
    QStringList cells;
    for (const std::optional<double> &value : {spread.minimum, spread.median, spread.maximum})
        cells << (value ? statistics::statisticText(*value) : missing);
    return cells;
}

static QJsonValue jsonStatistic(const std::optional<double> &value)
{
    // Through the text, so that JSON carries the same ten digits as the tables.
    return value ? QJsonValue(statistics::statisticText(*value).toDouble()) : QJsonValue(QJsonValue::Null);
}

static QJsonObject spreadJson(const statistics::ValueSpread &spread)
{
    return {{QStringLiteral("count"), spread.count},
            {QStringLiteral("min"), jsonStatistic(spread.minimum)},
            {QStringLiteral("median"), jsonStatistic(spread.median)},
            {QStringLiteral("max"), jsonStatistic(spread.maximum)}};
}

static QJsonObject groupJson(const statistics::GroupStatistics &statistics)
{
    QJsonObject statuses;
    const QStringList columns = statistics::statusColumns();
    for (int i = 0; i < columns.size(); ++i)
        statuses.insert(columns[i], statistics.statusCounts.value(i));
    QJsonObject group{{QStringLiteral("measurements"), statistics.measurements},
                      {QStringLiteral("statuses"), statuses},
                      {QStringLiteral("okShare"), statistics.measurements > 0
                                                      ? QJsonValue(statistics.okShare())
                                                      : QJsonValue(QJsonValue::Null)},
                      {QStringLiteral("temperature"), spreadJson(statistics.temperature)},
                      {QStringLiteral("emf"), spreadJson(statistics.emf)}};
    return group;
}

// The status columns as a spreadsheet's user or a person reads them: the verdicts as written, the
// files without a status in his language.
static QString statusColumnTitle(const QString &column)
{
    return column == statistics::noStatusColumn()
               ? QCoreApplication::translate("output", "none", "the column of files without a status")
               : column;
}

// A group's name as a spreadsheet's user or a person reads it: the files without a status in his
// language.
static QString groupTitle(const statistics::GroupStatistics &g, const QString &groupName)
{
    return groupName == QLatin1String("status") ? statusColumnTitle(g.group) : g.group;
}

QStringList statisticsHeader(const QString &groupName, const CsvFormat &format)
{
    QStringList header{format.spreadsheet
                           ? QCoreApplication::translate("output", groupName.toUtf8().constData())
                           : groupName,
                       csvHeader(QT_TRANSLATE_NOOP("columns", "measurements"), format)};
    for (const QString &column : statistics::statusColumns())
        header << (format.spreadsheet ? statusColumnTitle(column) : column);
    for (const char *column :
         {QT_TRANSLATE_NOOP("columns", "ok_share"), QT_TRANSLATE_NOOP("columns", "temp_min"),
          QT_TRANSLATE_NOOP("columns", "temp_median"), QT_TRANSLATE_NOOP("columns", "temp_max"),
          QT_TRANSLATE_NOOP("columns", "emf_min"), QT_TRANSLATE_NOOP("columns", "emf_median"),
          QT_TRANSLATE_NOOP("columns", "emf_max")})
        header << csvHeader(column, format);
    return header;
}

static QStringList csvRow(const statistics::GroupStatistics &g, const CsvFormat &format)
{
    const auto number = [&format](double value) {
        return csvNumber(statistics::statisticText(value), format);
    };
    QStringList row{g.group, QString::number(g.measurements)};
    for (const int count : g.statusCounts)
        row << QString::number(count);
    // A spreadsheet gets the share as the table shows it, a percentage it reads as one ("66,7%").
    row << (format.spreadsheet
                ? csvNumber(QString::number(g.okShare() * 100.0, 'f', 1), format) + QLatin1Char('%')
                : number(g.okShare()));
    for (const statistics::ValueSpread *spread : {&g.temperature, &g.emf}) {
        for (const std::optional<double> &value : {spread->minimum, spread->median, spread->maximum})
            row << (value ? number(*value) : QString());
    }
    return row;
}

// One line per group; for a spreadsheet's user with the total at the end, named in his language.
void writeStatisticsCsv(QTextStream &out, const QString &groupName,
                        const QVector<statistics::GroupStatistics> &groups,
                        const statistics::GroupStatistics &total, const CsvFormat &format)
{
    out << csvStart(format) << csvLine(statisticsHeader(groupName, format), format);
    QVector<statistics::GroupStatistics> rows = groups;
    if (format.spreadsheet) {
        rows.append(total);
        for (statistics::GroupStatistics &g : rows)
            g.group = groupTitle(g, groupName);
    }
    for (const statistics::GroupStatistics &g : rows)
        out << csvLine(csvRow(g, format), format, {0});
}

QVector<XlsxCell> statisticsXlsxRow(const statistics::GroupStatistics &g, const QString &groupName)
{
    QVector<XlsxCell> row{XlsxCell::ofText(groupTitle(g, groupName)), XlsxCell::ofNumber(g.measurements)};
    for (const int count : g.statusCounts)
        row << XlsxCell::ofNumber(count);
    row << (g.measurements > 0 ? XlsxCell::ofShare(g.okShare()) : XlsxCell());
    for (const statistics::ValueSpread *spread : {&g.temperature, &g.emf}) {
        for (const std::optional<double> &value : {spread->minimum, spread->median, spread->maximum})
            row << (value ? XlsxCell::ofNumber(statistics::statisticText(*value).toDouble()) : XlsxCell());
    }
    return row;
}

QString statisticsJson(const QString &groupName, const QVector<statistics::GroupStatistics> &groups,
                       const statistics::GroupStatistics &total)
{
    QJsonArray list;
    for (const statistics::GroupStatistics &g : groups) {
        QJsonObject group = groupJson(g);
        group.insert(QStringLiteral("group"), g.group);
        list.append(group);
    }
    const QJsonObject document{{QStringLiteral("groupedBy"), groupName},
                               {QStringLiteral("groups"), list},
                               {QStringLiteral("total"), groupJson(total)}};
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
}

static QStringList tableHeader(const QString &groupName, const QVector<int> &shownStatuses)
{
    const QStringList columns = statistics::statusColumns();
    QStringList header{QCoreApplication::translate("output", groupName.toUtf8().constData()),
                       QCoreApplication::translate("output", "measurements")};
    for (const int i : shownStatuses)
        header << statusColumnTitle(columns[i]);
    header << QCoreApplication::translate("output", "ok share")
           << QCoreApplication::translate("output", "temp min")
           << QCoreApplication::translate("output", "temp median")
           << QCoreApplication::translate("output", "temp max")
           << QCoreApplication::translate("output", "EMF min")
           << QCoreApplication::translate("output", "EMF median")
           << QCoreApplication::translate("output", "EMF max");
    return header;
}

static void writeAligned(QTextStream &out, const QVector<QStringList> &rows)
{
    QVector<int> widths(rows.constFirst().size(), 0);
    for (const QStringList &row : rows) {
        for (int c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], int(row[c].size()));
    }
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            // The group name reads from the left, the numbers line up on the right.
            line += c == 0 ? row[c].leftJustified(widths[c])
                           : QStringLiteral("  ") + row[c].rightJustified(widths[c]);
        }
        out << line << '\n';
    }
}

// Aligned columns for a person; only the statuses that occur get a column.
void writeStatisticsTable(QTextStream &out, const QString &groupName,
                          const QVector<statistics::GroupStatistics> &groups,
                          const statistics::GroupStatistics &total)
{
    QVector<int> shownStatuses;
    for (int i = 0; i < total.statusCounts.size(); ++i) {
        if (total.statusCounts.value(i) > 0)
            shownStatuses.append(i);
    }
    QVector<QStringList> rows{tableHeader(groupName, shownStatuses)};
    QVector<statistics::GroupStatistics> shown = groups;
    shown.append(total);
    for (const statistics::GroupStatistics &g : shown) {
        QStringList row{groupTitle(g, groupName), QString::number(g.measurements)};
        for (const int i : shownStatuses)
            row << QString::number(g.statusCounts.value(i));
        row << (g.measurements > 0 ? statistics::shareText(g.okShare()) : missingCell)
            << spreadCells(g.temperature, missingCell) << spreadCells(g.emf, missingCell);
        // Numbers with the reader's decimal separator; the group's name is left as it is.
        for (int c = 1; c < row.size(); ++c)
            row[c] = language::localNumbers(row[c]);
        rows << row;
    }
    writeAligned(out, rows);
}

namespace {

// Named only in the table and for a spreadsheet: JSON keeps the total apart, and CSV for scripts
// leaves it out.
statistics::GroupStatistics namedTotal(const statistics::StatisticsCollector &collector)
{
    return collector.total(QCoreApplication::translate("output", "all"));
}

} // namespace

void writeStatistics(QTextStream &out, Format format, const QString &groupName,
                     const statistics::StatisticsCollector &collector, const CsvFormat &csvFormat)
{
    const QVector<statistics::GroupStatistics> groups = collector.groups();
    const statistics::GroupStatistics total = namedTotal(collector);
    switch (format) {
    case Format::json:
        out << statisticsJson(groupName, groups, total);
        break;
    case Format::csv:
        writeStatisticsCsv(out, groupName, groups, total, csvFormat);
        break;
    default:
        writeStatisticsTable(out, groupName, groups, total);
    }
}

void addStatisticsSheet(XlsxBook &book, const QString &groupName,
                        const statistics::StatisticsCollector &collector)
{
    CsvFormat spreadsheet;
    spreadsheet.spreadsheet = true;
    book.addSheet(QCoreApplication::translate("output", "Statistics"),
                  statisticsHeader(groupName, spreadsheet));
    for (const statistics::GroupStatistics &g : collector.groups())
        book.addRow(statisticsXlsxRow(g, groupName));
    book.addRow(statisticsXlsxRow(namedTotal(collector), groupName), true);
}

} // namespace output
