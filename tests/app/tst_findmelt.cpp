// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+F: a melt number and Return list that melt's measurements newest first, from the same search
// and index as find --melt; Return on one (or a double click) chooses it down the window's lists.
#include "app/findmeltdialog.h"
#include "archive/archivereader.h"
#include "windowfixture.h"

#include "support/documents.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

struct Melt
{
    const char *name;
    const char *melt;
    const char *temperature;
    int seconds; // modification time
};

// Three measurements of melt 41521 under two technologies (one named in Russian, as plants name
// theirs) and days, others beside them.
const Melt archiveFiles[] = {
    {"steel_UKP-2025_01_26-23_29_24.json", "41521", "1569", 50},
    {"steel_ДСП-2025_01_26-20_10_00.json", "41521", "1602.5", 40},
    {"steel_UKP-2025_01_24-08_00_00.json", "41521", "nan", 30},
    {"steel_UKP-2025_01_26-22_00_00.json", "41520", "1570", 60},
    {"steel_UKP-2025_01_25-22_00_00.json", "7", "1580", 10},
};

QStringList rowsOf(const QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(
            QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class FindMeltTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void find_data();
    void find();
    void columnsAreHeadedInRussianWhateverTheLocale();
    void chosenMeasurementIsSelectedDownTheLists();
    void newSearchReplacesOneStillRunning();

private:
    std::unique_ptr<MainWindow> openArchive(fixture::WorkingFolder &folder);
    app::FindMeltDialog *openFinder(MainWindow *window);
};

void FindMeltTest::initTestCase()
{
    // Files written a moment ago go into the index too, so that the second search reads from it.
    archive::setIndexSettleMilliseconds(0);
}

std::unique_ptr<MainWindow> FindMeltTest::openArchive(fixture::WorkingFolder &folder)
{
    for (const Melt &file : archiveFiles) {
        QJsonObject values = fixture::measurement(QLatin1String(file.melt));
        values.insert(QStringLiteral("Temp"), QLatin1String(file.temperature));
        if (!folder.addFile(QString::fromUtf8(file.name), fixture::line(values), fixture::at(file.seconds)))
            return nullptr;
    }
    return folder.openWindow();
}

app::FindMeltDialog *FindMeltTest::openFinder(MainWindow *window)
{
    window->show();
    if (!QTest::qWaitForWindowActive(window))
        return nullptr;
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier);
    auto *finder = window->findChild<app::FindMeltDialog *>(QStringLiteral("findMelt"));
    if (!finder || !QTest::qWaitForWindowActive(finder))
        return nullptr;
    return finder;
}

void FindMeltTest::find_data()
{
    QTest::addColumn<QString>("melt");
    QTest::addColumn<QStringList>("rows"); // technology|moment|temperature|status, newest first
    QTest::addColumn<QString>("status");   // a text the status line holds afterwards

    const QString present = QStringLiteral("ЕСТЬ ПЛ.");
    QTest::newRow("several measurements, newest first")
        << QStringLiteral("41521")
        << QStringList{"UKP|26.01.2025 23:29:24|1569|" + present, "ДСП|26.01.2025 20:10:00|1602.5|" + present,
                       "UKP|24.01.2025 08:00:00|" + fixture::noData + "|" + present}
        << QStringLiteral("Измерений: 3");
    // find --melt lists every number that holds the text; the window is asked for one melt.
    QTest::newRow("that melt only, not the numbers that hold it")
        << QStringLiteral("4152") << QStringList() << QStringLiteral("нет");
    QTest::newRow("spaces around the number aside")
        << QStringLiteral(" 7 ") << QStringList{"UKP|25.01.2025 22:00:00|1580|" + present}
        << QStringLiteral("Измерений: 1");
    QTest::newRow("none") << QStringLiteral("99999") << QStringList() << QStringLiteral("нет");
}

