// SPDX-License-Identifier: GPL-3.0-or-later
// The four selection lists driven from outside: refresh, choices by hand, the path field and the
// directory dialog, on real archive folders.
#include "app/cascade.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <qcustomplot.h>

#include <functional>
#include <memory>

namespace {

const QString placeholder = QStringLiteral("Выбрать");

QStringList withPlaceholder(const QStringList &entries)
{
    return QStringList{placeholder} + entries;
}

// Answers the next modal dialog once it is up. The dialog runs an event loop of its own, in which
// this timer fires; it keeps looking until the dialog is there. The timer belongs to owner.
void answerNextDialog(QObject *owner, std::function<void(QDialog *)> answer)
{
    auto *timer = new QTimer(owner);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        answer(dialog);
    });
    timer->start();
}

// Files written as "name@seconds"; each file's melt number is its own name, so the values panel tells
// which file was loaded.
bool addFiles(fixture::WorkingFolder &folder, const QStringList &files)
{
    for (const QString &file : files) {
        const QString name = file.section(QLatin1Char('@'), 0, 0);
        const int seconds = file.section(QLatin1Char('@'), 1).toInt();
        if (!folder.addFile(name, fixture::line(fixture::measurement(name)), fixture::at(seconds)))
            return false;
    }
    return true;
}

QString loadedFile(const QWidget *window)
{
    return fixture::label(window, "nameSteelSmelt")->text();
}

enum class ListChange
{
    Clear,
    AddToEmpty,
    Append,
    OtherEntry,
    BeyondEnd,
    SameIndex,
    Reset
};

} // namespace

Q_DECLARE_METATYPE(ListChange)

class SelectionCascadeTest : public QObject
{
    Q_OBJECT

private slots:
    void listNotifications_data();
    void listNotifications();

    void refreshOnSingleFileArchive();
    void refreshSelectsNewest_data();
    void refreshSelectsNewest();
    void refreshOnNameWithoutMoment_data();
    void refreshOnNameWithoutMoment();
    void refreshWithoutArchiveFilesResetsListsAndEmptiesTheView_data();
    void refreshWithoutArchiveFilesResetsListsAndEmptiesTheView();

    void placeholderIsTheRussianChoose();
    void choosingPlaceholderTechnologyEmptiesLowerLists();
    void choosingTechnologyByHandFillsMonthsOnly();
    void choosingMonthAndDayByHandLoadsNothingUntilTimeIsChosen();
    void emptyMonthEntryActsAsPlaceholder();

    void returnWithUnchangedPathRefreshesBackToNewest();
    void leavingPathFieldRefreshes();
    void emptiedPathStoresEmptyDirectoryWithoutRefresh();
    void emptyPathLoadsFromWorkingDirectory();
    void browseCancelledChangesNothing();
    void browseAcceptedStoresDirectoryAndRefreshes();

private:
    std::unique_ptr<MainWindow> openFourFileArchive(fixture::WorkingFolder &folder);
};

