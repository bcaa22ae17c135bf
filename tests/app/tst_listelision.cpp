// SPDX-License-Identifier: GPL-3.0-or-later
// Long list entries never make the window wider: the closed list shows them elided, with the whole
// text as its tooltip, and the open list shows them whole.
#include "app/listelision.h"
#include "windowfixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <memory>

class ListElisionTest : public QObject
{
    Q_OBJECT

private slots:
    void longTechnology_data();
    void longTechnology();
};

void ListElisionTest::longTechnology_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("elided");
    QTest::newRow("3 characters") << 3 << false;
    QTest::newRow("60 characters") << 60 << true;
    // The longest a file name allows: 255 bytes with "steel_", the moment and ".json".
    QTest::newRow("224 characters") << 224 << true;
}

void ListElisionTest::longTechnology()
{
    QFETCH(int, length);
    QFETCH(bool, elided);

    // GIVEN the window's least width on an archive of one short technology
    fixture::WorkingFolder reference;
    QVERIFY(reference.addFile(QStringLiteral("steel_UKP-2025_01_26-23_29_24.json"),
                              fixture::line(fixture::measurement(QStringLiteral("1"))), fixture::at(0)));
    const std::unique_ptr<MainWindow> shortWindow = reference.openWindow();
    shortWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(shortWindow.get()));
    const int leastWidth = shortWindow->minimumSizeHint().width();

    // WHEN the newest measurement's technology is `length` characters long
    fixture::WorkingFolder folder;
    QString technology;
    for (int i = 0; i < length; ++i)
        technology.append(QLatin1Char(char('A' + i % 26)));
    QVERIFY(folder.addFile(QStringLiteral("steel_%1-2025_01_26-23_29_24.json").arg(technology),
                           fixture::line(fixture::measurement(QStringLiteral("2"))), fixture::at(10)));
    QVERIFY(folder.addFile(QStringLiteral("steel_UKP-2025_01_26-20_00_00.json"),
                           fixture::line(fixture::measurement(QStringLiteral("1"))), fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QComboBox *list = fixture::list(window.get(), "comboSteelTech");
    QCOMPARE(list->currentText(), technology);
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("2"));

    // THEN the window is no wider than with the short one, and still opens at its own size
    QCOMPARE(window->minimumSizeHint().width(), leastWidth);
    QCOMPARE(window->width(), shortWindow->width());
    // the closed list shows the entry elided, whole in the tooltip
    QCOMPARE(app::ListElision::isElided(list), elided);
    QCOMPARE(list->toolTip(), elided ? technology : QString());
    const QImage closed = list->grab().toImage();
    QVERIFY(!closed.isNull());
    // and the open list is wide enough for the whole entry, as far as the screen allows
    list->showPopup();
    QWidget *popup = list->view()->parentWidget();
    QTRY_VERIFY(popup->isVisible());
    const int needed = list->view()->sizeHintForColumn(0);
    const QRect screen = list->screen()->availableGeometry();
    QVERIFY2(list->view()->viewport()->width() >= qMin(needed, screen.width() - 40),
             qPrintable(QStringLiteral("%1 for %2").arg(list->view()->viewport()->width()).arg(needed)));
    QVERIFY(popup->frameGeometry().width() <= screen.width());
    list->hidePopup();

    // Choosing the short technology takes the tooltip away again.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentText(), QStringLiteral("UKP"));
    QCOMPARE(list->toolTip(), QString());
}

QTEST_MAIN(ListElisionTest)
#include "tst_listelision.moc"
