// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/pagelayout.h"

#include <QTest>

using printing::fitWindowToPage;
using printing::PageFit;

class TestPageLayout : public QObject
{
    Q_OBJECT

private slots:
    void fitsWindowOntoPage_data();
    void fitsWindowOntoPage();
    void emptyWindowOrPageGivesNoScale_data();
    void emptyWindowOrPageGivesNoScale();
};

void TestPageLayout::fitsWindowOntoPage_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("pageRect");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPointF>("pageCentre");
    QTest::addColumn<QPointF>("windowOffset");
    // Where the window's top-left corner lands: the work area is drawn from there.
    QTest::addColumn<QPointF>("windowOrigin");

    QTest::newRow("height-limited window centred across")
        << QSize(1000, 800) << QRect(0, 0, 4000, 2800) << 3.5 << QPointF(2000, 1400) << QPointF(-500, -400)
        << QPointF(250, 0);
    // 4000 / 1600 = 2.5; 1500 high on 2800 leaves 650 above and below.
    QTest::newRow("width-limited window centred vertically")
        << QSize(1600, 600) << QRect(0, 0, 4000, 2800) << 2.5 << QPointF(2000, 1400) << QPointF(-800, -300)
        << QPointF(0, 650);
    QTest::newRow("equal scales") << QSize(1000, 700) << QRect(0, 0, 4000, 2800) << 4.0 << QPointF(2000, 1400)
                                  << QPointF(-500, -350) << QPointF(0, 0);
    // 2800 / 300 = 9.333...; 400 * 9.333 = 3733.3 wide on 4000.
    QTest::newRow("small window enlarged")
        << QSize(400, 300) << QRect(0, 0, 4000, 2800) << 2800.0 / 300 << QPointF(2000, 1400)
        << QPointF(-200, -150) << QPointF(2000 - 200 * 2800.0 / 300, 0);
    QTest::newRow("large window reduced")
        << QSize(8000, 6000) << QRect(0, 0, 4000, 2800) << 2800.0 / 6000 << QPointF(2000, 1400)
        << QPointF(-4000, -3000) << QPointF(2000 - 4000 * 2800.0 / 6000, 0);
    // The half width is truncated: -500, not -500.5.
    QTest::newRow("odd window width truncated")
        << QSize(1001, 800) << QRect(0, 0, 4000, 2800) << 3.5 << QPointF(2000, 1400) << QPointF(-500, -400)
        << QPointF(250, 0);
    QTest::newRow("odd window height truncated")
        << QSize(1000, 801) << QRect(0, 0, 4000, 2800) << 2800.0 / 801 << QPointF(2000, 1400)
        << QPointF(-500, -400) << QPointF(2000 - 500 * 2800.0 / 801, 1400 - 400 * 2800.0 / 801);
    QTest::newRow("odd page size truncated")
        << QSize(1000, 800) << QRect(0, 0, 4001, 2801) << 2801.0 / 800 << QPointF(2000, 1400)
        << QPointF(-500, -400) << QPointF(2000 - 500 * 2801.0 / 800, 1400 - 400 * 2801.0 / 800);
    // A4 landscape at 1200 dpi inside margins of 14 and 28 points, with the window's default size.
    QTest::newRow("page rect away from the origin")
        << QSize(996, 735) << QRect(233, 233, 13333, 9217) << 9217.0 / 735 << QPointF(6899, 4841)
        << QPointF(-498, -367) << QPointF(6899 - 498 * 9217.0 / 735, 4841 - 367 * 9217.0 / 735);
}

void TestPageLayout::fitsWindowOntoPage()
{
    QFETCH(QSize, window);
    QFETCH(QRect, pageRect);
    QFETCH(double, scale);
    QFETCH(QPointF, pageCentre);
    QFETCH(QPointF, windowOffset);
    QFETCH(QPointF, windowOrigin);

    const PageFit fit = fitWindowToPage(window, pageRect);

    QCOMPARE(fit.scale, scale);
    QCOMPARE(fit.pageCentre, pageCentre);
    QCOMPARE(fit.windowOffset, windowOffset);
    QCOMPARE(fit.pageCentre + fit.windowOffset * fit.scale, windowOrigin);
    // Never larger than the printable area (allowing for the truncated halves).
    QVERIFY(window.width() * fit.scale <= pageRect.width() + 1e-9);
    QVERIFY(window.height() * fit.scale <= pageRect.height() + 1e-9);
}

void TestPageLayout::emptyWindowOrPageGivesNoScale_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("pageRect");

    QTest::newRow("zero-width window") << QSize(0, 800) << QRect(0, 0, 4000, 2800);
    QTest::newRow("zero-height window") << QSize(1000, 0) << QRect(0, 0, 4000, 2800);
    QTest::newRow("invalid window size") << QSize() << QRect(0, 0, 4000, 2800);
    QTest::newRow("empty page rect") << QSize(1000, 800) << QRect();
    QTest::newRow("zero-height page rect") << QSize(1000, 800) << QRect(10, 10, 4000, 0);
}

void TestPageLayout::emptyWindowOrPageGivesNoScale()
{
    QFETCH(QSize, window);
    QFETCH(QRect, pageRect);

    const PageFit fit = fitWindowToPage(window, pageRect);

    // Dividing by the zero extent would give infinity or not-a-number, which the painter cannot use.
    QCOMPARE(fit.scale, 0.0);
    QVERIFY(qIsFinite(fit.pageCentre.x()) && qIsFinite(fit.pageCentre.y()));
    QVERIFY(qIsFinite(fit.windowOffset.x()) && qIsFinite(fit.windowOffset.y()));
}

QTEST_APPLESS_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
