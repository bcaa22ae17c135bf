// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportdocument.h"

#include "pdfpainting.h"

#include "archive/archivename.h"
#include "archive/displayname.h"
#include "language/language.h"
#include "language/systemtext.h"
#include "measurement/measurementfile.h"
#include "measurement/resultnumber.h"
#include "measurement/statustable.h"
#include "platform/filesystem.h"
#include "plot/plotsteps.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QPrinter>
#include <QScreen>

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace printing {

namespace {

const QString fontFamily = QStringLiteral("Open Sans");
QString reportTitle()
{
    return QCoreApplication::translate("report", "Measurement report");
}
const QString missingStatistic = QStringLiteral("—");
const QColor okColour(39, 174, 96);
const QColor otherColour(232, 76, 61);
const QColor lineColour(170, 170, 170);
const QColor headerFill(236, 239, 241);
const QColor captionColour(100, 100, 100);

// Heights and widths in points.
constexpr double headerBand = 22;
constexpr double titleHeight = 26;
constexpr double lineHeight = 14;
constexpr double tableRowHeight = 15;
constexpr double tableFontSize = 8.5;
constexpr double smallestTableRow = 11; // below this the rows no longer read easily in print
constexpr double gap = 8;
constexpr double smallestChart = 160;
constexpr double cellPadding = 5;
constexpr double cellTitleHeight = 16;
constexpr double valuesWidth = 140;
constexpr double widestNumberColumn = 95;

// Lays out in points on a device that counts the screen's pixels: QCustomPlot measures its texts
// with the screen's metrics, so the page must use the same resolution for its texts to fit.
class Canvas
{
public:
    explicit Canvas(QPaintDevice *device) : device(device), unitsPerPoint(device->logicalDpiY() / 72.0) {}

    double pt(double points) const { return points * unitsPerPoint; }

    QFont font(double points, bool bold = false) const
    {
        QFont font(fontFamily);
        font.setPointSizeF(points);
        font.setBold(bold);
        return font;
    }

    double textWidth(const QFont &font, const QString &text) const
    {
        return QFontMetricsF(font, device).horizontalAdvance(text);
    }

    QString elided(const QFont &font, const QString &text, double width) const
    {
        return QFontMetricsF(font, device).elidedText(text, Qt::ElideRight, width);
    }

private:
    QPaintDevice *device;
    double unitsPerPoint;
};

void drawText(QCPPainter &painter, const QRectF &rect, const QFont &font, const QString &text,
              int flags = Qt::AlignLeft | Qt::AlignVCenter, const QColor &colour = Qt::black)
{
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(rect, flags | Qt::TextSingleLine, text);
}

// A QCustomPlot drawn as vectors into a rectangle of the page.
void drawPlot(QCPPainter &painter, QCustomPlot &plot, const QRectF &rect)
{
    painter.save();
    painter.translate(rect.topLeft());
    plot.toPainter(&painter, int(rect.width()), int(rect.height()));
    painter.restore();
}

using Drawing = std::function<void(QCPPainter &)>;

// The summary's blocks placed one below the other, a new page where one does not fit.
class SummaryFlow
{
public:
    SummaryFlow(const QRectF &content) : content(content), y(content.top()) {}

    // The rectangle for a block of this height, on a new page if it does not fit on this one.
    QRectF place(double height)
    {
        if (y + height > content.bottom() + 0.5 && y > content.top())
            newPage();
        const QRectF rect(content.left(), y, content.width(), height);
        y += height;
        return rect;
    }
    void add(double height, const std::function<void(QCPPainter &, const QRectF &)> &draw)
    {
        const QRectF rect = place(height);
        pages.last().append([draw, rect](QCPPainter &painter) { draw(painter, rect); });
    }
    void skip(double height) { y = std::min(y + height, content.bottom()); }
    double remaining() const { return content.bottom() - y; }
    void newPage()
    {
        pages.append(QVector<Drawing>());
        y = content.top();
    }

    QVector<QVector<Drawing>> pages{{}};

private:
    QRectF content;
    double y;
};

struct Table
{
    QStringList header;
    QVector<QStringList> rows;
    bool lastRowIsTotal = false;
    double rowHeight = tableRowHeight; // in points; the font follows it
    double fontSize() const { return tableFontSize * rowHeight / tableRowHeight; }
};

QVector<double> columnWidths(const Canvas &canvas, const Table &table, double width)
{
    // The first column as wide as its texts (within reason), the others share the rest evenly, but a
    // few columns do not spread their numbers across the page.
    const QFont bold = canvas.font(table.fontSize(), true);
    double first = canvas.textWidth(bold, table.header.value(0));
    for (const QStringList &row : table.rows)
        first = std::max(first, canvas.textWidth(bold, row.value(0)));
    first = std::min(first + canvas.pt(2 * cellPadding), width * 0.3);
    const int others = table.header.size() - 1;
    QVector<double> widths{first};
    for (int i = 0; i < others; ++i)
        widths.append(std::min((width - first) / others, canvas.pt(widestNumberColumn)));
    return widths;
}

void drawTableRow(QCPPainter &painter, const Canvas &canvas, QRectF rect, const QVector<double> &widths,
                  const QStringList &cells, double fontSize, bool header, bool bold)
{
    rect.setWidth(std::accumulate(widths.cbegin(), widths.cend(), 0.0));
    if (header)
        painter.fillRect(rect, headerFill);
    const QFont font = canvas.font(fontSize, header || bold);
    double x = rect.left();
    for (int c = 0; c < cells.size(); ++c) {
        const QRectF cell(x + canvas.pt(cellPadding), rect.top(), widths[c] - canvas.pt(2 * cellPadding),
                          rect.height());
        const int alignment = c == 0 ? Qt::AlignLeft : Qt::AlignRight;
        drawText(painter, cell, font, canvas.elided(font, cells[c], cell.width()),
                 alignment | Qt::AlignVCenter);
        x += widths[c];
    }
    painter.setPen(QPen(lineColour, canvas.pt(0.5)));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
}

// A table whose rows go on over the next page, under its header again, where the page is full.
void addTable(SummaryFlow &flow, const Canvas &canvas, const Table &table)
{
    const double rowHeight = canvas.pt(table.rowHeight);
    for (int r = 0; r < table.rows.size(); ++r) {
        bool headerFirst = r == 0 || flow.remaining() < rowHeight;
        if (headerFirst && flow.remaining() < 2 * rowHeight)
            flow.newPage();
        const QRectF rowRect = flow.place(headerFirst ? 2 * rowHeight : rowHeight);
        const QStringList cells = table.rows[r];
        const bool total = table.lastRowIsTotal && r == table.rows.size() - 1;
        flow.pages.last().append([=, &canvas](QCPPainter &painter) {
            const QVector<double> widths = columnWidths(canvas, table, rowRect.width());
            QRectF rect = rowRect;
            if (headerFirst) {
                rect.setHeight(rowHeight);
                drawTableRow(painter, canvas, rect, widths, table.header, table.fontSize(), true, true);
                rect.translate(0, rowHeight);
            }
            drawTableRow(painter, canvas, rect, widths, cells, table.fontSize(), false, total);
        });
    }
}

QStringList spreadCells(const statistics::ValueSpread &spread)
{
    QStringList cells;
    for (const std::optional<double> &value : {spread.minimum, spread.median, spread.maximum})
        cells << (value ? language::localNumbers(statistics::statisticText(*value)) : missingStatistic);
    return cells;
}

Table valuesTable(const QVector<statistics::GroupStatistics> &groups)
{
    Table table;
    table.header = QStringList{QCoreApplication::translate("report", "Technology"),
                               QCoreApplication::translate("report", "Measurements"),
                               QCoreApplication::translate("report", "Share «ЕСТЬ ПЛ.»"),
                               QCoreApplication::translate("report", "T min, °C"),
                               QCoreApplication::translate("report", "T median, °C"),
                               QCoreApplication::translate("report", "T max, °C"),
                               QCoreApplication::translate("report", "EMF min, mV"),
                               QCoreApplication::translate("report", "EMF median, mV"),
                               QCoreApplication::translate("report", "EMF max, mV")};
    for (const statistics::GroupStatistics &g : groups)
        table.rows.append(QStringList{g.group, QString::number(g.measurements),
                                      language::localNumbers(statistics::shareText(g.okShare()))}
                          << spreadCells(g.temperature) << spreadCells(g.emf));
    return table;
}

Table statusTable(const QVector<statistics::GroupStatistics> &groups,
                  const statistics::GroupStatistics &total)
{
    const QStringList columns = statistics::statusColumns();
    QVector<int> shown;
    for (int i = 0; i < columns.size(); ++i) {
        if (total.statusCounts.value(i) > 0)
            shown.append(i);
    }
    Table table;
    table.header.append(QCoreApplication::translate("report", "Technology"));
    for (const int i : shown)
        table.header.append(columns[i] == statistics::noStatusColumn()
                                ? QCoreApplication::translate("report", "no status")
                                : columns[i]);
    for (const statistics::GroupStatistics &g : groups) {
        QStringList row{g.group};
        for (const int i : shown)
            row.append(QString::number(g.statusCounts.value(i)));
        table.rows.append(row);
    }
    return table;
}

double chartKey(const archive::Moment &moment)
{
    // The moments carry no time zone: read as UTC they never fall into a daylight-saving gap.
    return QDateTime(moment.date, moment.time, Qt::UTC).toMSecsSinceEpoch() / 1000.0;
}

void styleAxis(QCPAxis *axis, const QFont &font, const QString &label)
{
    axis->setTickLabelFont(font);
    axis->setLabelFont(font);
    axis->setLabel(label);
}

QString otherStatusText()
{
    return QCoreApplication::translate("report", "another status or none");
}

// The chart's legend, right-aligned in `rect`: a disc of each colour and what it stands for.
void drawChartLegend(QCPPainter &painter, const Canvas &canvas, const QRectF &rect)
{
    const QFont font = canvas.font(9);
    double right = rect.right();
    for (const auto &[text, colour] : {std::make_pair(otherStatusText(), otherColour),
                                       std::make_pair(measurement::okStatus(), okColour)}) {
        const double width = canvas.textWidth(font, text);
        drawText(painter, QRectF(right - width, rect.top(), width, rect.height()), font, text);
        const double radius = canvas.pt(2.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(right - width - canvas.pt(4) - radius, rect.center().y()), radius,
                            radius);
        right -= width + canvas.pt(24);
    }
}

// One point per measurement with a temperature value, at its moment, green for "ЕСТЬ ПЛ.".
void drawTrendChart(QCPPainter &painter, const Canvas &canvas, const QRectF &rect,
                    const QVector<statistics::MeasurementFacts> &facts)
{
    QCustomPlot chart;
    chart.setLocale(language::numberLocale());
    chart.resize(int(rect.width()), int(rect.height()));
    const QFont font = canvas.font(9);
    // The others drawn last, so that the few bad points are not hidden among the good ones.
    QCPGraph *ok = chart.addGraph();
    QCPGraph *others = chart.addGraph();
    const std::pair<QCPGraph *, QColor> styles[] = {{ok, okColour}, {others, otherColour}};
    for (const auto &[graph, colour] : styles) {
        graph->setLineStyle(QCPGraph::lsNone);
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, colour, canvas.pt(3.5)));
    }
    bool anyPoint = false;
    for (const statistics::MeasurementFacts &f : facts) {
        if (f.moment.isValid() && f.temperature) {
            (f.status == measurement::okStatus() ? ok : others)->addData(chartKey(f.moment), *f.temperature);
            anyPoint = true;
        }
    }
    if (!anyPoint) {
        drawText(painter, rect, canvas.font(10),
                 QCoreApplication::translate("report", "No measurement holds a temperature."),
                 Qt::AlignCenter, captionColour);
        return;
    }
    chart.rescaleAxes();
    QCPRange keys = chart.xAxis->range();
    if (keys.size() < 60)
        keys = QCPRange(keys.center() - 1800, keys.center() + 1800);
    chart.xAxis->setRange(keys.lower - keys.size() * 0.03, keys.upper + keys.size() * 0.03);
    QCPRange values = chart.yAxis->range();
    if (values.size() < 1)
        values = QCPRange(values.center() - 10, values.center() + 10);
    chart.yAxis->setRange(values.lower - values.size() * 0.08, values.upper + values.size() * 0.08);

    QSharedPointer<QCPAxisTickerDateTime> ticker(new QCPAxisTickerDateTime);
    ticker->setDateTimeSpec(Qt::UTC);
    ticker->setDateTimeFormat(keys.size() <= 2 * 86400 ? QStringLiteral("dd.MM hh:mm")
                                                       : QStringLiteral("dd.MM.yyyy"));
    ticker->setTickCount(6);
    chart.xAxis->setTicker(ticker);
    styleAxis(chart.yAxis, font, QCoreApplication::translate("report", "TEMPERATURE, °C"));
    // The section's heading names the time axis, and its line carries the legend (chartLegend), so
    // that no legend box covers a point and the plot keeps every point of height.
    styleAxis(chart.xAxis, font, QString());
    drawPlot(painter, chart, rect);
}

