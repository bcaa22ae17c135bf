// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/spreadsheetsaving.h"

#include "archive/archivefolder.h"
#include "archive/displayname.h"
#include "output/curvestables.h"
#include "output/outputformat.h"
#include "output/resultcolumns.h"
#include "query/foundmeasurements.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace app {

QString savingStoppedText()
{
    return QStringLiteral("Сохранение остановлено: файл не записан.");
}

QString saveSpreadsheet(const QString &path, const output::ReadArchive &read,
                        const std::function<void(output::XlsxBook &book)> &fill,
                        const std::function<bool()> &stopRequested)
{
    if (output::formatOfName(path) != output::Format::xlsx)
        return QStringLiteral("%1: имя должно оканчиваться на .xlsx").arg(archive::displayPath(path));
    // The command line's rule for every output, in its words.
    const QString refusal = output::outputRefusal(read, path);
    if (!refusal.isEmpty())
        return archive::displayPath(path) + QStringLiteral(": ") + refusal;
    // Asked again of the folder held open: nothing about the path is looked up twice.
    output::OutputFile file(path, read);
    output::XlsxBook book;
    QString failure;
    if (!file.open())
        failure = file.failure();
    else if (!book.open(read))
        failure = book.failure();
    else {
        fill(book);
        if (stopRequested && stopRequested())
            failure = savingStoppedText();
        else if (!book.finish(file.device()))
            failure = book.failure();
        else if (stopRequested && stopRequested())
            failure = savingStoppedText();
        else if (!file.commit(true))
            return QStringLiteral("%1: не удалось записать: %2")
                .arg(archive::displayPath(path), file.failure());
    }
    if (failure.isEmpty())
        return QString();
    file.discard();
    if (failure == savingStoppedText())
        return failure;
    return QStringLiteral("%1: не удалось записать: %2").arg(archive::displayPath(path), failure);
}

QString saveMeltsSpreadsheet(const QString &path, const QString &folder,
                             const statistics::ChartSelection &selection,
                             const archive::ArchiveReading &reading)
{
    const QString directory = archive::folderPath(folder);
    std::vector<query::FoundMeasurement> found;
    query::visitMeasurements(
        directory, statistics::chartCriteria(selection),
        [&](query::FoundMeasurement &&m) {
            if (m.technology == selection.technology && m.moment.isValid())
                found.push_back(std::move(m));
        },
        nullptr, reading);
    if (reading.stopRequested && reading.stopRequested())
        return savingStoppedText(); // what was read may be part of the period only
    std::sort(found.begin(), found.end(),
              [](const query::FoundMeasurement &a, const query::FoundMeasurement &b) {
                  return query::listedBefore(a.moment, a.fileName, b.moment, b.fileName);
              });
    // The chart's last melts are the newest ones of the period.
    if (selection.lastMelts && size_t(*selection.lastMelts) < found.size())
        found.resize(size_t(*selection.lastMelts));
    return saveSpreadsheet(
        path, output::readingFolder(directory),
        [&found](output::XlsxBook &book) {
            output::CsvFormat spreadsheet;
            spreadsheet.spreadsheet = true;
            // The sheet is named as find's spreadsheet names it.
            book.addSheet(QCoreApplication::translate("output", "Measurements"),
                          output::resultHeader(spreadsheet));
            for (const query::FoundMeasurement &m : found)
                book.addRow(output::resultXlsxRow(m));
        },
        reading.stopRequested);
}

QString saveCurvesSpreadsheet(const QString &path, const QString &measurementPath)
{
    const std::optional<measurement::Measurement> m = measurement::readMeasurementFile(measurementPath);
    if (!m)
        return QStringLiteral("%1: не удалось прочитать").arg(archive::displayPath(measurementPath));
    return saveSpreadsheet(path, output::readingFile(measurementPath), [&](output::XlsxBook &book) {
        output::addCurvesSheets(book, QFileInfo(measurementPath).fileName(), *m);
    });
}

void MeltsSaving::start(const QString &path, const QString &folder,
                        const statistics::ChartSelection &selection)
{
    using Work = BackgroundWork<MeltsSaving>;
    background.start(
        this, [path, folder, selection](const Work::Deliver &deliver, const Work::StopRequested &stopped) {
            archive::ArchiveReading reading;
            reading.stopRequested = stopped;
            reading.progress = pacedProgress([&deliver](qint64 done, qint64 total) {
                deliver([done, total](MeltsSaving *s) { emit s->progressed(done, total); });
            });
            const QString failure = saveMeltsSpreadsheet(path, folder, selection, reading);
            deliver([failure](MeltsSaving *s) {
                s->background.finish();
                emit s->finished(failure);
            });
        });
}

} // namespace app
