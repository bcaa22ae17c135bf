// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace app {

// The row that shows long work going on: `bar` and a button that stops the work (named `stopName`),
// returned for its connection.
inline QPushButton *makeProgressRow(QWidget *row, QProgressBar *bar, const QString &stopName)
{
    auto *progress = new QHBoxLayout(row);
    progress->setContentsMargins(0, 0, 0, 0);
    bar->setParent(row);
    progress->addWidget(bar, 1);
    auto *stopButton = new QPushButton(QStringLiteral("Остановить"), row);
    stopButton->setObjectName(stopName);
    progress->addWidget(stopButton);
    return stopButton;
}

} // namespace app