// The room the first page's sections take. The chart belongs on the first page: with many
// technologies the tables give up height for it, down to rows that still read easily.
struct SummarySpacing
{
    double sectionGap = gap;
    double headingHeight = lineHeight + 4;
};

SummarySpacing fitTables(const Canvas &canvas, const QRectF &content, Table &values, Table &statuses)
{
    const int headingCount = 3;
    const int tableRows = values.rows.size() + statuses.rows.size() + 2;
    const double fixed = titleHeight + 4 * lineHeight + 3 * gap + smallestChart;
    const bool compact = fixed + headingCount * (lineHeight + 4) + tableRows * tableRowHeight >
                         content.height() / canvas.pt(1);
    if (!compact)
        return SummarySpacing();
    const SummarySpacing spacing{gap / 2, lineHeight};
    const double forTables = content.height() / canvas.pt(1) - titleHeight - 4 * lineHeight -
                             3 * spacing.sectionGap - headingCount * spacing.headingHeight - smallestChart;
    values.rowHeight = statuses.rowHeight =
        std::clamp(forTables / tableRows, smallestTableRow, tableRowHeight);
    return spacing;
}

// The title and what the report is about: the folder, the period, the selection, the count and
// when it was made.
void addReportHeading(SummaryFlow &flow, const Canvas &canvas, const ReportHeading &heading, int count)
{
    flow.add(canvas.pt(titleHeight), [&canvas](QCPPainter &painter, const QRectF &rect) {
        drawText(painter, rect, canvas.font(16, true), reportTitle());
    });
    const QStringList lines{
        QCoreApplication::translate("report", "Archive: ") + archive::displayPath(heading.directory),
        QCoreApplication::translate("report", "Period: ") + heading.period,
        QCoreApplication::translate("report", "Selection: ") +
            (heading.conditions.isEmpty() ? QCoreApplication::translate("report", "every measurement")
                                          : heading.conditions.join(QStringLiteral("; "))),
        QCoreApplication::translate("report", "Measurements: %1      Made: %2")
            .arg(count)
            .arg(language::localMoment(heading.madeAt.date(), heading.madeAt.time()))};
    for (const QString &line : lines) {
        flow.add(canvas.pt(lineHeight), [&canvas, line](QCPPainter &painter, const QRectF &rect) {
            const QFont font = canvas.font(10);
            drawText(painter, rect, font, canvas.elided(font, line, rect.width()));
        });
    }
}

