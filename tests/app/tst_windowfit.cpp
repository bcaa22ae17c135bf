// SPDX-License-Identifier: GPL-3.0-or-later
// The window within the screen's available area at the usual scalings of the usual screens.
#include "windowfixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <qcustomplot.h>

class WindowFitTest : public QObject
{
    Q_OBJECT

private slots:
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();
};

void WindowFitTest::windowFitsTheScreen_data()
{
    // The window's contents get the screen at its scaling, less a task bar of 40 and a frame.
    QTest::addColumn<QSize>("room");
    for (const QSize screen : {QSize(1366, 768), QSize(1920, 1080), QSize(2560, 1440)}) {
        for (const int percent : {100, 125, 150, 175, 200}) {
            const QSize available(screen.width() * 100 / percent, screen.height() * 100 / percent - 40);
            const QSize room = available - QSize(16, 40);
            QTest::addRow("%dx%d at %d%%", screen.width(), screen.height(), percent) << room;
        }
    }
}

void WindowFitTest::windowFitsTheScreen()
{
    QFETCH(QSize, room);
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(QStringLiteral("steel_UKP-2025_01_26-23_29_24.json"),
                           fixture::line(fixture::measurement(QStringLiteral("41521"))), fixture::at(50)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    window->fitInto(room);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QVERIFY2(window->width() <= room.width() && window->height() <= room.height(),
             qPrintable(QStringLiteral("%1x%2 in %3x%4")
                            .arg(window->width())
                            .arg(window->height())
                            .arg(room.width())
                            .arg(room.height())));
    // Every text of the panel and the lists whole, the plot still there.
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        const QRect inside = label->contentsRect();
        QVERIFY2(inside.width() >= label->fontMetrics().horizontalAdvance(label->text()) - 1 &&
                     inside.height() >= label->fontMetrics().height() - 1,
                 qPrintable(label->objectName()));
    }
    for (const char *name : {"comboSteelTech", "timeSteel"}) {
        const QComboBox *list = fixture::list(window.get(), name);
        QVERIFY(list->height() >= list->fontMetrics().height());
    }
    QVERIFY(fixture::plot(window.get())->height() >= 100);
}

QTEST_MAIN(WindowFitTest)
#include "tst_windowfit.moc"
