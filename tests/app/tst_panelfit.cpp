// SPDX-License-Identifier: GPL-3.0-or-later
// Every text of the values panel, the four column captions and the lists' entries shown whole: at
// the window's default size and at the least size it allows, for the texts measurements bring. CTest
// runs this suite at several screen scales (QT_SCALE_FACTOR, and a font resolution of 144 dpi).
#include "app/screenscaling.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QJsonObject>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <memory>

namespace {

const char *const columnCaptions[] = {"label_58", "label_53", "label_54", "label_51"};

// Where a label's text fails to fit its own rectangle, or the empty text.
QString cutText(const QLabel *label)
{
    const QFontMetrics metrics = label->fontMetrics();
    const QRect room =
        label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
    const QRect text = metrics.boundingRect(room, int(label->alignment()), label->text());
    if (room.contains(text) || label->text().isEmpty())
        return QString();
    return QStringLiteral("%1 \"%2\": text %3x%4 in %5x%6")
        .arg(label->objectName(), label->text())
        .arg(text.width())
        .arg(text.height())
        .arg(room.width())
        .arg(room.height());
}

// Where two parts of the panel overlap, or a part reaches outside the panel.
QString overlap(const QWidget *panel)
{
    const QList<QLabel *> labels = panel->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    for (const QLabel *a : labels) {
        if (!panel->rect().contains(a->geometry()))
            return a->objectName() + QStringLiteral(" reaches outside the panel");
        for (const QLabel *b : labels) {
            if (a != b && a->geometry().intersects(b->geometry()))
                return a->objectName() + QStringLiteral(" overlaps ") + b->objectName() +
                       QStringLiteral(" (%1,%2 %3x%4 and %5,%6 %7x%8 in %9)")
                           .arg(a->x())
                           .arg(a->y())
                           .arg(a->width())
                           .arg(a->height())
                           .arg(b->x())
                           .arg(b->y())
                           .arg(b->width())
                           .arg(b->height())
                           .arg(panel->width());
        }
    }
    return QString();
}

} // namespace

class PanelFitTest : public QObject
{
    Q_OBJECT

public:
    // Before the application object exists, as the viewer's own start does.
    static void initMain() { app::scaleWithScreen(); }

private slots:
    void initTestCase();
    void textsShownWhole_data();
    void textsShownWhole();
    void panelGrowsNoFurtherThanAThirdOfTheScreen();
};

void PanelFitTest::initTestCase()
{
    // Which scale this run is at, for whoever reads the log.
    qInfo("device pixel ratio %.2f, font resolution %.0f dpi", qApp->devicePixelRatio(),
          QGuiApplication::primaryScreen()->logicalDotsPerInch());
}

void PanelFitTest::textsShownWhole_data()
{
    QTest::addColumn<bool>("leastSize");
    QTest::addColumn<QJsonObject>("measurement"); // empty: no archive, the panel as built

    QJsonObject typical = fixture::measurement(QStringLiteral("41521"));
    typical.insert(QStringLiteral("Carbon"), QStringLiteral("0.329"));
    QJsonObject wide = fixture::measurement(QStringLiteral("Т-2025/17"));
    wide.insert(QStringLiteral("Temp"), QStringLiteral("1563.40"));
    wide.insert(QStringLiteral("Eds"), QStringLiteral("-123.456"));
    wide.insert(QStringLiteral("OxActivity"), QStringLiteral("1234.5"));
    wide.insert(QStringLiteral("Status"), QStringLiteral("99")); // "ОШИБКА"
    QJsonObject noValues = fixture::measurement(QStringLiteral("32767"));
    for (const char *key : {"Smelt", "Temp", "Eds", "OxActivity", "MassAl", "Carbon"})
        noValues.insert(QLatin1String(key), QStringLiteral("nan"));

    for (const bool least : {false, true}) {
        const char *size = least ? "least size" : "default size";
        QTest::newRow(qPrintable(QStringLiteral("%1, no archive").arg(QLatin1String(size))))
            << least << QJsonObject();
        QTest::newRow(qPrintable(QStringLiteral("%1, typical melt").arg(QLatin1String(size))))
            << least << typical;
        QTest::newRow(qPrintable(QStringLiteral("%1, wide texts").arg(QLatin1String(size)))) << least << wide;
        QTest::newRow(qPrintable(QStringLiteral("%1, no values").arg(QLatin1String(size))))
            << least << noValues;
    }
}

