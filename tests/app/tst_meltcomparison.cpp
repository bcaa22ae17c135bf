// SPDX-License-Identifier: GPL-3.0-or-later
// "Compare with…": another melt's curves beside the shown melt's, named in a legend, off until asked
// for, gone with the folder, and on the printed page as on the screen.
#include "windowfixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <qcustomplot.h>

namespace {

struct ArchiveFile
{
    const char *name;
    const char *melt;
    int modified; // fixture::at
};
using Files = QVector<ArchiveFile>;

// Each melt's temperature curve starts at a value of its own: 1000 + its last two digits.
double firstTemperature(const QString &melt)
{
    return 1000 + melt.right(2).toInt();
}

QByteArray content(const QString &melt)
{
    QJsonArray emf;
    QJsonArray temperature;
    for (int i = 0; i < 160; ++i) {
        emf.append(QString::number(20 + i * 0.25));
        temperature.append(QString::number(firstTemperature(melt) + i));
    }
    QJsonObject m = fixture::measurement(melt);
    m[QStringLiteral("Archives")] = QJsonArray{QJsonObject{{QStringLiteral("values"), emf}},
                                               QJsonObject{{QStringLiteral("values"), temperature}}};
    return fixture::line(m);
}

bool addFiles(fixture::WorkingFolder &folder, const Files &files)
{
    for (const ArchiveFile &f : files) {
        if (!folder.addFile(QLatin1String(f.name), content(QLatin1String(f.melt)), fixture::at(f.modified)))
            return false;
    }
    return true;
}

const Files twoMelts{{"steel_UKP-2025_01_26-23_29_24.json", "41521", 50},
                     {"steel_UKP-2025_01_26-22_00_00.json", "41520", 40}};

bool pressKey(MainWindow *window, Qt::KeyboardModifiers modifiers)
{
    window->show();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    QTest::keyClick(window, Qt::Key_D, modifiers);
    return true;
}

// The melt numbers the legend names, in legend order.
QStringList legendNames(QCustomPlot *plot)
{
    QStringList names;
    for (int i = 0; i < plot->graphCount(); ++i)
        names.append(plot->graph(i)->name());
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Files)

class MeltComparisonTest : public QObject
{
    Q_OBJECT

private slots:
    void previousMeltOfTheTechnology_data();
    void previousMeltOfTheTechnology();
    void offUntilAskedAndOffAgain();
    void anotherFolderEndsTheComparison();
    void printedPageShowsBothMelts();
};

void MeltComparisonTest::previousMeltOfTheTechnology_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("compared"); // empty: nothing to compare with

    QTest::newRow("written before") << twoMelts << QStringLiteral("41520");
    // The archive's rule of newest: modification time first, whatever the name says.
    QTest::newRow("name later, written earlier") << Files{{"steel_UKP-2025_01_26-23_29_24.json", "41521", 50},
                                                          {"steel_UKP-2025_01_26-23_00_00.json", "41520", 20},
                                                          {"steel_UKP-2025_01_26-21_00_00.json", "41519", 45}}
                                                 << QStringLiteral("41519");
    // Equal times: the name first in character order counts as the newer.
    QTest::newRow("equal times go by name") << Files{{"steel_UKP-2025_01_26-23_29_24.json", "41521", 50},
                                                     {"steel_UKP-2025_01_26-22_00_00.json", "41520", 40},
                                                     {"steel_UKP-2025_01_26-21_00_00.json", "41519", 40}}
                                            << QStringLiteral("41519");
    QTest::newRow("another month") << Files{{"steel_UKP-2025_01_26-23_29_24.json", "41521", 50},
                                            {"steel_UKP-2024_12_31-22_00_00.json", "41480", 40}}
                                   << QStringLiteral("41480");
    QTest::newRow("another technology between") << Files{{"steel_UKP-2025_01_26-23_29_24.json", "41521", 50},
                                                         {"steel_DSP-2025_01_26-23_00_00.json", "7001", 45},
                                                         {"steel_UKP-2025_01_26-20_00_00.json", "41519", 30}}
                                                << QStringLiteral("41519");
    QTest::newRow("first of its technology") << Files{{"steel_UKP-2025_01_26-23_29_24.json", "41521", 50},
                                                      {"steel_DSP-2025_01_26-23_00_00.json", "7001", 45}}
                                             << QString();
}