void SelectionCascadeTest::listNotifications_data()
{
    // The cascade relies on how a selection list reports its changes; these rows pin that down.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("current");
    QTest::addColumn<ListChange>("change");
    QTest::addColumn<QStringList>("notified");
    QTest::addColumn<int>("currentAfter");

    const QStringList ab{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("remove all while one is current")
        << ab << 0 << ListChange::Clear << QStringList{QString()} << -1;
    QTest::newRow("add to an empty list")
        << QStringList() << -1 << ListChange::AddToEmpty << QStringList{QStringLiteral("a")} << 0;
    QTest::newRow("append while one is current") << ab << 1 << ListChange::Append << QStringList() << 1;
    QTest::newRow("another entry made current")
        << ab << 0 << ListChange::OtherEntry << QStringList{QStringLiteral("b")} << 1;
    QTest::newRow("index beyond the last entry")
        << ab << 0 << ListChange::BeyondEnd << QStringList{QString()} << -1;
    QTest::newRow("index already current") << ab << 1 << ListChange::SameIndex << QStringList() << 1;
    QTest::newRow("reset while one is current")
        << ab << 1 << ListChange::Reset << QStringList{QString(), placeholder} << 0;
    QTest::newRow("reset with no current entry")
        << ab << -1 << ListChange::Reset << QStringList{placeholder} << 0;
}

void SelectionCascadeTest::listNotifications()
{
    QFETCH(QStringList, entries);
    QFETCH(int, current);
    QFETCH(ListChange, change);
    QFETCH(QStringList, notified);
    QFETCH(int, currentAfter);

    QComboBox list;
    list.addItems(entries);
    list.setCurrentIndex(current);
    QSignalSpy spy(&list, SIGNAL(currentIndexChanged(QString)));
    switch (change) {
    case ListChange::Clear:
        list.clear();
        break;
    case ListChange::AddToEmpty:
        list.addItem(QStringLiteral("a"));
        break;
    case ListChange::Append:
        cascade::appendEntries(&list, {QStringLiteral("c"), QStringLiteral("d")});
        break;
    case ListChange::OtherEntry:
        list.setCurrentIndex(1);
        break;
    case ListChange::BeyondEnd:
        list.setCurrentIndex(list.count());
        break;
    case ListChange::SameIndex:
        list.setCurrentIndex(current);
        break;
    case ListChange::Reset:
        cascade::resetList(&list);
        QCOMPARE(fixture::entries(&list), QStringList{placeholder});
        break;
    }
    QStringList texts;
    for (const QList<QVariant> &arguments : qAsConst(spy))
        texts.append(arguments.at(0).toString());
    QCOMPARE(texts, notified);
    QCOMPARE(list.currentIndex(), currentAfter);
}

void SelectionCascadeTest::refreshOnSingleFileArchive()
{
    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, {QStringLiteral("steel_K1-2019_03_07-14_05_09.json@0")}));
    const std::unique_ptr<MainWindow> window = folder.openWindow();

    QCOMPARE(fixture::list(window.get(), "comboSteelTech")->currentText(), QStringLiteral("K1"));
    QCOMPARE(fixture::list(window.get(), "yearMonthCombobox")->currentText(), QStringLiteral("2019.03"));
    QCOMPARE(fixture::list(window.get(), "dayCombobox")->currentText(), QStringLiteral("07"));
    QCOMPARE(fixture::list(window.get(), "timeSteel")->currentText(), QStringLiteral("14:05:09"));
    QCOMPARE(loadedFile(window.get()), QStringLiteral("steel_K1-2019_03_07-14_05_09.json"));
    QCOMPARE(fixture::label(window.get(), "steelTemp")->text(), QStringLiteral("1563.40"));
    // The busy cursor of the refresh and of each nested scan is gone again.
    QVERIFY(!QApplication::overrideCursor());
}

