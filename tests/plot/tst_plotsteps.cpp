// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plotsteps.h"

#include <qcustomplot.h>

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

const QVector<double> noSamples(160, qQNaN());

// 160 samples rising evenly from `first` to `last`.
QVector<double> ramp(double first, double last, int count = 160)
{
    QVector<double> samples = noSamples;
    for (int i = 0; i < count; ++i)
        samples[i] = first + (last - first) * i / (count - 1);
    return samples;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-9 * qMax(1.0, std::abs(b));
}

} // namespace

class TestPlotSteps : public QObject
{
    Q_OBJECT

private slots:
    void valueRangeIsFittedWidenedAndBounded_data();
    void valueRangeIsFittedWidenedAndBounded();
    void timeAxisSpansOnlyRecordedSamples();
    void flatCurveGetsASpanOfItsOwn_data();
    void flatCurveGetsASpanOfItsOwn();
    void curveWithoutSamplesKeepsItsAxisRange();
    void curvesAreReplacedWithTheirPensAndAxes();
    void configurationSetsLabelsFontsAndColours();
    void onlyTheCurveDisplayRedraws();
    void comparedCurvesShareTheFit_data();
    void comparedCurvesShareTheFit();
};

void TestPlotSteps::valueRangeIsFittedWidenedAndBounded_data()
{
    QTest::addColumn<bool>("emf");
    QTest::addColumn<QVector<double>>("samples");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");

    QTest::newRow("temperature 1500..1650") << false << ramp(1500, 1650) << -165.0 << 1815.0;
    QTest::newRow("temperature 0..1600") << false << ramp(0, 1600) << -160.0 << 1760.0;
    QTest::newRow("EMF -50..200, mixed") << true << ramp(-50, 200) << -75.0 << 225.0;
    QTest::newRow("EMF -300..-100, negative") << true << ramp(-300, -100) << -330.0 << 30.0;
    QTest::newRow("EMF 0..0.05, narrowest") << true << ramp(0, 0.05) << -0.025 << 0.075;
    QTest::newRow("temperature 0..200000, widest") << false << ramp(0, 200000) << 0.5 << 199999.5;
}

void TestPlotSteps::flatCurveGetsASpanOfItsOwn_data()
{
    QTest::addColumn<QVector<double>>("samples");
    QTest::addColumn<double>("lower"); // after the span, the zero line and the widening
    QTest::addColumn<double>("upper");

    // 1500 +- 15, then down to zero and 1.2 times as wide: 0..1515 becomes -151.5..1666.5.
    QTest::newRow("all 1500.0") << QVector<double>(160, 1500.0) << -151.5 << 1666.5;
    QVector<double> single = noSamples;
    single[0] = 1500.0;
    QTest::newRow("one sample") << single << -151.5 << 1666.5;
    // 1 unit where 1 % is less: -1..1 widened to -1.2..1.2.
    QTest::newRow("all zero") << QVector<double>(160, 0.0) << -1.2 << 1.2;
    QTest::newRow("all -40") << QVector<double>(160, -40.0) << -45.1 << 4.1;
}

void TestPlotSteps::flatCurveGetsASpanOfItsOwn()
{
    QFETCH(QVector<double>, samples);
    QFETCH(double, lower);
    QFETCH(double, upper);

    // Drawn on a fresh plot, and after six flat melts and one wide one: the same range each time.
    QCustomPlot fresh;
    QCustomPlot used;
    QVector<double> keys;
    plot::activateRightAxis(&used);
    for (int melt = 0; melt < 6; ++melt)
        plot::displayCurves(&used, keys, samples, samples);
    plot::displayCurves(&used, keys, ramp(-5000, 90000), ramp(-5000, 90000));
    for (QCustomPlot *plot : {&fresh, &used}) {
        plot::activateRightAxis(plot);
        plot::displayCurves(plot, keys, samples, samples);
        for (QCPAxis *axis : {plot->yAxis, plot->yAxis2}) {
            const QCPRange range = axis->range();
            QVERIFY2(near(range.lower, lower) && near(range.upper, upper),
                     qPrintable(QStringLiteral("%1..%2").arg(range.lower).arg(range.upper)));
        }
        QVERIFY(plot->xAxis->range().size() > 0);
    }
}