void MeltComparisonTest::previousMeltOfTheTechnology()
{
    QFETCH(Files, files);
    QFETCH(QString, compared);
    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, files));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QCustomPlot *plot = fixture::plot(window.get());
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("41521"));

    QVERIFY(pressKey(window.get(), Qt::ControlModifier));
    if (compared.isEmpty()) {
        QCOMPARE(plot->graphCount(), 2);
        QVERIFY(!plot->legend->visible());
        return;
    }
    QCOMPARE(plot->graphCount(), 4);
    QVERIFY(plot->legend->visible());
    // The compared melt's temperature on the left axis, its EMF on the right, after the shown melt's.
    QCOMPARE(plot->graph(2)->valueAxis(), plot->yAxis);
    QCOMPARE(plot->graph(3)->valueAxis(), plot->yAxis2);
    QCOMPARE(plot->graph(2)->data()->at(0)->value, firstTemperature(compared));
    QCOMPARE(plot->graph(0)->data()->at(0)->value, firstTemperature(QStringLiteral("41521")));
    const QStringList names = legendNames(plot);
    QVERIFY2(names.at(0).contains(QLatin1String("41521")) && names.at(2).contains(compared),
             qPrintable(names.join(QLatin1String(" | "))));
    // Lighter strokes of the same colours.
    QVERIFY(plot->graph(2)->pen().color().lightness() > plot->graph(0)->pen().color().lightness());
    QVERIFY(plot->graph(3)->pen().color().lightness() > plot->graph(1)->pen().color().lightness());
}

void MeltComparisonTest::offUntilAskedAndOffAgain()
{
    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, twoMelts));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QCustomPlot *plot = fixture::plot(window.get());
    QCOMPARE(plot->graphCount(), 2);
    QVERIFY(!plot->legend->visible());
    const QStringList panel = fixture::shownValues(window.get());

    QVERIFY(pressKey(window.get(), Qt::ControlModifier));
    QCOMPARE(plot->graphCount(), 4);
    QCOMPARE(fixture::shownValues(window.get()), panel); // the panel stays the shown melt's

    // The compared melt stays while another melt is chosen; the legend names the one shown now.
    QComboBox *times = fixture::list(window.get(), "timeSteel");
    times->setCurrentIndex(times->findText(QStringLiteral("22:00:00")));
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("41520"));
    QCOMPARE(plot->graphCount(), 4);
    QVERIFY(plot->graph(0)->name().contains(QLatin1String("41520")));

    auto *off = window->findChild<QAction *>(QStringLiteral("compareOff"));
    QVERIFY(off && off->isEnabled());
    off->trigger();
    QCOMPARE(plot->graphCount(), 2);
    QVERIFY(!plot->legend->visible());
    QVERIFY(!off->isEnabled());
}

void MeltComparisonTest::anotherFolderEndsTheComparison()
{
    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, twoMelts));
    const QString other = folder.path() + QStringLiteral("/other");
    QVERIFY(QDir().mkpath(other));
    QVERIFY(folder.addFileIn(other, QLatin1String(twoMelts[0].name), content(QStringLiteral("41521")),
                             fixture::at(50)));
    QVERIFY(folder.addFileIn(other, QLatin1String(twoMelts[1].name), content(QStringLiteral("41520")),
                             fixture::at(40)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QCustomPlot *plot = fixture::plot(window.get());
    QVERIFY(pressKey(window.get(), Qt::ControlModifier));
    QCOMPARE(plot->graphCount(), 4);

    // The same folder read again keeps it; another folder's melts are not compared with this one's.
    window->refresh();
    QCOMPARE(plot->graphCount(), 4);
    fixture::typePath(window.get(), other);
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("41521"));
    QCOMPARE(plot->graphCount(), 2);
    QVERIFY(!plot->legend->visible());
}

void MeltComparisonTest::printedPageShowsBothMelts()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("the page is read with poppler's pdftoppm, a Linux program");
    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, twoMelts));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QVERIFY(pressKey(window.get(), Qt::ControlModifier));
    QCOMPARE(fixture::plot(window.get())->graphCount(), 4);

    const QString pdf = folder.path() + QStringLiteral("/page.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(QMetaObject::invokeMethod(window.get(), "printArch", Q_ARG(QPrinter *, &printer)));
    }
    QProcess raster;
    raster.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"),
                  QStringLiteral("-singlefile"), pdf, folder.path() + QStringLiteral("/page")});
    QVERIFY(raster.waitForFinished(60000));
    const QImage page(folder.path() + QStringLiteral("/page.png"));
    QVERIFY(!page.isNull());
    // The shown melt's temperature colour and the compared melt's lighter one are both on paper.
    const auto near = [](QRgb pixel, int r, int g, int b) {
        return std::abs(qRed(pixel) - r) < 16 && std::abs(qGreen(pixel) - g) < 16 &&
               std::abs(qBlue(pixel) - b) < 16;
    };
    int shown = 0;
    int compared = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb pixel = page.pixel(x, y);
            shown += near(pixel, 232, 76, 61);
            compared += near(pixel, 243, 165, 158);
        }
    }
    QVERIFY2(shown > 50 && compared > 50, qPrintable(QStringLiteral("%1 %2").arg(shown).arg(compared)));
}

QTEST_MAIN(MeltComparisonTest)
#include "tst_meltcomparison.moc"