void SelectionCascadeTest::refreshSelectsNewest_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("technologies");
    QTest::addColumn<QString>("technology");
    QTest::addColumn<QStringList>("months");
    QTest::addColumn<QStringList>("days");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QString>("loaded");

    QTest::newRow("technology of the newest modified file, not of the latest moment")
        << QStringList{QStringLiteral("steel_K1-2019_03_07-14_05_09.json@100"),
                       QStringLiteral("steel_K2-2020_01_01-00_00_00.json@50")}
        << QStringList{QStringLiteral("K1"), QStringLiteral("K2")} << QStringLiteral("K1")
        << QStringList{QStringLiteral("2019.03")} << QStringList{QStringLiteral("07")}
        << QStringList{QStringLiteral("14:05:09")} << QStringLiteral("steel_K1-2019_03_07-14_05_09.json");

    QTest::newRow("newest month of that technology, whatever its files' times")
        << QStringList{QStringLiteral("steel_K1-2019_02_28-10_00_00.json@100"),
                       QStringLiteral("steel_K1-2019_03_07-09_00_00.json@10"),
                       QStringLiteral("steel_K1-2019_03_07-14_05_09.json@20")}
        << QStringList{QStringLiteral("K1")} << QStringLiteral("K1")
        << QStringList{QStringLiteral("2019.03"), QStringLiteral("2019.02")}
        << QStringList{QStringLiteral("07")}
        << QStringList{QStringLiteral("14:05:09"), QStringLiteral("09:00:00")}
        << QStringLiteral("steel_K1-2019_03_07-14_05_09.json");

    QTest::newRow("time of the day's newest modified file, not the latest clock time")
        << QStringList{QStringLiteral("steel_K1-2019_03_07-09_00_00.json@30"),
                       QStringLiteral("steel_K1-2019_03_07-14_05_09.json@20"),
                       QStringLiteral("steel_K1-2019_03_01-23_59_59.json@25")}
        << QStringList{QStringLiteral("K1")} << QStringLiteral("K1") << QStringList{QStringLiteral("2019.03")}
        << QStringList{QStringLiteral("07"), QStringLiteral("01")}
        << QStringList{QStringLiteral("09:00:00"), QStringLiteral("14:05:09")}
        << QStringLiteral("steel_K1-2019_03_07-09_00_00.json");

    QTest::newRow("technologies listed in order, the newest made current")
        << QStringList{QStringLiteral("steel_B1-2019_03_07-14_05_09.json@10"),
                       QStringLiteral("steel_A1-2019_03_07-14_05_09.json@5"),
                       QStringLiteral("steel_C1-2019_03_07-14_05_09.json@1")}
        << QStringList{QStringLiteral("A1"), QStringLiteral("B1"), QStringLiteral("C1")}
        << QStringLiteral("B1") << QStringList{QStringLiteral("2019.03")} << QStringList{QStringLiteral("07")}
        << QStringList{QStringLiteral("14:05:09")} << QStringLiteral("steel_B1-2019_03_07-14_05_09.json");

    // A technology whose name begins another's: K's months must not take in K1's files, or the
    // newest month would lead to an empty day list and nothing would be shown.
    QTest::newRow("technology that prefixes another")
        << QStringList{QStringLiteral("steel_K-2019_01_05-08_00_00.json@50"),
                       QStringLiteral("steel_K1-2019_03_07-14_05_09.json@10")}
        << QStringList{QStringLiteral("K"), QStringLiteral("K1")} << QStringLiteral("K")
        << QStringList{QStringLiteral("2019.01")} << QStringList{QStringLiteral("05")}
        << QStringList{QStringLiteral("08:00:00")} << QStringLiteral("steel_K-2019_01_05-08_00_00.json");

    QTest::newRow("technology with wildcard characters")
        << QStringList{QStringLiteral("steel_A[1]-2019_03_07-14_05_09.json@50")}
        << QStringList{QStringLiteral("A[1]")} << QStringLiteral("A[1]")
        << QStringList{QStringLiteral("2019.03")} << QStringList{QStringLiteral("07")}
        << QStringList{QStringLiteral("14:05:09")} << QStringLiteral("steel_A[1]-2019_03_07-14_05_09.json");

    QTest::newRow("same moment twice through a second extension")
        << QStringList{QStringLiteral("steel_K1-2019_03_07-14_05_09.json@50"),
                       QStringLiteral("steel_K1-2019_03_07-14_05_09.old.json@40")}
        << QStringList{QStringLiteral("K1")} << QStringLiteral("K1") << QStringList{QStringLiteral("2019.03")}
        << QStringList{QStringLiteral("07")}
        << QStringList{QStringLiteral("14:05:09"), QStringLiteral("14:05:09")}
        << QStringLiteral("steel_K1-2019_03_07-14_05_09.json");
}

void SelectionCascadeTest::refreshSelectsNewest()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, technologies);
    QFETCH(QString, technology);
    QFETCH(QStringList, months);
    QFETCH(QStringList, days);
    QFETCH(QStringList, times);
    QFETCH(QString, loaded);

    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, files));
    const std::unique_ptr<MainWindow> window = folder.openWindow();

    QComboBox *technologyList = fixture::list(window.get(), "comboSteelTech");
    QCOMPARE(fixture::entries(technologyList), withPlaceholder(technologies));
    QCOMPARE(technologyList->currentText(), technology);
    for (const auto &[name, expected] : {std::pair<const char *, QStringList>{"yearMonthCombobox", months},
                                         {"dayCombobox", days},
                                         {"timeSteel", times}}) {
        QComboBox *list = fixture::list(window.get(), name);
        QCOMPARE(fixture::entries(list), withPlaceholder(expected));
        QCOMPARE(list->currentIndex(), 1);
    }
    QCOMPARE(loadedFile(window.get()), loaded);

    // Pressing refresh at once gives the same lists and the same measurement.
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);
    QCOMPARE(technologyList->currentText(), technology);
    QCOMPARE(fixture::list(window.get(), "timeSteel")->currentIndex(), 1);
    QCOMPARE(loadedFile(window.get()), loaded);
}

