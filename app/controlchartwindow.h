// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statistics/controlchart.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QBoxLayout;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QSettings;
class QTimer;

namespace archive {
struct ArchiveEntry;
}

namespace plot {
class ControlChartPlot;
}

namespace app {

class ChartComputation;
class MeltsSaving;
class ShiftReportDialog;

// The control chart window (Ctrl+T): for a technology, a result and a period, the individuals chart
// above the moving-range chart of the melts' values, with the plant's tolerance limits kept per
// technology and result in the viewer's settings. Computed off the window's thread, the index's
// answer first; printed on one landscape page and saved as PDF, PNG or a spreadsheet, never into the
// archive. A click on a point asks for that melt to be shown (meltChosen).
class ControlChartWindow : public QDialog
{
    Q_OBJECT

public:
    // The periods offered, in the order of the period list.
    enum class Period
    {
        last50,
        last100,
        last500,
        shift, // the 12-hour shift (08:00-20:00, 20:00-08:00) of the reference moment
        day,
        month,
        range, // from-to as typed
    };

    // `folder` names the archive folder the lists show.
    ControlChartWindow(std::function<QString()> folder, QWidget *parent);
    ~ControlChartWindow() override;

    // Shows the window for `technology` (the one shown; empty keeps the last) with the shift, day
    // and month around `reference` (the shown melt's moment; now where there is none), and computes.
    void open(const QString &technology, const std::optional<archive::Moment> &reference);
    // What the window's choices select.
    statistics::ChartSelection selection() const;
    // The chart on show (the whole answer once computing has finished).
    const statistics::ControlChart &chart() const;
    bool isComputing() const;
    // Writes the chart to `path`, its suffix choosing PDF, PNG or .xlsx, by the command line's rule
    // for outputs: never into the archive. The empty text, or why not (also shown in the window).
    QString saveTo(const QString &path);
    // Starts saving the melts of the chosen technology and period, with find --xlsx's columns, to
    // `path` (.xlsx), off the window's thread with its progress shown and a button that stops it:
    // the empty text, or why it cannot start (also shown in the window). The outcome arrives as
    // meltsSaved.
    QString saveMeltsTo(const QString &path);
    bool isSavingMelts() const;
    // The curves of the melt shown in the main window when the chart was opened, as export --xlsx
    // writes them.
    QString saveCurvesTo(const QString &path);
    // Draws the chart on one landscape page of `printer`.
    bool printTo(QPrinter *printer);
    // A measurement file put in the folder or written again (follow mode). While the window is open,
    // a file of the charted technology and period has the chart computed again, so that a new melt
    // appears on it as it lands; files landing together are taken in one computation.
    void measurementLanded(const archive::ArchiveEntry &file);

    // Where the plant's tolerance limits of a technology's result are kept.
    static QString limitKey(const QString &technology, statistics::ChartResult result, bool upper);

signals:
    // A point of the chart was clicked: its measurement's file name in the archive folder.
    void meltChosen(const QString &fileName);
    // A whole answer is on show.
    void chartComputed();
    // A save of the melts has ended: the empty text when its file is written, or why not.
    void meltsSaved(const QString &failure);

private:
    void buildControls();
    void layOut();
    void addSavingRow(QBoxLayout *layout);
    void addActions(QBoxLayout *row);
    void connectChoices();
    void fillTechnologies(const QString &wanted);
    void applyPeriod();
    void loadLimits();
    void storeLimits();
    void compute();
    void startComputing(const statistics::ChartSelection &chosen);
    void showResult(const statistics::ControlChart &chart, bool whole, const QStringList &unreadable = {});
    void saveWithDialog();
    void saveMeltsWithDialog();
    void saveCurvesWithDialog();
    // Asks where to save, starting in the folder saved to last; empty when the person cancels.
    QString askSavePath(const QString &title, const QString &filters, QString *chosenFilter = nullptr);
    QString told(const QString &failure, const QString &path);
    void printWithPreview();
    void tell(const QString &text, bool failure = false);

    std::function<QString()> folder;
    std::unique_ptr<QSettings> settings;
    ChartComputation *computation;
    plot::ControlChartPlot *plot;
    QComboBox *technologyList;
    QComboBox *resultList;
    QComboBox *periodList;
    QDateTimeEdit *fromEdit;
    QDateTimeEdit *toEdit;
    QWidget *rangeBox = nullptr; // the bounds of the period, shown for a shift, day, month or from-to
    QLineEdit *lowerField;
    QLineEdit *upperField;
    QProgressBar *progressBar;
    QWidget *progressRow = nullptr; // the progress and the button that stops the computation
    QLabel *statusLine;
    QTimer *landingPause;
    MeltsSaving *meltsSaving;
    QProgressBar *savingBar;
    QWidget *savingRow = nullptr; // the save's progress and the button that stops it
    QString savingPath;           // gathers the files of one burst before the chart is computed again
    archive::Moment reference;
    QString shownTechnology; // of the melt shown in the main window, if any
    std::optional<archive::Moment> shownMoment;
    statistics::ChartSelection computed; // what the chart on show was computed for
    bool loadingLimits = false;
    ShiftReportDialog *report = nullptr; // the shift report of the same technology, made at its first use
};

} // namespace app