void FindMeltTest::find()
{
    QFETCH(QString, melt);
    QFETCH(QStringList, rows);
    QFETCH(QString, status);

    // GIVEN a window on an archive whose index is still empty
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openArchive(folder);
    QVERIFY(window);
    app::FindMeltDialog *finder = openFinder(window.get());
    QVERIFY(finder);
    QTRY_VERIFY(finder->isVisible());
    auto *field = finder->findChild<QLineEdit *>(QStringLiteral("meltNumber"));
    auto *list = finder->findChild<QTreeWidget *>(QStringLiteral("foundMeasurements"));
    auto *statusLine = finder->findChild<QLabel *>(QStringLiteral("searchStatus"));
    auto *progress = finder->findChild<QProgressBar *>(QStringLiteral("searchProgress"));
    QVERIFY(field && list && statusLine && progress);
    QTRY_VERIFY(field->hasFocus());

    // WHEN the melt is typed and Return pressed: once with no index, once from the index it filled
    for (const char *run : {"no index", "from the index"}) {
        QTest::keyClicks(field, melt);
        QTest::keyClick(field, Qt::Key_Return);
        // THEN the melt's measurements are listed newest first, and the search is over
        QTRY_VERIFY2(!progress->isVisible(), run);
        QCOMPARE(rowsOf(list), rows);
        QVERIFY2(statusLine->text().contains(status), qPrintable(statusLine->text()));
        field->clear();
    }
    // The window itself stayed as it was: the newest measurement on show.
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("41520"));
}

void FindMeltTest::columnsAreHeadedInRussianWhateverTheLocale()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openArchive(folder);
    QVERIFY(window);
    app::FindMeltDialog *finder = openFinder(window.get());
    QVERIFY(finder);
    const QTreeWidgetItem *header =
        finder->findChild<QTreeWidget *>(QStringLiteral("foundMeasurements"))->headerItem();
    QStringList headings;
    for (int column = 0; column < header->columnCount(); ++column)
        headings.append(header->text(column));
    QCOMPARE(headings, (QStringList{QStringLiteral("Технология"), QStringLiteral("Дата и время"),
                                    QStringLiteral("Температура, °С"), QStringLiteral("Статус")}));
}

void FindMeltTest::chosenMeasurementIsSelectedDownTheLists()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openArchive(folder);
    QVERIFY(window);
    app::FindMeltDialog *finder = openFinder(window.get());
    QVERIFY(finder);
    auto *field = finder->findChild<QLineEdit *>(QStringLiteral("meltNumber"));
    auto *list = finder->findChild<QTreeWidget *>(QStringLiteral("foundMeasurements"));
    QTest::keyClicks(field, QStringLiteral("41521"));
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_COMPARE(list->topLevelItemCount(), 3);
    QTRY_VERIFY(!finder->findChild<QProgressBar *>(QStringLiteral("searchProgress"))->isVisible());

    // Return on the second one, reached with the arrow keys from the field
    QTest::keyClick(field, Qt::Key_Down);
    QVERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(fixture::list(window.get(), "comboSteelTech")->currentText(), QStringLiteral("ДСП"));
    QCOMPARE(fixture::list(window.get(), "yearMonthCombobox")->currentText(), QStringLiteral("2025.01"));
    QCOMPARE(fixture::list(window.get(), "dayCombobox")->currentText(), QStringLiteral("26"));
    QCOMPARE(fixture::list(window.get(), "timeSteel")->currentText(), QStringLiteral("20:10:00"));
    QCOMPARE(fixture::label(window.get(), "steelTemp")->text(), QStringLiteral("1602.5"));

    // a double click on the third one, an older day of the first technology
    QTreeWidgetItem *third = list->topLevelItem(2);
    const QRect cell = list->visualItemRect(third);
    // As a double click comes from the system: a press and release, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QCOMPARE(fixture::list(window.get(), "comboSteelTech")->currentText(), QStringLiteral("UKP"));
    QCOMPARE(fixture::list(window.get(), "dayCombobox")->currentText(), QStringLiteral("24"));
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("41521"));
    QCOMPARE(fixture::label(window.get(), "steelTemp")->text(), fixture::noData);
}

void FindMeltTest::newSearchReplacesOneStillRunning()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openArchive(folder);
    QVERIFY(window);
    app::FindMeltDialog *finder = openFinder(window.get());
    QVERIFY(finder);
    auto *field = finder->findChild<QLineEdit *>(QStringLiteral("meltNumber"));
    auto *list = finder->findChild<QTreeWidget *>(QStringLiteral("foundMeasurements"));
    auto *progress = finder->findChild<QProgressBar *>(QStringLiteral("searchProgress"));

    // Return twice before the first search can have delivered anything (nothing is processed between)
    QTest::keyClicks(field, QStringLiteral("41520"));
    QTest::keyClick(field, Qt::Key_Return);
    field->clear();
    QTest::keyClicks(field, QStringLiteral("7"));
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!progress->isVisible());
    // Only the second search's row ("7" is part of no other melt number here); the first search's
    // result never arrives.
    QCOMPARE(rowsOf(list), QStringList{"UKP|25.01.2025 22:00:00|1580|ЕСТЬ ПЛ."});
}

QTEST_MAIN(FindMeltTest)
#include "tst_findmelt.moc"