void SelectionCascadeTest::refreshOnNameWithoutMoment_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("months");
    QTest::addColumn<int>("monthIndex");

    // No "-" after the technology: the month scan of x finds nothing, so the month list keeps only its
    // placeholder and is left with no current entry.
    QTest::newRow("steel_x.json") << QStringLiteral("steel_x.json") << QStringList{placeholder} << -1;
    // A "-" but no moment: one empty month entry, made current, which counts as nothing chosen.
    QTest::newRow("steel_x-.json") << QStringLiteral("steel_x-.json") << QStringList{placeholder, QString()}
                                   << 1;
}

void SelectionCascadeTest::refreshOnNameWithoutMoment()
{
    QFETCH(QString, file);
    QFETCH(QStringList, months);
    QFETCH(int, monthIndex);

    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(file, fixture::line(fixture::measurement(file)), fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();

    QComboBox *technologies = fixture::list(window.get(), "comboSteelTech");
    QCOMPARE(fixture::entries(technologies), (QStringList{placeholder, QStringLiteral("x")}));
    QCOMPARE(technologies->currentText(), QStringLiteral("x"));
    QComboBox *monthList = fixture::list(window.get(), "yearMonthCombobox");
    QCOMPARE(fixture::entries(monthList), months);
    QCOMPARE(monthList->currentIndex(), monthIndex);
    for (const char *name : {"dayCombobox", "timeSteel"}) {
        QComboBox *list = fixture::list(window.get(), name);
        QCOMPARE(fixture::entries(list), QStringList{placeholder});
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->currentText(), QString());
    }
    QCOMPARE(loadedFile(window.get()), QStringLiteral("—"));
    QCOMPARE(fixture::label(window.get(), "steelTemp")->text(), fixture::noData);
}

void SelectionCascadeTest::refreshWithoutArchiveFilesResetsListsAndEmptiesTheView_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("create");
    QTest::addColumn<QString>("status"); // what the empty sheet's status says
    QTest::newRow("missing folder") << QStringLiteral("missing") << QStringList() << false
                                    << QStringLiteral("Папка не найдена");
    QTest::newRow("empty folder") << QStringLiteral("empty") << QStringList() << true
                                  << QStringLiteral("Папка пуста");
    QTest::newRow("no matching name")
        << QStringLiteral("other")
        << QStringList{QStringLiteral("notes.txt"), QStringLiteral("steel_K1.txt"),
                       QStringLiteral("K1-2019_03_07-14_05_09.json")}
        << true << QStringLiteral("Нет измерений");
}

void SelectionCascadeTest::refreshWithoutArchiveFilesResetsListsAndEmptiesTheView()
{
    QFETCH(QString, folderName);
    QFETCH(QStringList, files);
    QFETCH(bool, create);
    QFETCH(QString, status);

    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, {QStringLiteral("steel_K1-2019_03_07-14_05_09.json@0")}));
    const QString other = folder.path() + QLatin1Char('/') + folderName;
    if (create)
        QVERIFY(QDir().mkpath(other));
    for (const QString &name : files)
        QVERIFY(folder.addFileIn(other, name, "{}\n", fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    const QStringList shown = fixture::shownValues(window.get());

    fixture::typePath(window.get(), other);

    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"}) {
        QComboBox *list = fixture::list(window.get(), name);
        QCOMPARE(fixture::entries(list), QStringList{placeholder});
        QCOMPARE(list->currentIndex(), 0);
    }
    QVERIFY(shown != fixture::emptyValues());
    // The empty sheet, its status and the path field saying why, as for a missing folder.
    QStringList empty = fixture::emptyValues();
    empty.last() = status;
    QCOMPARE(fixture::shownValues(window.get()), empty);
    QVERIFY(!fixture::pathField(window.get())->toolTip().isEmpty());
    QCOMPARE(fixture::plot(window.get())->graphCount(), 0);
    QVERIFY(!fixture::plot(window.get())->yAxis2->visible());

    // A folder that holds a measurement again: the mark is gone.
    QVERIFY(QDir().mkpath(other));
    QVERIFY(folder.addFileIn(other, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"),
                             fixture::line(fixture::measurement(QStringLiteral("back"))), fixture::at(0)));
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);
    QCOMPARE(fixture::pathField(window.get())->toolTip(), QString());
    QCOMPARE(loadedFile(window.get()), QStringLiteral("back"));
}

