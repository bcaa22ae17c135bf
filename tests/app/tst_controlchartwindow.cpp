// SPDX-License-Identifier: GPL-3.0-or-later
// The control chart window: it computes off the window's thread what steel-archive chart computes,
// keeps the plant's limits in the settings, prints and saves the chart, refuses the archive as a
// place to save it, and a click on a point asks for that melt.
#include "app/controlchartwindow.h"
#include "app/spreadsheetsaving.h"
#include "plot/controlchartplot.h"
#include "windowfixture.h"

#include "mainwindow.h"

#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

bool startsWith(const QString &path, const QByteArray &start)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(start.size()) == start;
}

// The sheets and texts of a spreadsheet as unzip gives them (the book's own dates left aside).
QByteArray sheetsOf(const QString &path)
{
    QByteArray sheets;
    for (const char *member :
         {"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/sharedStrings.xml"}) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QString::fromLatin1(member)});
        unzip.waitForFinished(60000);
        sheets += unzip.readAllStandardOutput();
    }
    return sheets;
}

} // namespace

class ControlChartWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archiveDir;

    // A window on the archive, opened for K1 and computed.
    std::unique_ptr<app::ControlChartWindow> openedWindow()
    {
        auto window = std::make_unique<app::ControlChartWindow>([this] { return archiveDir; }, nullptr);
        QSignalSpy computed(window.get(), &app::ControlChartWindow::chartComputed);
        window->open(QStringLiteral("K1"), archive::Moment{QDate(2025, 1, 26), QTime(9, 0)});
        if (!computed.wait(60000))
            qWarning("the chart was not computed");
        return window;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        // The viewer's settings in a folder of the test's own, never the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           root.filePath(QStringLiteral("settings")));
        archiveDir = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(archiveDir));
        const char *const temps[] = {"1600", "1620", "nan", "1610", "1598,5", "1700"};
        for (int i = 0; i < 6; ++i)
            support::writeFile(
                archiveDir,
                QStringLiteral("steel_K1-2025_01_26-%1_00_00.json").arg(8 + i, 2, 10, QLatin1Char('0')),
                support::measurementWithMelt(QByteArray::number(41500 + i), temps[i]));
        support::writeFile(archiveDir, QStringLiteral("steel_K2-2025_01_26-08_30_00.json"),
                           support::measurementWithMelt(QByteArray::number(9), "1500"));
    }

    void computesWhatTheCommandLineComputes()
    {
        const auto window = openedWindow();
        const statistics::ChartSelection selection = window->selection();
        QCOMPARE(selection.technology, QStringLiteral("K1"));
        QCOMPARE(selection.lastMelts, std::optional<int>(100));
        const statistics::ControlChart expected = statistics::readControlChart(archiveDir, selection);
        const statistics::ControlChart &shown = window->chart();
        QCOMPARE(shown.points.size(), 5);
        QCOMPARE(shown.meltsWithoutValue, 1);
        QCOMPARE(shown.mean, expected.mean);
        QCOMPARE(shown.upperLimit, expected.upperLimit);
        QCOMPARE(shown.movingRangeUpperLimit, expected.movingRangeUpperLimit);
        const auto *status = window->findChild<QLabel *>(QStringLiteral("chartStatus"));
        QVERIFY2(status->text().contains(QStringLiteral("плавок без значения: 1")),
                 qPrintable(status->text()));
    }

    // The shift of 09:00 is 08:00 to 20:00: the K1 melts from 08:00 to 13:00.
    void periodOfTheShift()
    {
        const auto window = openedWindow();
        auto *period = window->findChild<QComboBox *>(QStringLiteral("chartPeriod"));
        QSignalSpy computed(window.get(), &app::ControlChartWindow::chartComputed);
        period->setCurrentIndex(int(app::ControlChartWindow::Period::shift));
        emit period->activated(period->currentIndex());
        QVERIFY(computed.wait(60000));
        const statistics::ChartSelection selection = window->selection();
        QCOMPARE(selection.from->time, QTime(8, 0));
        QCOMPARE(selection.to->time, QTime(20, 0));
        QCOMPARE(window->chart().points.size(), 5);
    }

    void limitsAreKeptPerTechnologyAndResult()
    {
        {
            const auto window = openedWindow();
            auto *lower = window->findChild<QLineEdit *>(QStringLiteral("lowerTolerance"));
            auto *upper = window->findChild<QLineEdit *>(QStringLiteral("upperTolerance"));
            QSignalSpy computed(window.get(), &app::ControlChartWindow::chartComputed);
            lower->setText(QStringLiteral("1590"));
            emit lower->editingFinished();
            upper->setText(QStringLiteral("1630,5"));
            emit upper->editingFinished();
            // The second limit's computation replaces the first's, which never arrives.
            QVERIFY(computed.wait(60000));
            QVERIFY(window->chart().cpk);
            QCOMPARE(window->chart().outsideTolerance, 1); // 1700
        }
        const auto again = openedWindow();
        QCOMPARE(again->selection().tolerance.lower, std::optional<double>(1590));
        QCOMPARE(again->selection().tolerance.upper, std::optional<double>(1630.5));
        QSettings settings(QStringLiteral("Velmora-Steel"), QStringLiteral("steel-viewer"));
        settings.remove(QStringLiteral("controlChart"));
    }

    void printsOneLandscapePage()
    {
        const auto window = openedWindow();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = root.filePath(QStringLiteral("printed.pdf"));
        printer.setOutputFileName(path);
        QVERIFY(window->printTo(&printer));
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
        QVERIFY(startsWith(path, "%PDF"));
        // The texts at their size in points, as on the screen and in the saved PDF: a printer's own
        // resolution once drew them many times larger.
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("no poppler to measure the texts with");
        QProcess words;
        words.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
        QVERIFY(words.waitForFinished(60000));
        const QString boxes = QString::fromUtf8(words.readAllStandardOutput());
        const QRegularExpressionMatch title =
            QRegularExpression(
                QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">Контрольная<"))
                .match(boxes);
        QVERIFY2(title.hasMatch(), qPrintable(boxes.left(2000)));
        QVERIFY(title.captured(2).toDouble() - title.captured(1).toDouble() < 20);
    }

    void saves_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("PDF") << QStringLiteral("chart.pdf") << QByteArray("%PDF");
        QTest::newRow("PNG") << QStringLiteral("chart.png") << QByteArray("\x89PNG");
        QTest::newRow("spreadsheet") << QStringLiteral("chart.xlsx") << QByteArray("PK");
    }
    void saves()
    {
        const auto window = openedWindow();
        QFETCH(QString, name);
        const QString path = root.filePath(name);
        QCOMPARE(window->saveTo(path), QString());
        QFETCH(QByteArray, start);
        QVERIFY(startsWith(path, start));
    }

    // However the archive is spelt, nothing is written into it.
    void refusesTheArchive_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("in the archive") << QStringLiteral("archive/chart.pdf");
        QTest::newRow("through ..") << QStringLiteral("archive/../archive/chart.xlsx");
        QTest::newRow("a folder below it") << QStringLiteral("archive/sub/chart.png");
    }
    void refusesTheArchive()
    {
        const auto window = openedWindow();
        QFETCH(QString, path);
        const QStringList before = QDir(archiveDir).entryList(QDir::Files);
        const QString refusal = window->saveTo(root.filePath(path));
        QVERIFY(!refusal.isEmpty());
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("chartStatus"))->text(), refusal);
        QCOMPARE(QDir(archiveDir).entryList(QDir::Files), before);
        QVERIFY(!QFileInfo(root.filePath(path)).isFile());
    }

    // The melts of the window's technology and period as find --xlsx writes them, the shown melt's
    // curves as export --xlsx does: cell for cell.
    void spreadsheetsAreTheCommandLines_data()
    {
        QTest::addColumn<bool>("curves");
        QTest::addColumn<QStringList>("command");
        QTest::newRow("melts") << false
                               << QStringList{QStringLiteral("find"), QStringLiteral("archive"),
                                              QStringLiteral("--technology"), QStringLiteral("K1")};
        QTest::newRow("curves") << true
                                << QStringList{QStringLiteral("export"),
                                               QStringLiteral("archive/steel_K1-2025_01_26-09_00_00.json")};
    }
    void spreadsheetsAreTheCommandLines()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("no unzip to read the files back with");
        const auto window = openedWindow();
        QFETCH(bool, curves);
        QFETCH(QStringList, command);
        const QString path = root.filePath(QStringLiteral("viewer.xlsx"));
        if (curves) {
            QCOMPARE(window->saveCurvesTo(path), QString());
        } else {
            // The melts are saved off the window's thread; their outcome is told when done.
            QSignalSpy saved(window.get(), &app::ControlChartWindow::meltsSaved);
            QCOMPARE(window->saveMeltsTo(path), QString());
            QVERIFY(window->isSavingMelts());
            QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, 60000);
            QCOMPARE(saved.at(0).at(0).toString(), QString());
            QVERIFY(!window->isSavingMelts());
        }
        for (QString &argument : command) {
            if (argument.startsWith(QLatin1String("archive")))
                argument = root.filePath(argument);
        }
        const QString written = root.filePath(QStringLiteral("command.xlsx"));
        const support::CommandResult result = support::runProgram(command << QStringLiteral("-o") << written,
                                                                  {QStringLiteral("LC_ALL=C.UTF-8")});
        QCOMPARE(result.exitCode, 0);
        const QByteArray expected = sheetsOf(written);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(sheetsOf(path), expected);
        // And never into the archive, in the command line's words.
        const QString refusal = curves ? window->saveCurvesTo(root.filePath(QStringLiteral("archive/c.xlsx")))
                                       : window->saveMeltsTo(root.filePath(QStringLiteral("archive/m.xlsx")));
        QVERIFY(refusal.contains(QStringLiteral("archive")));
        QVERIFY(!QFile::exists(root.filePath(QStringLiteral("archive/c.xlsx"))));
        QVERIFY(!QFile::exists(root.filePath(QStringLiteral("archive/m.xlsx"))));
    }

    void stoppedSaveWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("before"); // what the target held; empty: no file there
        QTest::newRow("no file before") << QByteArray();
        QTest::newRow("an older file stays as it was") << QByteArray("an earlier book");
    }
    void stoppedSaveWritesNothing()
    {
        QFETCH(QByteArray, before);
        const QString path = root.filePath(QStringLiteral("stopped.xlsx"));
        QFile::remove(path);
        if (!before.isEmpty())
            support::writeFile(root.path(), QStringLiteral("stopped.xlsx"), before);
        statistics::ChartSelection chosen;
        chosen.technology = QStringLiteral("K1");
        archive::ArchiveReading reading;
        reading.stopRequested = [] { return true; };
        QCOMPARE(app::saveMeltsSpreadsheet(path, archiveDir, chosen, reading), app::savingStoppedText());
        if (before.isEmpty()) {
            QVERIFY(!QFile::exists(path));
        } else {
            QFile kept(path);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), before);
        }
        QCOMPARE(
            QDir(root.path()).entryList({QStringLiteral("*stopped*")}, QDir::Files | QDir::Hidden).size(),
            before.isEmpty() ? 0 : 1);
    }

    void clickedPointAsksForItsMelt()
    {
        const auto window = openedWindow();
        auto *plot = window->findChild<plot::ControlChartPlot *>(QStringLiteral("controlChartPlot"));
        QSignalSpy chosen(window.get(), &app::ControlChartWindow::meltChosen);
        const QPoint at = plot->pointPosition(1);
        QCOMPARE(plot->pointAt(at), 1);
        QVERIFY(plot->pointText(1).contains(QStringLiteral("41501")));
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toString(), QStringLiteral("steel_K1-2025_01_26-09_00_00.json"));
    }

    // Ctrl+T in the main window opens the chart of the technology shown; a point clicked there is
    // chosen down the main window's lists.
    void openedFromTheMainWindowAndShowsTheClickedMelt()
    {
        fixture::WorkingFolder folder;
        for (int i = 0; i < 3; ++i) {
            QJsonObject m = fixture::measurement(QString::number(41600 + i));
            m.insert(QStringLiteral("Temp"), QString::number(1600 + 10 * i));
            QVERIFY(folder.addFile(QStringLiteral("steel_UKP-2025_01_2%1-10_00_00.json").arg(i),
                                   fixture::line(m), fixture::at(i)));
        }
        const std::unique_ptr<MainWindow> main = folder.openWindow();
        main->show();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        QTest::keyClick(main.get(), Qt::Key_T, Qt::ControlModifier);
        // A button's shortcut clicks it as a person sees it clicked: a moment later.
        app::ControlChartWindow *window = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            window = main->findChild<app::ControlChartWindow *>(QStringLiteral("controlChart")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isComputing(), 60000);
        QCOMPARE(window->selection().technology, QStringLiteral("UKP"));
        QCOMPARE(window->chart().points.size(), 3);
        auto *plot = window->findChild<plot::ControlChartPlot *>(QStringLiteral("controlChartPlot"));
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, plot->pointPosition(0));
        QCOMPARE(fixture::list(main.get(), "dayCombobox")->currentText(), QStringLiteral("20"));
        QCOMPARE(fixture::label(main.get(), "nameSteelSmelt")->text(), QStringLiteral("41600"));
    }
};

QTEST_MAIN(ControlChartWindowTest)
#include "tst_controlchartwindow.moc"
