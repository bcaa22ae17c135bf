// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/backgroundwork.h"
#include "printing/reportheading.h"
#include "statistics/archivestatistics.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPrinter;
class QProgressBar;
class QSpinBox;

namespace app {

// The shift report from the viewer: a technology or all, and a shift (its start hour the plant's),
// a day, a month or a period from-to; the same document as steel-archive report with the same
// conditions, shown in a print preview to print, or saved as a PDF (never into the archive). The
// measurements are gathered off the window's thread.
class ShiftReportDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Period
    {
        shift,
        day,
        month,
        range,
    };

    ShiftReportDialog(std::function<QString()> folder, QWidget *parent);
    ~ShiftReportDialog() override;

    // Shows the dialog for `technology` (empty: all) around `reference` (now where there is none).
    void open(const QString &technology, const std::optional<archive::Moment> &reference);
    // What the choices select, as report's options would ("technology", "from", "to").
    query::SearchCriteria criteria() const;
    QVector<QPair<QString, QString>> conditions() const;
    // Gathers the selected measurements off the window's thread; gathered() tells when they are in.
    void gather();
    bool isGathering() const { return background.isRunning(); }
    // Stops a gathering; nothing of it arrives, and what was to follow it is not done.
    void stop();
    const QVector<statistics::MeasurementFacts> &facts() const { return gathered; }
    printing::ReportHeading heading() const;
    // Draws the report of what was gathered on `printer`; the empty text, or why not.
    QString printTo(QPrinter *printer);
    // Writes the report of what was gathered as a PDF to `path`, by the command line's rule for
    // outputs; the empty text, or why not (also shown in the dialog).
    QString savePdfTo(const QString &path);

signals:
    void gatheredAll();

private:
    void buildControls();
    void applyPeriod();
    void finishGathering(const QVector<statistics::MeasurementFacts> &facts, int unreadable);
    void preview();
    void saveWithDialog();
    QString told(const QString &failure, const QString &path);

    std::function<QString()> folder;
    QComboBox *technologyList;
    QComboBox *periodList;
    QSpinBox *shiftStart;
    QDateTimeEdit *fromEdit;
    QDateTimeEdit *toEdit;
    QProgressBar *progressBar;
    QWidget *progressRow = nullptr; // the progress and the button that stops the gathering
    QLabel *statusLine;
    archive::Moment reference;
    QVector<statistics::MeasurementFacts> gathered;
    BackgroundWork<ShiftReportDialog> background;
    std::function<void()> afterGathering; // the preview or the save that waits for the measurements
};

} // namespace app