std::unique_ptr<MainWindow> SelectionCascadeTest::openFourFileArchive(fixture::WorkingFolder &folder)
{
    if (!addFiles(folder, {QStringLiteral("steel_K1-2019_03_07-14_05_09.json@50"),
                           QStringLiteral("steel_K1-2019_03_07-09_00_00.json@60"),
                           QStringLiteral("steel_K1-2019_02_28-10_00_00.json@10"),
                           QStringLiteral("steel_K2-2020_01_01-00_00_00.json@5")}))
        return nullptr;
    return folder.openWindow();
}

void SelectionCascadeTest::placeholderIsTheRussianChoose()
{
    QCOMPARE(cascade::placeholderText(), placeholder);
}

void SelectionCascadeTest::choosingPlaceholderTechnologyEmptiesLowerLists()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    QCOMPARE(loadedFile(window.get()), QStringLiteral("steel_K1-2019_03_07-09_00_00.json"));
    const QStringList shown = fixture::shownValues(window.get());

    fixture::list(window.get(), "comboSteelTech")->setCurrentIndex(0);

    for (const char *name : {"yearMonthCombobox", "dayCombobox", "timeSteel"}) {
        QComboBox *list = fixture::list(window.get(), name);
        QCOMPARE(fixture::entries(list), QStringList{placeholder});
        QCOMPARE(list->currentIndex(), 0);
    }
    QVERIFY(shown != fixture::emptyValues());
    QCOMPARE(fixture::shownValues(window.get()), fixture::emptyValues());
    QCOMPARE(fixture::plot(window.get())->graphCount(), 0);
    QVERIFY(!fixture::plot(window.get())->yAxis2->visible());
}

void SelectionCascadeTest::choosingTechnologyByHandFillsMonthsOnly()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    const QStringList shown = fixture::shownValues(window.get());

    // One step down the closed list, as with the arrow key.
    QComboBox *technologies = fixture::list(window.get(), "comboSteelTech");
    QTest::keyClick(technologies, Qt::Key_Down);
    QCOMPARE(technologies->currentText(), QStringLiteral("K2"));

    QComboBox *months = fixture::list(window.get(), "yearMonthCombobox");
    QCOMPARE(fixture::entries(months), (QStringList{placeholder, QStringLiteral("2020.01")}));
    QCOMPARE(months->currentIndex(), 0);
    for (const char *name : {"dayCombobox", "timeSteel"})
        QCOMPARE(fixture::entries(fixture::list(window.get(), name)), QStringList{placeholder});
    QVERIFY(shown != fixture::emptyValues());
    QCOMPARE(fixture::shownValues(window.get()), fixture::emptyValues());
}

void SelectionCascadeTest::choosingMonthAndDayByHandLoadsNothingUntilTimeIsChosen()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    const QStringList shown = fixture::shownValues(window.get());
    QComboBox *months = fixture::list(window.get(), "yearMonthCombobox");
    QComboBox *days = fixture::list(window.get(), "dayCombobox");
    QComboBox *times = fixture::list(window.get(), "timeSteel");

    months->setCurrentIndex(2);
    QCOMPARE(months->currentText(), QStringLiteral("2019.02"));
    QCOMPARE(fixture::entries(days), (QStringList{placeholder, QStringLiteral("28")}));
    QCOMPARE(days->currentIndex(), 0);
    QCOMPARE(fixture::entries(times), QStringList{placeholder});
    QVERIFY(shown != fixture::emptyValues());
    QCOMPARE(fixture::shownValues(window.get()), fixture::emptyValues());
    QCOMPARE(fixture::plot(window.get())->graphCount(), 0);

    days->setCurrentIndex(1);
    QCOMPARE(fixture::entries(times), (QStringList{placeholder, QStringLiteral("10:00:00")}));
    QCOMPARE(times->currentIndex(), 0);
    QCOMPARE(fixture::shownValues(window.get()), fixture::emptyValues());

    QTest::keyClick(times, Qt::Key_Down);
    QCOMPARE(loadedFile(window.get()), QStringLiteral("steel_K1-2019_02_28-10_00_00.json"));
    QCOMPARE(fixture::plot(window.get())->graphCount(), 2);
}

