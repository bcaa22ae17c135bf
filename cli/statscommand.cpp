// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "csvoptions.h"
#include "language/language.h"
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

QStringList spreadHeader(const QString &quantity, const QString &separator)
{
    return {quantity + separator + QStringLiteral("min"), quantity + separator + QStringLiteral("median"),
            quantity + separator + QStringLiteral("max")};
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

void writeCsv(QTextStream &out, const QString &groupName, const QVector<statistics::GroupStatistics> &groups,
              const output::CsvFormat &format)
{
    QStringList header{groupName, QStringLiteral("measurements")};
    header << statistics::statusColumns() << QStringLiteral("ok_share")
           << spreadHeader(QStringLiteral("temp"), QStringLiteral("_"))
           << spreadHeader(QStringLiteral("emf"), QStringLiteral("_"));
    out << output::csvStart(format) << output::csvLine(header, format);
    const auto number = [&format](double value) {
        return output::csvNumber(statistics::statisticText(value), format);
    };
    for (const statistics::GroupStatistics &g : groups) {
        QStringList row{g.group, QString::number(g.measurements)};
        for (const int count : g.statusCounts)
            row << QString::number(count);
        row << number(g.okShare());
        for (const statistics::ValueSpread *spread : {&g.temperature, &g.emf}) {
            for (const std::optional<double> &value : {spread->minimum, spread->median, spread->maximum})
                row << (value ? number(*value) : QString());
        }
        out << output::csvLine(row, format);
    }
}

// Aligned columns for a person; only the statuses that occur get a column.
void writeTable(QTextStream &out, const QString &groupName,
                const QVector<statistics::GroupStatistics> &groups, const statistics::GroupStatistics &total)
{
    const QStringList columns = statistics::statusColumns();
    QVector<int> shownStatuses;
    for (int i = 0; i < columns.size(); ++i) {
        if (total.statusCounts.value(i) > 0)
            shownStatuses.append(i);
    }
    QVector<QStringList> rows;
    QStringList header{QCoreApplication::translate("cli", groupName.toUtf8().constData()),
                       QCoreApplication::translate("cli", "measurements")};
    for (const int i : shownStatuses)
        header << (columns[i] == statistics::noStatusColumn()
                       ? QCoreApplication::translate("cli", "none", "the column of files without a status")
                       : columns[i]);
    header << QCoreApplication::translate("cli", "ok share") << QCoreApplication::translate("cli", "temp min")
           << QCoreApplication::translate("cli", "temp median")
           << QCoreApplication::translate("cli", "temp max") << QCoreApplication::translate("cli", "EMF min")
           << QCoreApplication::translate("cli", "EMF median")
           << QCoreApplication::translate("cli", "EMF max");
    rows << header;
    QVector<statistics::GroupStatistics> shown = groups;
    shown.append(total);
    for (const statistics::GroupStatistics &g : shown) {
        QStringList row{g.group, QString::number(g.measurements)};
        for (const int i : shownStatuses)
            row << QString::number(g.statusCounts.value(i));
        row << (g.measurements > 0 ? statistics::shareText(g.okShare()) : missingCell)
            << spreadCells(g.temperature, missingCell) << spreadCells(g.emf, missingCell);
        // Numbers with the reader's decimal separator; the group's name is left as it is.
        for (int c = 1; c < row.size(); ++c)
            row[c] = language::localNumbers(row[c]);
        rows << row;
    }
    QVector<int> widths(header.size(), 0);
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

} // namespace

int runStats(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("stats"),
        QCoreApplication::translate(
            "cli",
            "Counts the measurements in DIR that meet every given condition, in groups: the number of\n"
            "measurements, the number with each status verdict (\"none\": no \"Status\" in the file), the\n"
            "share with \"ЕСТЬ ПЛ.\", and the minimum, median and maximum of the temperature and the EMF\n"
            "over the measurements whose value is a number (\"nan\", \"32767\" and other texts are left\n"
            "out; the median of an even count is the mean of the middle two). These are the numbers of\n"
            "the first page of steel-archive report.\n"
            "  --by GROUP         technology (the default), day, week (ISO, yyyy-Www), month or status;\n"
            "                     a moment that does not parse is the group \"?\".\n"
            "  --csv              one line per group with every status column, shares as fractions;\n"
            "                     --excel, --delimiter and --decimal-comma as for find.\n"
            "  --json             an object with the groups and the total.\n"
            "The table for a person ends with the total (\"all\") and shows the statuses that occur.\n") +
            SearchOptions::helpText() +
            QCoreApplication::translate(
                "cli", "Files that cannot be read are named on standard error and skipped.\n") +
            indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 done (also when nothing is selected), 2 bad usage or a folder that\n"
                   "cannot be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const SearchOptions searchOptions;
    searchOptions.addTo(parser);
    const QCommandLineOption byOption(QStringLiteral("by"),
                                      QCoreApplication::translate("cli", "How to group."),
                                      QStringLiteral("GROUP"), QStringLiteral("technology"));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QCoreApplication::translate("cli", "Write CSV."));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write JSON."));
    parser.addOptions({byOption, csvOption, jsonOption, noIndexOption()});
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<output::CsvFormat> csvFormat = csvFormatOption(parser, syntax.name, err);
    if (!csvFormat)
        return exitFailure;
    const std::optional<statistics::Grouping> grouping = statistics::parseGrouping(parser.value(byOption));
    if (!grouping)
        return reportFailure(
            err, syntax.name,
            QCoreApplication::translate("cli", "--by \"%1\" is none of %2")
                .arg(parser.value(byOption), statistics::groupingNames().join(QStringLiteral(", "))));
    const bool csv = parser.isSet(csvOption) || excelAsked(parser);
    if (csv && parser.isSet(jsonOption))
        return reportFailure(err, syntax.name,
                             QCoreApplication::translate("cli", "--csv and --json exclude each other"));
    ArchiveSearch search;
    if (const auto finished = readArchiveSearch(parser, searchOptions, syntax.name, err, &search))
        return *finished;

    // Each measurement is counted as it is read; only its two numbers are kept, for the medians.
    statistics::StatisticsCollector collector(*grouping);
    QStringList unreadable;
    query::visitMeasurements(
        search.directory, search.criteria,
        [&collector](query::FoundMeasurement &&found) { collector.add(statistics::factsOf(found)); },
        &unreadable, readingOptions(parser, err, QCoreApplication::translate("cli", "read")));
    reportSkippedFiles(err, syntax.name, search.directory, unreadable);
    const QVector<statistics::GroupStatistics> groups = collector.groups();
    // Named only in the table: JSON keeps the total apart, and CSV leaves it out.
    const statistics::GroupStatistics total = collector.total(QCoreApplication::translate("cli", "all"));

    const QString groupName = parser.value(byOption);
    if (parser.isSet(jsonOption)) {
        QJsonArray list;
        for (const statistics::GroupStatistics &g : groups) {
            QJsonObject group = groupJson(g);
            group.insert(QStringLiteral("group"), g.group);
            list.append(group);
        }
        const QJsonObject document{{QStringLiteral("groupedBy"), groupName},
                                   {QStringLiteral("groups"), list},
                                   {QStringLiteral("total"), groupJson(total)}};
        out << QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
    } else if (csv) {
        writeCsv(out, groupName, groups, *csvFormat);
    } else {
        writeTable(out, groupName, groups, total);
    }
    out.flush();
    return exitSuccess;
}

} // namespace cli