QVector<QVector<Drawing>> summaryPages(const Canvas &canvas, const QRectF &content,
                                       const ReportHeading &heading,
                                       const QVector<statistics::MeasurementFacts> &facts)
{
    QVector<statistics::GroupStatistics> groups =
        statistics::groupStatistics(facts, statistics::Grouping::technology);
    const statistics::GroupStatistics total =
        statistics::totalStatistics(facts, QCoreApplication::translate("report", "Total"));
    if (groups.size() > 1)
        groups.append(total);
    Table values = valuesTable(groups);
    Table statuses = statusTable(groups, total);
    values.lastRowIsTotal = statuses.lastRowIsTotal = groups.size() > 1;
    const SummarySpacing spacing = fitTables(canvas, content, values, statuses);
    const double sectionGap = spacing.sectionGap;
    const double headingHeight = spacing.headingHeight;

    SummaryFlow flow(content);
    addReportHeading(flow, canvas, heading, facts.size());
    flow.skip(canvas.pt(sectionGap));
    if (facts.isEmpty()) {
        flow.add(canvas.pt(2 * lineHeight), [&canvas](QCPPainter &painter, const QRectF &rect) {
            drawText(painter, rect, canvas.font(12, true),
                     QCoreApplication::translate("report",
                                                 "No measurement meets the conditions of the selection."));
        });
        return flow.pages;
    }

    const auto heading2 = [&flow, &canvas, headingHeight](const QString &text) {
        flow.add(canvas.pt(headingHeight), [&canvas, text](QCPPainter &painter, const QRectF &rect) {
            drawText(painter, rect, canvas.font(11, true), text);
        });
    };
    heading2(QCoreApplication::translate("report", "Results by technology"));
    addTable(flow, canvas, values);
    flow.skip(canvas.pt(sectionGap));
    heading2(QCoreApplication::translate("report", "Statuses by technology"));
    addTable(flow, canvas, statuses);
    flow.skip(canvas.pt(sectionGap));

    if (flow.remaining() < canvas.pt(headingHeight + smallestChart) - 0.5)
        flow.newPage();
    flow.add(canvas.pt(headingHeight), [&canvas](QCPPainter &painter, const QRectF &rect) {
        drawText(painter, rect, canvas.font(11, true),
                 QCoreApplication::translate("report", "Temperature by time of measurement"));
        drawChartLegend(painter, canvas, rect);
    });
    flow.add(flow.remaining(), [&canvas, &facts](QCPPainter &painter, const QRectF &rect) {
        drawTrendChart(painter, canvas, rect, facts);
    });
    return flow.pages;
}

