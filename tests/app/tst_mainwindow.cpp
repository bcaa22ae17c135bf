// SPDX-License-Identifier: GPL-3.0-or-later
// The window class itself: its slot table, the start-up with the default archive directory, and the
// event filter that keeps the plot display-only.
#include "windowfixture.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>
#include <qcustomplot.h>

#include <memory>

Q_DECLARE_METATYPE(QEvent::Type)

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void slotTableOrderAndSignatures();
    void noSignalsPropertiesOrClassInfo();

    void defaultArchiveDirectoryIsWorkingDirectoryPlusArchive();
    void refreshListsTheStoredDirectoryNotTheTypedOne();
    void startWithoutArchiveFolderShowsOnlyPlaceholders();
    void startWithArchiveShowsNewestMeasurement();

    void filterConsumesPlotEvents_data();
    void filterConsumesPlotEvents();
    void filterLeavesOtherWidgetsAlone_data();
    void filterLeavesOtherWidgetsAlone();
    void mouseAndWheelOverPlotChangeNoRange();
    void resizeStillReachesThePlot();
    void paintStillReachesThePlot();
    void otherWidgetsStillGetTheirInput();
};

void MainWindowTest::initTestCase()
{
    // The plot's mouse signals carry the event; the spies below need to know the types.
    qRegisterMetaType<QMouseEvent *>("QMouseEvent*");
    qRegisterMetaType<QWheelEvent *>("QWheelEvent*");
}

void MainWindowTest::slotTableOrderAndSignatures()
{
    const QMetaObject &meta = MainWindow::staticMetaObject;
    QCOMPARE(QByteArray(meta.className()), QByteArray("MainWindow"));
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);

    const QByteArrayList expected = {
        "on_comboSteelTech_currentIndexChanged(QString)",
        "on_timeSteel_currentIndexChanged(QString)",
        "on_pushButton_clicked()",
        "on_refreshButton_clicked()",
        "on_pathToDir_editingFinished()",
        "on_yearMonthCombobox_currentIndexChanged(QString)",
        "on_dayCombobox_currentIndexChanged(QString)",
        "on_print_clicked()",
        "printArch(QPrinter*)",
        "on_chartButton_clicked()",
        "on_compareWithPrevious_triggered()",
        "on_compareWithFound_triggered()",
        "on_compareOff_triggered()",
        "eventFilter(QObject*,QEvent*)",
    };
    QCOMPARE(meta.methodCount() - meta.methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodSignature(), expected.at(i));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        const bool isFilter = method.name() == "eventFilter";
        QCOMPARE(method.returnType(), isFilter ? int(QMetaType::Bool) : int(QMetaType::Void));
    }
    // The list slots receive the text of the new entry as "arg1".
    const QMetaMethod first = meta.method(meta.methodOffset());
    QCOMPARE(first.parameterNames(), QByteArrayList{"arg1"});
}

void MainWindowTest::noSignalsPropertiesOrClassInfo()
{
    const QMetaObject &meta = MainWindow::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        QVERIFY(meta.method(i).methodType() != QMetaMethod::Signal);
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.constructorCount(), 0);
}

void MainWindowTest::defaultArchiveDirectoryIsWorkingDirectoryPlusArchive()
{
    fixture::WorkingFolder folder(false);
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    // Absolute, shown with the system's own separators.
    QCOMPARE(fixture::pathField(window.get())->text(),
             QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/archive")));
}

void MainWindowTest::refreshListsTheStoredDirectoryNotTheTypedOne()
{
    // GIVEN a window started on the default archive, and another archive elsewhere
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"),
                           fixture::line(fixture::measurement(QStringLiteral("1"))), fixture::at(0)));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("other")));
    QVERIFY(folder.addFileIn(folder.path() + QStringLiteral("/other"),
                             QStringLiteral("steel_Z9-2020_01_01-00_00_00.json"),
                             fixture::line(fixture::measurement(QStringLiteral("2"))), fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();

    // WHEN the field shows the other folder without its editing being finished, and refresh is pressed
    fixture::pathField(window.get())->setText(folder.path() + QStringLiteral("/other"));
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);

    // THEN the technologies still come from the stored default directory
    QCOMPARE(fixture::entries(fixture::list(window.get(), "comboSteelTech")),
             (QStringList{fixture::choose, QStringLiteral("K1")}));
}

