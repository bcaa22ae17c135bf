// SPDX-License-Identifier: GPL-3.0-or-later
// What the window shows, and so prints, always belongs to what the four lists select: after every
// step of the cascade that leaves no measurement selected, and after a load or a listing that fails,
// the plot is drawn empty and the values panel shows its empty texts.
#include "app/cascade.h"
#include "support/files.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <qcustomplot.h>

#include <memory>

namespace {

enum class Step
{
    placeholderTechnology,
    otherTechnology,
    otherMonth,
    otherDay,
    removedFileChosen,
    missingFolder,
    emptyFolder,
    unreadableFolder,
    fileAsFolder,
};

// The work area as printing draws it (printing scales this same rendering onto the page).
QImage sheet(MainWindow *window)
{
    QWidget *workArea = window->findChild<QWidget *>(QStringLiteral("frame_2"));
    QImage image(workArea->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    workArea->render(&painter, QPoint(0, 0), QRegion(),
                     QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

// Pixels of the temperature curve's red inside the plot's axes on the sheet (the red axis title lies
// outside them).
int curvePixels(MainWindow *window)
{
    QCustomPlot *plot = fixture::plot(window);
    const QImage image = sheet(window);
    const QPoint plotCorner =
        plot->mapTo(window->findChild<QWidget *>(QStringLiteral("frame_2")), QPoint(0, 0));
    const QRect area = plot->axisRect()->rect().translated(plotCorner);
    int found = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.red() > 200 && colour.green() < 120 && colour.blue() < 120)
                ++found;
        }
    }
    return found;
}

// The newest measurement, melt 41521, another of its day, one of an older day and month each, and
// one of another technology; every one with a temperature to find on the sheet.
bool addArchive(fixture::WorkingFolder &folder)
{
    const struct
    {
        const char *name;
        const char *melt;
        int seconds;
    } files[] = {{"steel_UKP-2025_01_26-23_29_24.json", "41521", 100},
                 {"steel_UKP-2025_01_26-20_00_00.json", "41519", 90},
                 {"steel_UKP-2025_01_20-10_00_00.json", "41400", 80},
                 {"steel_UKP-2024_12_30-10_00_00.json", "41100", 70},
                 {"steel_DSP-2025_01_25-10_00_00.json", "7001", 60}};
    for (const auto &file : files) {
        QJsonObject values = fixture::measurement(QLatin1String(file.melt));
        values.insert(QStringLiteral("Temp"), QStringLiteral("1569.25"));
        if (!folder.addFile(QLatin1String(file.name), fixture::line(values), fixture::at(file.seconds)))
            return false;
    }
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Step)

class ShownMeasurementTest : public QObject
{
    Q_OBJECT

private slots:
    void sheetAfterStep_data();
    void sheetAfterStep();
};

void ShownMeasurementTest::sheetAfterStep_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<bool>("pathMarked"); // the path field says what is wrong with the folder
    QTest::addColumn<QString>("status");  // and the status field of the empty sheet

    const QString unmarked = QStringLiteral("СТАТУС");
    QTest::newRow("placeholder technology") << Step::placeholderTechnology << false << unmarked;
    QTest::newRow("another technology") << Step::otherTechnology << false << unmarked;
    QTest::newRow("another month") << Step::otherMonth << false << unmarked;
    QTest::newRow("another day") << Step::otherDay << false << unmarked;
    QTest::newRow("time of a removed file") << Step::removedFileChosen << false << unmarked;
    QTest::newRow("missing folder") << Step::missingFolder << true << QStringLiteral("Папка не найдена");
    QTest::newRow("empty folder") << Step::emptyFolder << true << QStringLiteral("Папка пуста");
    QTest::newRow("unreadable folder")
        << Step::unreadableFolder << true << QStringLiteral("Нет доступа к папке");
    QTest::newRow("a file typed as the folder")
        << Step::fileAsFolder << true << QStringLiteral("Это не папка");
}

void ShownMeasurementTest::sheetAfterStep()
{
    QFETCH(Step, step);
    QFETCH(bool, pathMarked);
    QFETCH(QString, status);
    if (step == Step::unreadableFolder && support::readsUnreadableFiles())
        QSKIP("the superuser reads every folder");

    // GIVEN the newest UKP melt on show; DSP, an older month and an older day beside it
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    const QString empty = folder.path() + QStringLiteral("/empty");
    QVERIFY(QDir().mkpath(empty));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCustomPlot *plot = fixture::plot(window.get());
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("41521"));
    QVERIFY(curvePixels(window.get()) > 50);

    // WHEN the step is taken
    switch (step) {
    case Step::placeholderTechnology:
        fixture::list(window.get(), "comboSteelTech")->setCurrentIndex(0);
        break;
    case Step::otherTechnology:
        QVERIFY(
            cascade::selectExactText(fixture::list(window.get(), "comboSteelTech"), QStringLiteral("DSP")));
        break;
    case Step::otherMonth:
        fixture::list(window.get(), "yearMonthCombobox")->setCurrentIndex(2);
        break;
    case Step::otherDay:
        fixture::list(window.get(), "dayCombobox")->setCurrentIndex(2);
        break;
    case Step::removedFileChosen:
        QVERIFY(QFile::remove(folder.archivePath() + QStringLiteral("/steel_UKP-2025_01_26-20_00_00.json")));
        fixture::list(window.get(), "timeSteel")->setCurrentIndex(2);
        break;
    case Step::missingFolder:
        fixture::typePath(window.get(), folder.path() + QStringLiteral("/missing"));
        break;
    case Step::emptyFolder:
        fixture::typePath(window.get(), empty);
        break;
    case Step::unreadableFolder:
        QVERIFY(QFile::setPermissions(empty, QFileDevice::Permissions()));
        fixture::typePath(window.get(), empty);
        QVERIFY(QFile::setPermissions(empty, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner));
        break;
    case Step::fileAsFolder:
        fixture::typePath(window.get(),
                          folder.archivePath() + QStringLiteral("/steel_UKP-2025_01_26-23_29_24.json"));
        break;
    }

    // THEN the plot is drawn empty and the panel shows its empty texts, on screen and on paper
    QCOMPARE(plot->graphCount(), 0);
    QVERIFY(!plot->yAxis2->visible());
    QCOMPARE(curvePixels(window.get()), 0);
    QStringList emptySheet = fixture::emptyValues();
    emptySheet.last() = status;
    QCOMPARE(fixture::shownValues(window.get()), emptySheet);
    // and a folder that cannot be listed, or lists nothing, is said in the path field, without a dialog
    QLineEdit *path = fixture::pathField(window.get());
    QCOMPARE(!path->toolTip().isEmpty(), pathMarked);
    QCOMPARE(path->palette().color(QPalette::Base) != window->palette().color(QPalette::Base), pathMarked);
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(ShownMeasurementTest)
#include "tst_shownmeasurement.moc"