void drawPageFrame(QCPPainter &painter, const Canvas &canvas, const QRectF &page, const QString &subtitle,
                   int number, int count)
{
    const QRectF band(page.left(), page.top(), page.width(), canvas.pt(headerBand - 6));
    const QFont plain = canvas.font(9);
    const QFont bold = canvas.font(9, true);
    const QString pageText = QCoreApplication::translate("report", "Page %1 of %2").arg(number).arg(count);
    const double pageWidth = canvas.textWidth(plain, pageText);
    drawText(painter, band, plain, pageText, Qt::AlignRight | Qt::AlignVCenter);
    const QString title = reportTitle() + QStringLiteral(" · ") + subtitle;
    drawText(painter, band, bold, canvas.elided(bold, title, band.width() - pageWidth - canvas.pt(20)));
    painter.setPen(QPen(lineColour, canvas.pt(0.75)));
    painter.drawLine(band.bottomLeft(), band.bottomRight());
}

// A result as the reader's language writes numbers ("1598,5" in Russian, "1598.5" otherwise, with
// the decimals it was written with); a text that is no number as it stands.
QString localResult(const QString &text)
{
    const std::optional<measurement::ResultNumber> number = measurement::readResultNumber(text);
    if (!number)
        return text;
    QString written = text.trimmed();
    if (number->decimalComma)
        written.replace(QLatin1Char(','), QLatin1Char('.'));
    return language::localNumbers(written);
}

