// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/chartcomputation.h"

#include "archive/archivefolder.h"

namespace app {

ChartComputation::ChartComputation(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<statistics::ControlChart>();
}

void ChartComputation::stop()
{
    background.stop();
}

void ChartComputation::start(const QString &folder, const statistics::ChartSelection &selection)
{
    using Work = BackgroundWork<ChartComputation>;
    background.start(this, [folder = archive::folderPath(folder),
                            selection](const Work::Deliver &deliver, const Work::StopRequested &stopped) {
        if (const auto first = statistics::indexedControlChart(folder, selection, stopped))
            deliver([chart = *first](ChartComputation *c) { emit c->preliminary(chart); });
        archive::ArchiveReading reading;
        reading.stopRequested = stopped;
        reading.progress = pacedProgress([&deliver](qint64 done, qint64 total) {
            deliver([done, total](ChartComputation *c) { emit c->progressed(done, total); });
        });
        QStringList unreadable;
        const statistics::ControlChart chart =
            statistics::readControlChart(folder, selection, reading, &unreadable);
        deliver([chart, unreadable](ChartComputation *c) {
            c->background.finish();
            emit c->finished(chart, unreadable);
        });
    });
}

} // namespace app