void MainWindowTest::startWithoutArchiveFolderShowsOnlyPlaceholders()
{
    fixture::WorkingFolder folder(false);
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"}) {
        QComboBox *list = fixture::list(window.get(), name);
        QCOMPARE(fixture::entries(list), QStringList{fixture::choose});
        QCOMPARE(list->currentIndex(), 0);
    }
    const QString noData = fixture::noData;
    // The empty sheet is no melt "1", and its status says why it is empty.
    QCOMPARE(fixture::shownValues(window.get()),
             (QStringList{QStringLiteral("—"), noData, noData, noData, noData, noData,
                          QStringLiteral("Папка не найдена")}));
    QVERIFY(!fixture::pathField(window.get())->toolTip().isEmpty());
    QCOMPARE(fixture::plot(window.get())->graphCount(), 0);
}

void MainWindowTest::startWithArchiveShowsNewestMeasurement()
{
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"),
                           fixture::line(fixture::measurement(QStringLiteral("111"))), fixture::at(10)));
    QVERIFY(folder.addFile(QStringLiteral("steel_K1-2019_03_07-09_00_00.json"),
                           fixture::line(fixture::measurement(QStringLiteral("222"))), fixture::at(5)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();

    QCOMPARE(fixture::list(window.get(), "timeSteel")->currentText(), QStringLiteral("14:05:09"));
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("111"));
    QCOMPARE(fixture::plot(window.get())->graphCount(), 2);
}

void MainWindowTest::filterConsumesPlotEvents_data()
{
    QTest::addColumn<QEvent::Type>("type");
    const std::pair<const char *, QEvent::Type> rows[] = {
        {"mouse press", QEvent::MouseButtonPress},
        {"mouse release", QEvent::MouseButtonRelease},
        {"mouse move", QEvent::MouseMove},
        {"double click", QEvent::MouseButtonDblClick},
        {"wheel", QEvent::Wheel},
        {"key press", QEvent::KeyPress},
        {"key release", QEvent::KeyRelease},
        {"focus in", QEvent::FocusIn},
        {"enter", QEvent::Enter},
        {"leave", QEvent::Leave},
        {"tool tip", QEvent::ToolTip},
        {"context menu", QEvent::ContextMenu},
        {"show", QEvent::Show},
        {"hide", QEvent::Hide},
        {"deferred call", QEvent::MetaCall},
    };
    for (const auto &row : rows)
        QTest::newRow(row.first) << row.second;
}

void MainWindowTest::filterConsumesPlotEvents()
{
    QFETCH(QEvent::Type, type);
    fixture::WorkingFolder folder(false);
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QObject *filter = window.get(); // eventFilter is public on QObject, which is how the toolkit calls it
    QEvent event(type);
    QVERIFY(filter->eventFilter(fixture::plot(window.get()), &event));
}

void MainWindowTest::filterLeavesOtherWidgetsAlone_data()
{
    QTest::addColumn<QString>("watched");
    QTest::addColumn<QEvent::Type>("type");
    for (const char *name : {"pathToDir", "comboSteelTech", "frame_2", "steelTemp"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 mouse press").arg(QLatin1String(name))))
            << QString::fromLatin1(name) << QEvent::MouseButtonPress;
        QTest::newRow(qPrintable(QStringLiteral("%1 key press").arg(QLatin1String(name))))
            << QString::fromLatin1(name) << QEvent::KeyPress;
        QTest::newRow(qPrintable(QStringLiteral("%1 wheel").arg(QLatin1String(name))))
            << QString::fromLatin1(name) << QEvent::Wheel;
    }
    // The plot itself may still paint and follow the window's size.
    QTest::newRow("plot paint") << QStringLiteral("customPlotSteel") << QEvent::Paint;
    QTest::newRow("plot resize") << QStringLiteral("customPlotSteel") << QEvent::Resize;
}

void MainWindowTest::filterLeavesOtherWidgetsAlone()
{
    QFETCH(QString, watched);
    QFETCH(QEvent::Type, type);
    fixture::WorkingFolder folder(false);
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QObject *filter = window.get();
    QWidget *target = window->findChild<QWidget *>(watched);
    QVERIFY(target);
    QEvent event(type);
    QVERIFY(!filter->eventFilter(target, &event));
}

namespace {

// A shown window with one measurement on the plot; the plot is made draggable and zoomable so
// that any mouse event that got through would move a range.
struct ShownMeasurement
{
    ShownMeasurement()
    {
        QVERIFY(folder.addFile(QStringLiteral("steel_K1-2019_03_07-14_05_09.json"),
                               fixture::line(fixture::measurement(QStringLiteral("1"))), fixture::at(0)));
        window = folder.openWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        plot = fixture::plot(window.get());
        plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom | QCP::iSelectPlottables);
    }

    fixture::WorkingFolder folder;
    std::unique_ptr<MainWindow> window;
    QCustomPlot *plot = nullptr;
};

} // namespace