QString valueWithUnit(const std::optional<QString> &value, const QString &unit)
{
    if (!value)
        return measurement::displayText(value);
    return value->isEmpty() ? QString() : localResult(*value) + QLatin1Char(' ') + unit;
}

// One measurement as the viewer shows it: the curves drawn by its plot steps, its values beside.
void drawMeasurement(QCPPainter &painter, const Canvas &canvas, const QRectF &cell, const QString &directory,
                     const statistics::MeasurementFacts &facts)
{
    painter.setPen(QPen(lineColour, canvas.pt(0.5)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(cell);
    const QRectF inner =
        cell.adjusted(canvas.pt(cellPadding), canvas.pt(2), -canvas.pt(cellPadding), -canvas.pt(2));
    const QRectF titleRect(inner.left(), inner.top(), inner.width(), canvas.pt(cellTitleHeight));
    const QFont titleFont = canvas.font(9.5, true);
    // A technology as long as a name allows would push the file's name off the cell: the title takes
    // at most three fifths of the row.
    const QString title = canvas.elided(titleFont,
                                        language::localMoment(facts.moment.date, facts.moment.time) +
                                            QStringLiteral("   ") + facts.technology,
                                        titleRect.width() * 0.6);
    drawText(painter, titleRect, titleFont, title);
    const QFont fileFont = canvas.font(7);
    const double titleWidth = canvas.textWidth(titleFont, title) + canvas.pt(12);
    drawText(painter, titleRect, fileFont,
             canvas.elided(fileFont, facts.shownName(), titleRect.width() - titleWidth),
             Qt::AlignRight | Qt::AlignVCenter, captionColour);

    const QRectF body(inner.left(), titleRect.bottom(), inner.width(), inner.bottom() - titleRect.bottom());
    // Read again by the bytes the listing gave: a name no text can hold shares its escaped form with
    // a file literally named so, which is another file.
    const QByteArray path = platform::encodeFileName(directory) + '/' + facts.nameBytes();
    const std::optional<measurement::Measurement> read = measurement::readMeasurementFile(path);
    if (!read) {
        drawText(painter, body, canvas.font(9),
                 QCoreApplication::translate("report", "The file cannot be read: ") +
                     language::unreadableReason(path),
                 Qt::AlignCenter);
        return;
    }
    const measurement::Measurement &m = *read;

    const QRectF valuesRect(body.right() - canvas.pt(valuesWidth), body.top(), canvas.pt(valuesWidth),
                            body.height());
    const QVector<QPair<QString, QString>> values{
        {QCoreApplication::translate("report", "MELT No."), measurement::displayText(m.smelt)},
        {QCoreApplication::translate("report", "TEMPERATURE"),
         valueWithUnit(m.temperatureText, QCoreApplication::translate("report", "°C"))},
        {QCoreApplication::translate("report", "OXIDATION"),
         valueWithUnit(m.oxidation, QStringLiteral("ppm"))},
        {QCoreApplication::translate("report", "EMF"),
         valueWithUnit(m.emfText, QCoreApplication::translate("report", "mV"))},
        {QCoreApplication::translate("report", "ALUMINIUM MASS"),
         valueWithUnit(m.aluminiumMass, QCoreApplication::translate("report", "kg"))},
        {QCoreApplication::translate("report", "CARBON"), valueWithUnit(m.carbon, QStringLiteral("%"))},
        {QCoreApplication::translate("report", "STATUS"), measurement::statusDisplayText(m.status)}};
    const QFont captionFont = canvas.font(7);
    const QFont valueFont = canvas.font(9);
    const double rowHeight = std::min(canvas.pt(17), valuesRect.height() / values.size());
    double y = valuesRect.top() + (valuesRect.height() - rowHeight * values.size()) / 2;
    for (const auto &[caption, value] : values) {
        const QRectF row(valuesRect.left(), y, valuesRect.width(), rowHeight);
        const double captionWidth = canvas.textWidth(captionFont, caption) + canvas.pt(6);
        drawText(painter, row, captionFont, caption, Qt::AlignLeft | Qt::AlignVCenter, captionColour);
        const bool ok =
            caption == QCoreApplication::translate("report", "STATUS") && value == measurement::okStatus();
        drawText(painter, row, valueFont, canvas.elided(valueFont, value, row.width() - captionWidth),
                 Qt::AlignRight | Qt::AlignVCenter, ok ? okColour.darker(130) : QColor(Qt::black));
        painter.setPen(QPen(lineColour, canvas.pt(0.3)));
        painter.drawLine(row.bottomLeft(), row.bottomRight());
        y += rowHeight;
    }

    const QRectF plotRect(body.left(), body.top(), valuesRect.left() - body.left() - canvas.pt(6),
                          body.height());
    QCustomPlot plot;
    plot.resize(int(plotRect.width()), int(plotRect.height()));
    plot::showMeasurement(&plot, m.temperature, m.emf);
    drawPlot(painter, plot, plotRect);
}

// The report's pages on `device`, whose painter has begun: the same drawing for a PDF file and a printer.
QString paintReport(QCPPainter &painter, QPagedPaintDevice &device, const ReportHeading &heading,
                    const QVector<statistics::MeasurementFacts> &facts,
                    const std::function<void(int, int)> &progress)
{
    painter.setMode(QCPPainter::pmNonCosmetic);
    const Canvas canvas(&device);
    const QRectF page(0, 0, device.width(), device.height());
    const QRectF content = page.adjusted(0, canvas.pt(headerBand), 0, 0);

    const QVector<QVector<Drawing>> summary = summaryPages(canvas, content, heading, facts);
    const int measurementPages = (facts.size() + measurementsPerReportPage - 1) / measurementsPerReportPage;
    const int pageCount = summary.size() + measurementPages;
    const QString subtitle = heading.period;
    int pageNumber = 0;
    const auto startPage = [&] {
        if (pageNumber > 0)
            device.newPage();
        ++pageNumber;
        drawPageFrame(painter, canvas, page, subtitle, pageNumber, pageCount);
    };
    const auto endPage = [&] {
        if (progress)
            progress(pageNumber, pageCount);
    };

    for (const QVector<Drawing> &drawings : summary) {
        startPage();
        for (const Drawing &draw : drawings)
            draw(painter);
        endPage();
    }
    const double cellWidth = content.width() / reportGridColumns;
    const double cellHeight = content.height() / reportGridRows;
    for (int first = 0; first < facts.size(); first += measurementsPerReportPage) {
        startPage();
        for (int i = first; i < std::min(int(facts.size()), first + measurementsPerReportPage); ++i) {
            const int slot = i - first;
            const QRectF cell(content.left() + (slot % reportGridColumns) * cellWidth,
                              content.top() + (slot / reportGridColumns) * cellHeight, cellWidth, cellHeight);
            drawMeasurement(painter, canvas,
                            cell.adjusted(canvas.pt(2), canvas.pt(2), -canvas.pt(2), -canvas.pt(2)),
                            heading.directory, facts[i]);
        }
        endPage();
    }
    if (!painter.end())
        return QStringLiteral("the PDF cannot be finished");
    return QString();
}

void setUpReportPage(QPagedPaintDevice &device)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Landscape);
    device.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

} // namespace

QString writeReport(QIODevice *device, const ReportHeading &heading,
                    const QVector<statistics::MeasurementFacts> &facts,
                    const std::function<void(int, int)> &progress)
{
    QPdfWriter writer(device);
    writer.setTitle(reportTitle());
    writer.setCreator(QStringLiteral("steel-archive"));
    setUpReportPage(writer);
    QCPPainter painter;
    if (!beginPlotPainting(painter, writer))
        return QStringLiteral("the PDF cannot be started");
    return paintReport(painter, writer, heading, facts, progress);
}

QString printReport(QPrinter *printer, const ReportHeading &heading,
                    const QVector<statistics::MeasurementFacts> &facts)
{
    setUpReportPage(*printer);
    // At the screen's resolution, as the PDF is drawn, so that the plots keep their proportions.
    const QScreen *screen = QGuiApplication::primaryScreen();
    printer->setResolution(screen ? qRound(screen->logicalDotsPerInchY()) : 96);
    QCPPainter painter;
    if (!painter.begin(printer))
        return QStringLiteral("the printer cannot be started");
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    return paintReport(painter, *printer, heading, facts, nullptr);
}

} // namespace printing