void PanelFitTest::textsShownWhole()
{
    QFETCH(bool, leastSize);
    QFETCH(QJsonObject, measurement);

    fixture::WorkingFolder folder(!measurement.isEmpty());
    if (!measurement.isEmpty())
        QVERIFY(folder.addFile(QStringLiteral("steel_UKP-2025_01_26-23_29_24.json"),
                               fixture::line(measurement), fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    if (leastSize)
        window->resize(1, 1); // as small as the window lets itself be made
    QTRY_VERIFY(window->layout()->geometry().size() == window->size());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);

    if (leastSize)
        QCOMPARE(window->size(), window->minimumSize());
    const QWidget *panel = window->findChild<QWidget *>(QStringLiteral("frame_6"));
    QVERIFY(panel);
    for (const QLabel *label : panel->findChildren<QLabel *>())
        QVERIFY2(cutText(label).isEmpty(), qPrintable(cutText(label)));
    const QString overlapping = overlap(panel);
    QVERIFY2(overlapping.isEmpty(), qPrintable(overlapping));
    for (const char *name : columnCaptions) {
        const QLabel *caption = fixture::label(window.get(), name);
        QVERIFY2(cutText(caption).isEmpty(), qPrintable(cutText(caption)));
    }
    // The lists' current entries are short here: none is elided, none carries a tooltip.
    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"})
        QCOMPARE(fixture::list(window.get(), name)->toolTip(), QString());
}

void PanelFitTest::panelGrowsNoFurtherThanAThirdOfTheScreen()
{
    // GIVEN one measurement whose melt number and temperature are far wider than any screen, one with
    // short texts and one with no values at all ("Нет данных", whose room the panel always keeps)
    fixture::WorkingFolder folder;
    const QString endless = QString(300, QLatin1Char('7'));
    QJsonObject wide = fixture::measurement(endless);
    wide.insert(QStringLiteral("Temp"), endless);
    QJsonObject none = fixture::measurement(QStringLiteral("nan"));
    none.insert(QStringLiteral("Temp"), QStringLiteral("nan"));
    QVERIFY(folder.addFile(QStringLiteral("steel_UKP-2025_01_26-23_29_24.json"), fixture::line(wide),
                           fixture::at(20)));
    QVERIFY(folder.addFile(QStringLiteral("steel_UKP-2025_01_26-22_00_00.json"),
                           fixture::line(fixture::measurement(QStringLiteral("41521"))), fixture::at(10)));
    QVERIFY(folder.addFile(QStringLiteral("steel_UKP-2025_01_26-21_00_00.json"), fixture::line(none),
                           fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QWidget *panel = window->findChild<QWidget *>(QStringLiteral("frame_6"));
    QComboBox *times = fixture::list(window.get(), "timeSteel");
    QLabel *melt = fixture::label(window.get(), "nameSteelSmelt");
    QLabel *temperature = fixture::label(window.get(), "steelTemp");

    // WHEN each is shown in turn
    const int wideWidth = panel->maximumWidth();
    const QStringList wideTips{melt->toolTip(), temperature->toolTip()};
    times->setCurrentIndex(2);
    QCOMPARE(melt->text(), QStringLiteral("41521"));
    const QStringList shortTips{melt->toolTip(), temperature->toolTip()};
    times->setCurrentIndex(3);
    QCOMPARE(melt->text(), fixture::noData);
    const int noDataWidth = panel->maximumWidth();

    // THEN the wide texts widened the panel by a third of the screen at most and, cut there, carry
    // their whole texts as tooltips; texts that fit carry none
    const int screenWidth = window->screen()->availableGeometry().width();
    QVERIFY2(wideWidth <= qMax(noDataWidth, screenWidth / 3),
             qPrintable(QStringLiteral("%1, %2 of %3").arg(wideWidth).arg(noDataWidth).arg(screenWidth)));
    QCOMPARE(wideTips, (QStringList{endless, endless}));
    QCOMPARE(shortTips, (QStringList{QString(), QString()}));
    QCOMPARE(melt->toolTip(), QString());
    // and nothing of the panel overlaps, however wide the texts
    times->setCurrentIndex(1);
    QTRY_VERIFY2(overlap(panel).isEmpty(), qPrintable(overlap(panel)));
}

QTEST_MAIN(PanelFitTest)
#include "tst_panelfit.moc"
