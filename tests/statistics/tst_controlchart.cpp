// SPDX-License-Identifier: GPL-3.0-or-later
// The control chart's arithmetic against tables computed by hand: centre, limits, the moving ranges,
// the points each rule marks, the last melts of a period and the tolerance's share and Cpk.
#include "measurement/resultnumber.h"
#include "statistics/controlchart.h"

#include <QtTest>

#include <cmath>

using statistics::ChartMelt;
using statistics::ControlChart;

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

// Melts a minute apart from 08:00, each value read from its text by the statistics' one rule;
// handed over newest first, so that the chart must put them in time order itself.
QVector<ChartMelt> meltsOf(const QStringList &texts)
{
    QVector<ChartMelt> melts;
    for (int i = 0; i < texts.size(); ++i) {
        ChartMelt melt;
        melt.fileName = QStringLiteral("steel_K1-2025_01_26-08_%1_00.json").arg(i, 2, 10, QLatin1Char('0'));
        melt.technology = QStringLiteral("K1");
        melt.moment = {QDate(2025, 1, 26), QTime(8, i)};
        melt.melt = QString::number(41500 + i);
        const bool noValue = texts[i] == QLatin1String("nan") || texts[i] == QLatin1String("32767");
        melt.value = measurement::resultNumber(noValue ? std::nullopt : std::optional<QString>(texts[i]));
        melts.prepend(melt);
    }
    return melts;
}

QStringList numbers(std::initializer_list<int> values)
{
    QStringList texts;
    for (const int value : values)
        texts << QString::number(value);
    return texts;
}

QVector<int> indexesWhere(const ControlChart &chart, bool statistics::ChartPoint::*mark)
{
    QVector<int> indexes;
    for (int i = 0; i < chart.points.size(); ++i) {
        if (chart.points[i].*mark)
            indexes << i;
    }
    return indexes;
}

void compareOptional(const std::optional<double> &actual, const std::optional<double> &expected)
{
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected)
        QVERIFY2(std::fabs(*actual - *expected) < 1e-9,
                 qPrintable(QStringLiteral("%1 != %2").arg(*actual, 0, 'g', 17).arg(*expected, 0, 'g', 17)));
}

constexpr std::nullopt_t none = std::nullopt;

} // namespace

class ControlChartTest : public QObject
{
    Q_OBJECT

private slots:
    void limits_data();
    void limits();
    void marks_data();
    void marks();
    void lastMelts_data();
    void lastMelts();
    void tolerance_data();
    void tolerance();
};

void ControlChartTest::limits_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("withoutValue");
    QTest::addColumn<std::optional<double>>("mean");
    QTest::addColumn<std::optional<double>>("movingRangeMean");
    QTest::addColumn<std::optional<double>>("lower");
    QTest::addColumn<std::optional<double>>("upper");
    QTest::addColumn<std::optional<double>>("movingRangeUpper");

    using O = std::optional<double>;
    QTest::newRow("no melts") << QStringList() << 0 << 0 << O(none) << O(none) << O(none) << O(none)
                              << O(none);
    QTest::newRow("one melt: no moving range, no limits")
        << QStringList{QStringLiteral("1600")} << 1 << 0 << O(1600) << O(none) << O(none) << O(none)
        << O(none);
    QTest::newRow("two melts: one moving range")
        << numbers({1600, 1610}) << 2 << 0 << O(1605) << O(10) << O(1578.4) << O(1631.6) << O(32.67);
    QTest::newRow("all equal: MR-bar 0, the limits on the centre")
        << numbers({5, 5, 5, 5}) << 4 << 0 << O(5) << O(0) << O(5) << O(5) << O(0);
    QTest::newRow("five melts") << numbers({20, 22, 21, 25, 19}) << 5 << 0 << O(21.4) << O(3.25) << O(12.755)
                                << O(30.045) << O(10.61775);
    QTest::newRow("no-value marks are counted and skipped by the ranges")
        << QStringList{QStringLiteral("10"), QStringLiteral("nan"), QStringLiteral("12"),
                       QStringLiteral("32767"), QStringLiteral("11")}
        << 3 << 2 << O(11) << O(1.5) << O(7.01) << O(14.99) << O(4.9005);
    QTest::newRow("texts that are no number are without a value")
        << QStringList{QStringLiteral("10"), QStringLiteral(""), QStringLiteral("abc"),
                       QStringLiteral("1,5,0"), QStringLiteral("12")}
        << 2 << 3 << O(11) << O(2) << O(5.68) << O(16.32) << O(6.534);
    QTest::newRow("decimal comma") << QStringList{QStringLiteral("1598,5"), QStringLiteral("1600,5"),
                                                  QStringLiteral("1599,5")}
                                   << 3 << 0 << O(1599.5) << O(1.5) << O(1595.51) << O(1603.49) << O(4.9005);
}

