// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/backgroundwork.h"
#include "archive/archivereader.h"
#include "output/outputfile.h"
#include "output/xlsx.h"
#include "statistics/controlchart.h"

#include <QObject>
#include <QString>

#include <functional>

// Spreadsheet files from the viewer, with the command line's columns and by its rule for outputs:
// never into the archive that is read, written whole or not at all. Each returns the empty text, or
// why the file was not written, in the command line's words where it refuses a place.
namespace app {

// A book filled by `fill` to `path` (which must end in .xlsx), for a window that reads `read`. When
// `stopRequested` says so before the file is complete, nothing is written.
QString saveSpreadsheet(const QString &path, const output::ReadArchive &read,
                        const std::function<void(output::XlsxBook &book)> &fill,
                        const std::function<bool()> &stopRequested = {});
// The melts of `selection` (technology and period, its last melts included) in the archive `folder`,
// newest first, with the columns of steel-archive find --xlsx; `reading` tells how far the reading
// is and may stop it, which leaves no file.
QString saveMeltsSpreadsheet(const QString &path, const QString &folder,
                             const statistics::ChartSelection &selection,
                             const archive::ArchiveReading &reading = {});
// Why a stopped save wrote nothing.
QString savingStoppedText();

// saveMeltsSpreadsheet off the window's thread: a year of melts at a million files takes a while.
// Progress and the outcome arrive as signals on the thread that started it.
class MeltsSaving : public QObject
{
    Q_OBJECT

public:
    explicit MeltsSaving(QObject *parent = nullptr) : QObject(parent) {}

    // Starts a save; one still running is stopped first, and nothing more of it arrives.
    void start(const QString &path, const QString &folder, const statistics::ChartSelection &selection);
    // Stops the save; its file is not written.
    void stop() { background.stop(); }
    bool isRunning() const { return background.isRunning(); }

signals:
    void progressed(qint64 done, qint64 total);
    // The empty text when the file is written, or why it is not.
    void finished(const QString &failure);

private:
    BackgroundWork<MeltsSaving> background;
};
// The curves and results of the measurement file `measurementPath`, as steel-archive export --xlsx
// writes them.
QString saveCurvesSpreadsheet(const QString &path, const QString &measurementPath);

} // namespace app
