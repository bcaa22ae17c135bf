// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivefixture.h"

#include "mainwindow.h"

#include <QComboBox>
#include <QLabel>

namespace fixture {

namespace {

const qint64 baseSecs = 1551949200; // 2019-03-07 09:00:00 UTC

} // namespace

qint64 instant(int secondsAfterBase)
{
    return baseSecs + secondsAfterBase;
}

Viewer::Viewer(MainWindow *window)
    : window(window), technology(window->findChild<QComboBox *>(QStringLiteral("comboSteelTech"))),
      yearMonth(window->findChild<QComboBox *>(QStringLiteral("yearMonthCombobox"))),
      day(window->findChild<QComboBox *>(QStringLiteral("dayCombobox"))),
      time(window->findChild<QComboBox *>(QStringLiteral("timeSteel"))),
      smelt(window->findChild<QLabel *>(QStringLiteral("nameSteelSmelt"))),
      temperature(window->findChild<QLabel *>(QStringLiteral("steelTemp"))),
      status(window->findChild<QLabel *>(QStringLiteral("statusLabel")))
{}

QStringList Viewer::entries(const QComboBox *list) const
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

QStringList Viewer::shownValues() const
{
    QStringList texts;
    for (const char *name :
         {"nameSteelSmelt", "steelTemp", "steelEmf", "steelAO", "steelAl", "steelC", "statusLabel"})
        texts << window->findChild<QLabel *>(QLatin1String(name))->text();
    return texts;
}

int Viewer::walkEverything() const
{
    int chosen = 0;
    for (int t = 1; t < technology->count(); ++t) {
        technology->setCurrentIndex(t);
        for (int m = 1; m < yearMonth->count(); ++m) {
            yearMonth->setCurrentIndex(m);
            for (int d = 1; d < day->count(); ++d) {
                day->setCurrentIndex(d);
                for (int i = 1; i < time->count(); ++i) {
                    time->setCurrentIndex(i);
                    ++chosen;
                }
            }
        }
    }
    return chosen;
}

} // namespace fixture