void ControlChartTest::limits()
{
    QFETCH(QStringList, values);
    const ControlChart chart = statistics::computeControlChart(meltsOf(values), {});
    QTEST(int(chart.points.size()), "points");
    QTEST(chart.meltsWithoutValue, "withoutValue");
    QFETCH(std::optional<double>, mean);
    QFETCH(std::optional<double>, movingRangeMean);
    QFETCH(std::optional<double>, lower);
    QFETCH(std::optional<double>, upper);
    QFETCH(std::optional<double>, movingRangeUpper);
    compareOptional(chart.mean, mean);
    compareOptional(chart.movingRangeMean, movingRangeMean);
    compareOptional(chart.lowerLimit, lower);
    compareOptional(chart.upperLimit, upper);
    compareOptional(chart.movingRangeUpperLimit, movingRangeUpper);
    // Time order, whatever order the melts came in; the first point has no moving range.
    for (int i = 1; i < chart.points.size(); ++i)
        QVERIFY(chart.points[i - 1].melt.moment < chart.points[i].melt.moment);
    if (!chart.points.isEmpty())
        QVERIFY(!chart.points.constFirst().movingRange);
}

void ControlChartTest::marks_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QVector<int>>("beyondLimits");
    QTest::addColumn<QVector<int>>("inRun");
    QTest::addColumn<QVector<int>>("movingRangeBeyond");

    QTest::newRow("one melt breaks no rule")
        << numbers({1600}) << QVector<int>{} << QVector<int>{} << QVector<int>{};
    QTest::newRow("all equal: nothing beyond the limits, no run on the centre line")
        << numbers({5, 5, 5, 5, 5, 5, 5, 5, 5, 5}) << QVector<int>{} << QVector<int>{} << QVector<int>{};
    QTest::newRow("a jump: beyond the limit, its range too, the run of nine before it marked from its 8th")
        << numbers({10, 10, 10, 10, 10, 10, 10, 10, 10, 50}) << QVector<int>{9} << QVector<int>{7, 8}
        << QVector<int>{9};
    QTest::newRow("a run of exactly eight above, the ninth back below")
        << numbers({2, 6, 2, 6, 2, 6, 2, 6, 6, 6, 6, 6, 6, 6, 6, 2, 6, 2}) << QVector<int>{}
        << QVector<int>{14} << QVector<int>{};
    QTest::newRow("a value on the centre line ends a run")
        << numbers({3, 3, 3, 3, 5, 3, 3, 3, 3, 7, 7, 7, 7, 7, 7, 7, 7, 5})
        << QVector<int>{0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16} << QVector<int>{16}
        << QVector<int>{4, 5, 9, 17};
    QTest::newRow("two runs and shifts beyond both limits")
        << numbers({1, 2, 1, 2, 1, 2, 1, 2, 1, 9, 8, 9, 8, 9, 8, 9, 8, 9})
        << QVector<int>{0, 2, 4, 6, 8, 9, 11, 13, 15, 17} << QVector<int>{7, 8, 16, 17} << QVector<int>{9};
}