void TestPlotSteps::valueRangeIsFittedWidenedAndBounded()
{
    QFETCH(bool, emf);
    QFETCH(QVector<double>, samples);
    QFETCH(double, lower);
    QFETCH(double, upper);

    // Once on a plot that has never been laid out (the first measurement is drawn before the window
    // is shown), once on one that has been drawn at a real size.
    for (bool laidOut : {false, true}) {
        QCustomPlot plot;
        if (laidOut) {
            plot.resize(800, 500);
            plot.replot();
        }
        QVector<double> keys;
        plot::activateRightAxis(&plot);
        plot::displayCurves(&plot, keys, emf ? ramp(1, 2) : samples, emf ? samples : ramp(1, 2));
        const QCPRange range = (emf ? plot.yAxis2 : plot.yAxis)->range();
        QVERIFY2(
            near(range.lower, lower) && near(range.upper, upper),
            qPrintable(QStringLiteral("laid out %1: %2..%3").arg(laidOut).arg(range.lower).arg(range.upper)));
    }
}

void TestPlotSteps::timeAxisSpansOnlyRecordedSamples()
{
    QCustomPlot plot;
    QVector<double> keys{42.0};
    plot::displayCurves(&plot, keys, ramp(1500, 1600, 100), ramp(0, 10, 100));

    QCOMPARE(keys.size(), 160);
    QCOMPARE(keys.first(), 0.0);
    QCOMPARE(keys.last(), 159 * 0.1);
    QVERIFY(near(plot.xAxis->range().lower, 0.0));
    QVERIFY(near(plot.xAxis->range().upper, 9.9));
}

void TestPlotSteps::curveWithoutSamplesKeepsItsAxisRange()
{
    QCustomPlot plot;
    plot.yAxis->setRange(-5, 40);
    plot.yAxis2->setRange(10, 20);
    QVector<double> keys;
    for (int load = 0; load < 2; ++load) {
        plot::displayCurves(&plot, keys, noSamples, noSamples);
        QCOMPARE(plot.yAxis->range(), QCPRange(-5, 40));
        QCOMPARE(plot.yAxis2->range(), QCPRange(10, 20));
    }
    // Only the empty curve's axis is left alone.
    plot::displayCurves(&plot, keys, noSamples, ramp(0, 100));
    QCOMPARE(plot.yAxis->range(), QCPRange(-5, 40));
    QVERIFY(near(plot.yAxis2->range().upper, 110.0));
}

void TestPlotSteps::curvesAreReplacedWithTheirPensAndAxes()
{
    QCustomPlot plot;
    QVector<double> keys;
    plot::displayCurves(&plot, keys, ramp(1500, 1600), ramp(0, 50));
    plot::displayCurves(&plot, keys, ramp(1400, 1500), ramp(0, 60));

    QCOMPARE(plot.graphCount(), 2);
    struct Expected
    {
        QCPAxis *valueAxis;
        QColor colour;
        double firstValue;
    };
    const Expected expected[] = {{plot.yAxis, QColor(232, 76, 61), 1400},
                                 {plot.yAxis2, QColor(43, 62, 76), 0}};
    for (int i = 0; i < 2; ++i) {
        QCPGraph *graph = plot.graph(i);
        QCOMPARE(graph->keyAxis(), plot.xAxis);
        QCOMPARE(graph->valueAxis(), expected[i].valueAxis);
        QCOMPARE(graph->data()->size(), 160);
        QCOMPARE(graph->data()->at(0)->value, expected[i].firstValue);
        const QPen pen = graph->pen();
        QCOMPARE(pen.color(), expected[i].colour);
        QCOMPARE(pen.widthF(), 2.0);
        QCOMPARE(pen.style(), Qt::SolidLine);
        QCOMPARE(pen.capStyle(), Qt::SquareCap);
        QCOMPARE(pen.joinStyle(), Qt::BevelJoin);
        QCOMPARE(pen.brush().style(), Qt::SolidPattern);
    }

    plot::resetPlot(&plot);
    QCOMPARE(plot.graphCount(), 0);
    QVERIFY(!plot.yAxis2->visible());
    QVERIFY(!plot.yAxis2->tickLabels());
    plot::activateRightAxis(&plot);
    QVERIFY(plot.yAxis2->visible());
    QVERIFY(plot.yAxis2->tickLabels());
}

