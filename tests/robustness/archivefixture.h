// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class MainWindow;
class QComboBox;
class QLabel;

namespace fixture {

// Modification instants are set explicitly (the listing order depends on them), counted in seconds
// from a fixed instant so that no test depends on the clock.
qint64 instant(int secondsAfterBase);

// The window's widgets, found by their fixed object names.
struct Viewer
{
    explicit Viewer(MainWindow *window);
    MainWindow *window;
    QComboBox *technology;
    QComboBox *yearMonth;
    QComboBox *day;
    QComboBox *time;
    QLabel *smelt;
    QLabel *temperature;
    QLabel *status;

    QStringList entries(const QComboBox *list) const;
    // The six result fields and the status, in panel order.
    QStringList shownValues() const;
    // Makes every entry of every list current in turn, top to bottom, as a person walking the archive
    // would; returns the number of measurements chosen.
    int walkEverything() const;
};

} // namespace fixture
