// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/backgroundwork.h"
#include "archive/archivename.h"

#include <QObject>
#include <QString>

namespace app {

// One measurement of the melt searched for, as the find window lists it.
struct FoundMelt
{
    QString fileName;
    QString technology;
    archive::Moment moment;
    QString melt;
    QString temperature; // as stored, "Нет данных" for the no-value marks
    QString status;      // the verdict, empty without "Status"
};

// Finds the measurements of a melt in an archive folder (its number exactly, letter case and the
// spaces around it aside), off the window's thread, through the same
// search and the same index (with its cache) as `steel-archive find --melt`. First the index's own
// answer arrives, each file of it found exactly as filed; then the search of every file, as find
// makes it, completes it: files the index does not know are read on all cores and filed. The window
// stays responsive meanwhile; results and progress arrive as signals on the thread that made the
// search.
class MeltSearch : public QObject
{
    Q_OBJECT

public:
    explicit MeltSearch(QObject *parent = nullptr);
    // A running search is stopped and waited for.
    ~MeltSearch() override = default;

    // Starts a search; a search still running is stopped first, and nothing more of it arrives.
    void start(const QString &folder, const QString &melt);
    void stop();
    bool isRunning() const { return background.isRunning(); }

signals:
    void found(const app::FoundMelt &measurement);
    void progressed(qint64 done, qint64 total);
    // The whole answer, once every file has been looked at: the names of all measurements found
    // (what arrived earlier from the index and is no longer so is not among them).
    void confirmed(const QStringList &fileNames);
    // `listed`: false when the folder could not be read at all.
    void finished(int count, bool listed);

private:
    using Work = BackgroundWork<MeltSearch>;
    static void search(const QString &folder, const QString &melt, const Work::Deliver &deliver,
                       const Work::StopRequested &stopped);

    Work background;
};

} // namespace app

Q_DECLARE_METATYPE(app::FoundMelt)