void SelectionCascadeTest::emptyMonthEntryActsAsPlaceholder()
{
    // GIVEN a technology with one good file and one whose moment does not parse
    fixture::WorkingFolder folder;
    QVERIFY(addFiles(folder, {QStringLiteral("steel_K1-2019_03_07-14_05_09.json@50"),
                              QStringLiteral("steel_K1-2019_02_30-10_00_00.json@10")}));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QComboBox *months = fixture::list(window.get(), "yearMonthCombobox");
    QCOMPARE(fixture::entries(months), (QStringList{placeholder, QStringLiteral("2019.03"), QString()}));
    const QStringList shown = fixture::shownValues(window.get());

    // WHEN the empty entry is chosen THEN the lists below are reset and nothing is loaded
    months->setCurrentIndex(2);
    QCOMPARE(fixture::entries(fixture::list(window.get(), "dayCombobox")), QStringList{placeholder});
    QCOMPARE(fixture::entries(fixture::list(window.get(), "timeSteel")), QStringList{placeholder});
    QVERIFY(shown != fixture::emptyValues());
    QCOMPARE(fixture::shownValues(window.get()), fixture::emptyValues());
}

void SelectionCascadeTest::returnWithUnchangedPathRefreshesBackToNewest()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    QComboBox *times = fixture::list(window.get(), "timeSteel");
    times->setCurrentIndex(2);
    QCOMPARE(loadedFile(window.get()), QStringLiteral("steel_K1-2019_03_07-14_05_09.json"));

    QLineEdit *field = fixture::pathField(window.get());
    QTest::keyClick(field, Qt::Key_Return);

    QCOMPARE(field->text(), QDir::toNativeSeparators(folder.archivePath()));
    QCOMPARE(times->currentIndex(), 1);
    QCOMPARE(loadedFile(window.get()), QStringLiteral("steel_K1-2019_03_07-09_00_00.json"));
}

void SelectionCascadeTest::leavingPathFieldRefreshes()
{
    // GIVEN a shown window with a time chosen by hand and the keyboard focus in the path field
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    window->show();
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QComboBox *times = fixture::list(window.get(), "timeSteel");
    times->setCurrentIndex(2);
    QCOMPARE(loadedFile(window.get()), QStringLiteral("steel_K1-2019_03_07-14_05_09.json"));
    QLineEdit *field = fixture::pathField(window.get());
    field->setFocus(Qt::TabFocusReason);
    QVERIFY(field->hasFocus());

    // WHEN the focus moves on to a list
    fixture::list(window.get(), "comboSteelTech")->setFocus(Qt::TabFocusReason);

    // THEN editing counts as finished: a full refresh returns to the newest measurement
    QCOMPARE(times->currentIndex(), 1);
    QCOMPARE(loadedFile(window.get()), QStringLiteral("steel_K1-2019_03_07-09_00_00.json"));
}

void SelectionCascadeTest::emptiedPathStoresEmptyDirectoryWithoutRefresh()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    QComboBox *technologies = fixture::list(window.get(), "comboSteelTech");
    technologies->setCurrentIndex(2);

    fixture::typePath(window.get(), QString());

    // No refresh: the hand-made choice stays.
    QCOMPARE(fixture::pathField(window.get())->text(), QString());
    QCOMPARE(technologies->currentText(), QStringLiteral("K2"));
    QCOMPARE(fixture::entries(fixture::list(window.get(), "yearMonthCombobox")),
             (QStringList{placeholder, QStringLiteral("2020.01")}));

    // The stored directory is empty now: a refresh lists the working directory, which has no files.
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);
    QCOMPARE(fixture::entries(technologies), QStringList{placeholder});
}