void TestPlotSteps::configurationSetsLabelsFontsAndColours()
{
    QCustomPlot plot;
    plot::clearPlot(&plot);
    plot::configureAxes(&plot);

    QCOMPARE(plot.xAxis->label(), QStringLiteral("ВРЕМЯ, сек."));
    QCOMPARE(plot.yAxis->label(), QString::fromUtf8("ТЕМПЕРАТУРА, \xC2\xB0"
                                                    "C"));
    QCOMPARE(plot.yAxis2->label(), QStringLiteral("ЭДС, мВ"));
    for (QCPAxis *axis : {plot.xAxis, plot.yAxis, plot.yAxis2}) {
        for (const QFont &font : {axis->labelFont(), axis->tickLabelFont()}) {
            QCOMPARE(font.family(), QStringLiteral("Open Sans"));
            QCOMPARE(font.pointSize(), 10);
            QVERIFY(!font.italic());
        }
    }
    QCOMPARE(plot.yAxis->labelColor(), QColor(232, 76, 61));
    QCOMPARE(plot.yAxis2->labelColor(), QColor(43, 62, 76));
    QCOMPARE(plot.xAxis->ticker()->tickStepStrategy(), QCPAxisTicker::tssMeetTickCount);
    QCOMPARE(plot.yAxis->ticker()->tickStepStrategy(), QCPAxisTicker::tssReadability);
    QVERIFY(!plot.yAxis2->visible());
}

void TestPlotSteps::onlyTheCurveDisplayRedraws()
{
    QCustomPlot plot;
    QSignalSpy replots(&plot, &QCustomPlot::afterReplot);
    QVector<double> keys;
    plot::clearPlot(&plot);
    plot::configureAxes(&plot);
    plot::resetPlot(&plot);
    plot::activateRightAxis(&plot);
    QCOMPARE(replots.count(), 0);
    plot::displayCurves(&plot, keys, ramp(1, 2), ramp(1, 2));
    QCOMPARE(replots.count(), 1);
}

void TestPlotSteps::comparedCurvesShareTheFit_data()
{
    QTest::addColumn<QVector<double>>("compared"); // temperature; EMF 0..100 throughout
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    // The shown melt alone would give -160..1760.
    QTest::newRow("compared higher") << ramp(1500, 1800) << -180.0 << 1980.0;
    QTest::newRow("compared within") << ramp(1550, 1560) << -160.0 << 1760.0;
    // A compared melt without samples leaves the shown melt's fit.
    QTest::newRow("compared without samples") << noSamples << -160.0 << 1760.0;
    QTest::newRow("recording twice as short") << ramp(0, 1700, 80) << -170.0 << 1870.0;
}

void TestPlotSteps::comparedCurvesShareTheFit()
{
    QFETCH(QVector<double>, compared);
    QFETCH(double, lower);
    QFETCH(double, upper);
    QCustomPlot plot;
    plot::showMeasurement(&plot, ramp(0, 1600), ramp(0, 100));
    QVERIFY(!plot.legend->visible());
    QVector<double> keys;
    const plot::ComparedCurves curves{compared, ramp(0, 100), QStringLiteral("A"), QStringLiteral("B")};
    plot::displayCurves(&plot, keys, ramp(0, 1600), ramp(0, 100), &curves);
    QCOMPARE(plot.graphCount(), 4);
    QVERIFY2(
        near(plot.yAxis->range().lower, lower) && near(plot.yAxis->range().upper, upper),
        qPrintable(QStringLiteral("%1..%2").arg(plot.yAxis->range().lower).arg(plot.yAxis->range().upper)));
    QVERIFY(plot.legend->visible());
    QCOMPARE(plot.legend->itemCount(), 4);
    // Without a comparison the plot is the plain one again.
    plot::displayCurves(&plot, keys, ramp(0, 1600), ramp(0, 100));
    QCOMPARE(plot.graphCount(), 2);
    QVERIFY(!plot.legend->visible());
}

QTEST_MAIN(TestPlotSteps)
#include "tst_plotsteps.moc"