void ControlChartTest::marks()
{
    QFETCH(QStringList, values);
    const ControlChart chart = statistics::computeControlChart(meltsOf(values), {});
    QTEST(indexesWhere(chart, &statistics::ChartPoint::beyondLimits), "beyondLimits");
    QTEST(indexesWhere(chart, &statistics::ChartPoint::inRun), "inRun");
    QTEST(indexesWhere(chart, &statistics::ChartPoint::movingRangeBeyondLimit), "movingRangeBeyond");
}

void ControlChartTest::lastMelts_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("lastMelts");
    QTest::addColumn<QStringList>("charted"); // the melt numbers, oldest first
    QTest::addColumn<int>("withoutValue");

    const QStringList values{QStringLiteral("10"), QStringLiteral("nan"), QStringLiteral("12"),
                             QStringLiteral("13"), QStringLiteral("nan"), QStringLiteral("15")};
    QTest::newRow("the latest melts, those without a value among them counted")
        << values << 3 << QStringList{QStringLiteral("41503"), QStringLiteral("41505")} << 1;
    QTest::newRow("more asked than there are")
        << values << 50
        << QStringList{QStringLiteral("41500"), QStringLiteral("41502"), QStringLiteral("41503"),
                       QStringLiteral("41505")}
        << 2;
    QTest::newRow("none asked") << values << 0 << QStringList() << 0;
}

void ControlChartTest::lastMelts()
{
    QFETCH(QStringList, values);
    QFETCH(int, lastMelts);
    const ControlChart chart = statistics::computeControlChart(meltsOf(values), {}, lastMelts);
    QStringList charted;
    for (const statistics::ChartPoint &p : chart.points)
        charted << p.melt.melt;
    QTEST(charted, "charted");
    QTEST(chart.meltsWithoutValue, "withoutValue");
}

void ControlChartTest::tolerance_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<std::optional<double>>("lower");
    QTest::addColumn<std::optional<double>>("upper");
    QTest::addColumn<QVector<int>>("outside");
    QTest::addColumn<std::optional<double>>("share");
    QTest::addColumn<std::optional<double>>("cpk");

    using O = std::optional<double>;
    const QStringList five = numbers({20, 22, 21, 25, 19}); // mean 21.4, sigma 3.25 / 1.128
    const double threeSigma = 3 * 3.25 / 1.128;
    QTest::newRow("none set") << five << O(none) << O(none) << QVector<int>{} << O(none) << O(none);
    QTest::newRow("both set, a value on a limit is inside")
        << five << O(15) << O(25) << QVector<int>{} << O(0) << O(3.6 / threeSigma);
    QTest::newRow("both set, one above")
        << five << O(15) << O(24) << QVector<int>{3} << O(0.2) << O(2.6 / threeSigma);
    QTest::newRow("the nearer limit decides")
        << five << O(20) << O(30) << QVector<int>{4} << O(0.2) << O(1.4 / threeSigma);
    QTest::newRow("the lower alone: a share, no Cpk")
        << five << O(21) << O(none) << QVector<int>{0, 4} << O(0.4) << O(none);
    QTest::newRow("all equal: no sigma, no Cpk")
        << numbers({5, 5, 5}) << O(4) << O(6) << QVector<int>{} << O(0) << O(none);
    QTest::newRow("no melts: no share")
        << QStringList() << O(4) << O(6) << QVector<int>{} << O(none) << O(none);
}

void ControlChartTest::tolerance()
{
    QFETCH(QStringList, values);
    QFETCH(std::optional<double>, lower);
    QFETCH(std::optional<double>, upper);
    const ControlChart chart = statistics::computeControlChart(meltsOf(values), {lower, upper});
    QTEST(indexesWhere(chart, &statistics::ChartPoint::outsideTolerance), "outside");
    QFETCH(QVector<int>, outside);
    QCOMPARE(chart.outsideTolerance, outside.size());
    QFETCH(std::optional<double>, share);
    QFETCH(std::optional<double>, cpk);
    compareOptional(chart.outsideShare, share);
    compareOptional(chart.cpk, cpk);
}

QTEST_APPLESS_MAIN(ControlChartTest)
#include "tst_controlchart.moc"