void MainWindowTest::mouseAndWheelOverPlotChangeNoRange()
{
    ShownMeasurement shown;
    QCustomPlot *plot = shown.plot;
    QVERIFY(plot);
    const QCPRange keys = plot->xAxis->range();
    const QCPRange temperatures = plot->yAxis->range();
    const QCPRange emf = plot->yAxis2->range();
    QSignalSpy presses(plot, &QCustomPlot::mousePress);
    QSignalSpy moves(plot, &QCustomPlot::mouseMove);
    QSignalSpy releases(plot, &QCustomPlot::mouseRelease);
    QSignalSpy wheels(plot, &QCustomPlot::mouseWheel);
    QSignalSpy doubleClicks(plot, &QCustomPlot::mouseDoubleClick);

    const QPoint centre = plot->axisRect()->rect().center();
    QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(plot, centre + QPoint(80, 60));
    QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, centre + QPoint(80, 60));
    QTest::mouseDClick(plot, Qt::LeftButton, Qt::NoModifier, centre);
    QWheelEvent wheel(QPointF(centre), QPointF(plot->mapToGlobal(centre)), QPoint(), QPoint(0, 360),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(plot, &wheel);

    QCOMPARE(presses.count(), 0);
    QCOMPARE(moves.count(), 0);
    QCOMPARE(releases.count(), 0);
    QCOMPARE(wheels.count(), 0);
    QCOMPARE(doubleClicks.count(), 0);
    QCOMPARE(plot->xAxis->range(), keys);
    QCOMPARE(plot->yAxis->range(), temperatures);
    QCOMPARE(plot->yAxis2->range(), emf);
}

void MainWindowTest::resizeStillReachesThePlot()
{
    ShownMeasurement shown;
    QCustomPlot *plot = shown.plot;
    QVERIFY(plot);
    QSignalSpy replots(plot, &QCustomPlot::afterReplot);
    // A visible widget gets its resize event at once; the plot answers it by a replot.
    plot->resize(plot->width() - 40, plot->height() - 30);
    QCOMPARE(plot->viewport(), plot->rect());
    QVERIFY(replots.count() >= 1);
}

void MainWindowTest::paintStillReachesThePlot()
{
    ShownMeasurement shown;
    QCustomPlot *plot = shown.plot;
    QVERIFY(plot);
    // The plot's picture reaches the screen only through its paint events: with them swallowed the
    // grab would show the bare background without the red temperature curve.
    const QImage picture = plot->grab().toImage();
    int red = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor colour = picture.pixelColor(x, y);
            if (colour.red() > 200 && colour.green() < 120 && colour.blue() < 120)
                ++red;
        }
    }
    QVERIFY2(red > 50, qPrintable(QStringLiteral("%1 red pixels").arg(red)));
}

void MainWindowTest::otherWidgetsStillGetTheirInput()
{
    fixture::WorkingFolder folder(false);
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QLineEdit *field = fixture::pathField(window.get());
    field->clear();
    QTest::keyClicks(field, QStringLiteral("abc"));
    QCOMPARE(field->text(), QStringLiteral("abc"));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
