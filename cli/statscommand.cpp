// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"
#include "commandline.h"
#include "commandoutput.h"
#include "commands.h"
#include "csvoptions.h"
#include "language/language.h"
#include "output/xlsx.h"
#include "searchoptions.h"
#include "statistics/archivestatistics.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace cli {

namespace {

const QString missingCell = QStringLiteral("-");

// The groups as the table's first column names them; --by takes them in English.
[[maybe_unused]] const char *const groupLabels[] = {
    QT_TRANSLATE_NOOP("cli", "technology"), QT_TRANSLATE_NOOP("cli", "day"),
    QT_TRANSLATE_NOOP("cli", "week"),       QT_TRANSLATE_NOOP("cli", "month"),
    QT_TRANSLATE_NOOP("cli", "status"),
};

QStringList spreadCells(const statistics::ValueSpread &spread, const QString &missing)
{
    QStringList cells;
    for (const std::optional<double> &value : {spread.minimum, spread.median, spread.maximum})
        cells << (value ? statistics::statisticText(*value) : missing);
    return cells;
}

QJsonValue jsonStatistic(const std::optional<double> &value)
{
    // Through the text, so that JSON carries the same ten digits as the tables.
    return value ? QJsonValue(statistics::statisticText(*value).toDouble()) : QJsonValue(QJsonValue::Null);
}

QJsonObject spreadJson(const statistics::ValueSpread &spread)
{
    return {{QStringLiteral("count"), spread.count},
            {QStringLiteral("min"), jsonStatistic(spread.minimum)},
            {QStringLiteral("median"), jsonStatistic(spread.median)},
            {QStringLiteral("max"), jsonStatistic(spread.maximum)}};
}

QJsonObject groupJson(const statistics::GroupStatistics &statistics)
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
QString statusColumnTitle(const QString &column)
{
    return column == statistics::noStatusColumn()
               ? QCoreApplication::translate("cli", "none", "the column of files without a status")
               : column;
}

// A group's name as a spreadsheet's user or a person reads it: the files without a status in his
// language.
QString groupTitle(const statistics::GroupStatistics &g, const QString &groupName)
{
    return groupName == QLatin1String("status") ? statusColumnTitle(g.group) : g.group;
}

QStringList csvHeader(const QString &groupName, const output::CsvFormat &format)
{
    QStringList header{format.spreadsheet ? QCoreApplication::translate("cli", groupName.toUtf8().constData())
                                          : groupName,
                       output::csvHeader(QT_TRANSLATE_NOOP("columns", "measurements"), format)};
    for (const QString &column : statistics::statusColumns())
        header << (format.spreadsheet ? statusColumnTitle(column) : column);
    for (const char *column :
         {QT_TRANSLATE_NOOP("columns", "ok_share"), QT_TRANSLATE_NOOP("columns", "temp_min"),
          QT_TRANSLATE_NOOP("columns", "temp_median"), QT_TRANSLATE_NOOP("columns", "temp_max"),
          QT_TRANSLATE_NOOP("columns", "emf_min"), QT_TRANSLATE_NOOP("columns", "emf_median"),
          QT_TRANSLATE_NOOP("columns", "emf_max")})
        header << output::csvHeader(column, format);
    return header;
}

QStringList csvRow(const statistics::GroupStatistics &g, const output::CsvFormat &format)
{
    const auto number = [&format](double value) {
        return output::csvNumber(statistics::statisticText(value), format);
    };
    QStringList row{g.group, QString::number(g.measurements)};
    for (const int count : g.statusCounts)
        row << QString::number(count);
    // A spreadsheet gets the share as the table shows it, a percentage it reads as one ("66,7%").
    row << (format.spreadsheet
                ? output::csvNumber(QString::number(g.okShare() * 100.0, 'f', 1), format) + QLatin1Char('%')
                : number(g.okShare()));
    for (const statistics::ValueSpread *spread : {&g.temperature, &g.emf}) {
        for (const std::optional<double> &value : {spread->minimum, spread->median, spread->maximum})
            row << (value ? number(*value) : QString());
    }
    return row;
}

// One line per group; for a spreadsheet's user with the total at the end, named in his language.
void writeCsv(QTextStream &out, const QString &groupName, const QVector<statistics::GroupStatistics> &groups,
              const statistics::GroupStatistics &total, const output::CsvFormat &format)
{
    out << output::csvStart(format) << output::csvLine(csvHeader(groupName, format), format);
    QVector<statistics::GroupStatistics> rows = groups;
    if (format.spreadsheet) {
        rows.append(total);
        for (statistics::GroupStatistics &g : rows)
            g.group = groupTitle(g, groupName);
    }
    for (const statistics::GroupStatistics &g : rows)
        out << output::csvLine(csvRow(g, format), format, {0});
}

QVector<output::XlsxCell> xlsxRow(const statistics::GroupStatistics &g, const QString &groupName)
{
    using output::XlsxCell;
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

QString writeXlsx(CommandOutput &output, const output::ReadArchive &read, const QString &groupName,
                  const QVector<statistics::GroupStatistics> &groups,
                  const statistics::GroupStatistics &total)
{
    return writeSpreadsheet(output, read, [&](output::XlsxBook &book) {
        output::CsvFormat spreadsheet;
        spreadsheet.spreadsheet = true;
        book.addSheet(QCoreApplication::translate("cli", "Statistics"), csvHeader(groupName, spreadsheet));
        for (const statistics::GroupStatistics &g : groups)
            book.addRow(xlsxRow(g, groupName));
        book.addRow(xlsxRow(total, groupName), true);
    });
}

QString writeJson(const QString &groupName, const QVector<statistics::GroupStatistics> &groups,
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

QStringList tableHeader(const QString &groupName, const QVector<int> &shownStatuses)
{
    const QStringList columns = statistics::statusColumns();
    QStringList header{QCoreApplication::translate("cli", groupName.toUtf8().constData()),
                       QCoreApplication::translate("cli", "measurements")};
    for (const int i : shownStatuses)
        header << statusColumnTitle(columns[i]);
    header << QCoreApplication::translate("cli", "ok share") << QCoreApplication::translate("cli", "temp min")
           << QCoreApplication::translate("cli", "temp median")
           << QCoreApplication::translate("cli", "temp max") << QCoreApplication::translate("cli", "EMF min")
           << QCoreApplication::translate("cli", "EMF median")
           << QCoreApplication::translate("cli", "EMF max");
    return header;
}

void writeAligned(QTextStream &out, const QVector<QStringList> &rows)
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
void writeTable(QTextStream &out, const QString &groupName,
                const QVector<statistics::GroupStatistics> &groups, const statistics::GroupStatistics &total)
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

CommandSyntax statsSyntax()
{
    return {
        QStringLiteral("stats"),
        QCoreApplication::translate(
            "cli", "Counts the measurements in DIR that meet every given condition, in groups: the number\n"
                   "of measurements, the number with each status verdict (\"none\": no \"Status\" in the\n"
                   "file), the share with \"ЕСТЬ ПЛ.\", and the minimum, median and maximum of the\n"
                   "temperature and the EMF over the measurements whose value is a number, written with\n"
                   "a decimal point or comma (\"nan\", \"32767\" and other texts are left out; the median\n"
                   "of an even count is the mean of the middle two). These are the numbers of the first\n"
                   "page of steel-archive report. The table for a person ends with the total (\"all\")\n"
                   "and shows the statuses that occur; --csv writes one line per group with every status\n"
                   "column and the shares as fractions, --json an object with the groups and the total;\n"
                   "--excel and --xlsx add the total and give the shares as percentages.\n") +
            SearchOptions::helpText() +
            QCoreApplication::translate(
                "cli", "Files that cannot be read are named on standard error and skipped.\n") +
            csvFormatHelpText() + tableOutputHelpText() + indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 done (also when nothing is selected), 2 bad usage, a folder that\n"
                   "cannot be read, or an output that cannot or must not be written.\n")};
}

// The statistics in the chosen format; the empty text, or why a spreadsheet could not be written.
QString writeStatistics(CommandOutput &output, const output::ReadArchive &read, const QString &groupName,
                        const statistics::StatisticsCollector &collector, const output::CsvFormat &csvFormat)
{
    const QVector<statistics::GroupStatistics> groups = collector.groups();
    // Named only in the table and for a spreadsheet: JSON keeps the total apart, and CSV for scripts
    // leaves it out.
    const statistics::GroupStatistics total = collector.total(QCoreApplication::translate("cli", "all"));
    QTextStream &out = output.text();
    switch (output.format()) {
    case output::Format::json:
        out << writeJson(groupName, groups, total);
        break;
    case output::Format::csv:
        writeCsv(out, groupName, groups, total, csvFormat);
        break;
    case output::Format::xlsx:
        return writeXlsx(output, read, groupName, groups, total);
    default:
        writeTable(out, groupName, groups, total);
    }
    return QString();
}

} // namespace

int runStats(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = statsSyntax();
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const SearchOptions searchOptions;
    searchOptions.addTo(parser);
    const QCommandLineOption byOption(
        QStringLiteral("by"),
        QCoreApplication::translate("cli",
                                    "How to group: technology (the default), day, week (ISO, yyyy-Www), "
                                    "month or status; a moment that does not parse is the group \"?\"."),
        QStringLiteral("GROUP"), QStringLiteral("technology"));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QCoreApplication::translate("cli", "Write CSV."));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write JSON."));
    const QCommandLineOption outputOption = tableOutputOption();
    parser.addOptions({byOption, csvOption, jsonOption, outputOption, noIndexOption()});
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<output::CsvFormat> csvFormat = csvFormatOption(parser, syntax.name, err);
    CommandOutput output(syntax.name, out, err);
    if (!csvFormat || !output.choose(parser, outputOption, tableOutputFormats()))
        return exitFailure;
    const std::optional<statistics::Grouping> grouping = statistics::parseGrouping(parser.value(byOption));
    if (!grouping)
        return reportFailure(
            err, syntax.name,
            QCoreApplication::translate("cli", "--by \"%1\" is none of %2")
                .arg(parser.value(byOption), statistics::groupingNames().join(QStringLiteral(", "))));
    ArchiveSearch search;
    if (const auto finished = readArchiveSearch(parser, searchOptions, syntax.name, err, &search))
        return *finished;
    const output::ReadArchive read = output::readingFolder(search.directory);
    if (!output.check(read) || !output.open())
        return exitFailure;

    // Each measurement is counted as it is read; only its two numbers are kept, for the medians.
    statistics::StatisticsCollector collector(*grouping);
    QStringList unreadable;
    query::visitMeasurements(
        search.directory, search.criteria,
        [&collector](query::FoundMeasurement &&found) { collector.add(statistics::factsOf(found)); },
        &unreadable, readingOptions(parser, err, QCoreApplication::translate("cli", "read")));
    reportSkippedFiles(err, syntax.name, search.directory, unreadable);
    if (!output.finish(writeStatistics(output, read, parser.value(byOption), collector, *csvFormat)))
        return exitFailure;
    return exitSuccess;
}

} // namespace cli