void SelectionCascadeTest::emptyPathLoadsFromWorkingDirectory()
{
    // An empty path lists the working directory; the measurement chosen from that list must be read
    // from there too, not from a file of the same name below the root of the file system.
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    QVERIFY(folder.addFileIn(
        folder.path(), QStringLiteral("steel_W1-2018_05_06-07_08_09.json"),
        fixture::line(fixture::measurement(QStringLiteral("from the working directory"))), fixture::at(0)));

    fixture::typePath(window.get(), QString());
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);

    QCOMPARE(fixture::list(window.get(), "comboSteelTech")->currentText(), QStringLiteral("W1"));
    QCOMPARE(fixture::list(window.get(), "timeSteel")->currentText(), QStringLiteral("07:08:09"));
    QCOMPARE(loadedFile(window.get()), QStringLiteral("from the working directory"));
}

void SelectionCascadeTest::browseCancelledChangesNothing()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    QComboBox *technologies = fixture::list(window.get(), "comboSteelTech");
    technologies->setCurrentIndex(2);
    const QStringList months = fixture::entries(fixture::list(window.get(), "yearMonthCombobox"));

    bool answered = false;
    answerNextDialog(window.get(), [&answered](QDialog *dialog) {
        answered = true;
        dialog->reject();
    });
    QTest::mouseClick(fixture::button(window.get(), "pushButton"), Qt::LeftButton);

    QVERIFY(answered);
    QCOMPARE(fixture::pathField(window.get())->text(), QDir::toNativeSeparators(folder.archivePath()));
    QCOMPARE(technologies->currentText(), QStringLiteral("K2"));
    QCOMPARE(fixture::entries(fixture::list(window.get(), "yearMonthCombobox")), months);

    // The stored directory is unchanged as well: a refresh still lists the archive.
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);
    QCOMPARE(technologies->currentText(), QStringLiteral("K1"));
}

void SelectionCascadeTest::browseAcceptedStoresDirectoryAndRefreshes()
{
    fixture::WorkingFolder folder;
    const std::unique_ptr<MainWindow> window = openFourFileArchive(folder);
    QVERIFY(window);
    const QString other = folder.path() + QStringLiteral("/other");
    QVERIFY(QDir().mkpath(other));
    QVERIFY(folder.addFileIn(other, QStringLiteral("steel_Z9-2020_06_01-12_00_00.json"),
                             fixture::line(fixture::measurement(QStringLiteral("other archive"))),
                             fixture::at(0)));

    QString startedIn;
    answerNextDialog(window.get(), [&](QDialog *dialog) {
        auto *fileDialog = qobject_cast<QFileDialog *>(dialog);
        if (!fileDialog) {
            dialog->reject();
            return;
        }
        startedIn = fileDialog->directory().absolutePath();
        fileDialog->setDirectory(other);
        dialog->accept(); // QFileDialog::accept, through the public QDialog slot
    });
    QTest::mouseClick(fixture::button(window.get(), "pushButton"), Qt::LeftButton);

    QCOMPARE(QFileInfo(startedIn).canonicalFilePath(), QFileInfo(folder.archivePath()).canonicalFilePath());
    QCOMPARE(QFileInfo(fixture::pathField(window.get())->text()).canonicalFilePath(),
             QFileInfo(other).canonicalFilePath());
    QCOMPARE(fixture::entries(fixture::list(window.get(), "comboSteelTech")),
             (QStringList{placeholder, QStringLiteral("Z9")}));
    QCOMPARE(loadedFile(window.get()), QStringLiteral("other archive"));

    // The chosen directory is also the stored one: refresh lists it again.
    QTest::mouseClick(fixture::button(window.get(), "refreshButton"), Qt::LeftButton);
    QCOMPARE(fixture::list(window.get(), "comboSteelTech")->currentText(), QStringLiteral("Z9"));
}

QTEST_MAIN(SelectionCascadeTest)
#include "tst_selectioncascade.moc"
