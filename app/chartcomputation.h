// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/backgroundwork.h"
#include "statistics/controlchart.h"

#include <QObject>
#include <QString>

namespace app {

// Computes a control chart off the window's thread: first from what the archive's index knows (at
// once, even at a million files), then from every file of the period, as steel-archive chart reads
// them. Results and progress arrive as signals on the thread that started it.
class ChartComputation : public QObject
{
    Q_OBJECT

public:
    explicit ChartComputation(QObject *parent = nullptr);
    // A running computation is stopped and waited for.
    ~ChartComputation() override = default;

    // Starts a computation; one still running is stopped first, and nothing more of it arrives.
    void start(const QString &folder, const statistics::ChartSelection &selection);
    void stop();
    bool isRunning() const { return background.isRunning(); }

signals:
    // The index's answer: exact for the files it names, perhaps without the newest ones.
    void preliminary(const statistics::ControlChart &chart);
    void progressed(qint64 done, qint64 total);
    // The whole answer; `unreadable` names the files that could not be read.
    void finished(const statistics::ControlChart &chart, const QStringList &unreadable);

private:
    BackgroundWork<ChartComputation> background;
};

} // namespace app

Q_DECLARE_METATYPE(statistics::ControlChart)
