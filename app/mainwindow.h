// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>
#include <QVector>

#include <memory>

class QEvent;
class QObject;
class QPrinter;
class QTextStream;

namespace Ui {
class MainWindow;
}

namespace app {
class ControlChartWindow;
class FindMeltDialog;
class FolderMark;
class MeltComparison;
class PanelFit;
class SelectionLists;
class WindowFit;
class ShownMeasurement;
} // namespace app

namespace archive {
class CascadeSelection;
}

namespace measurement {
struct Measurement;
}

// The viewer's one window: the archive's selection lists, the curve plot and the values panel. The
// selection of the archive (archive::CascadeSelection) owns what is chosen; the lists are its views,
// and the plot and the panel show its chosen file. The slots are connected by name by the form and
// pass the operator's actions on.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // How the window reads its folder when it opens: listed at once, or first shown as the last
    // listing kept in the archive's index left it and confirmed by a listing meanwhile (the program's
    // start on a large archive, app::StartListing).
    enum class FirstListing
    {
        now,
        fromLastListing,
    };

    explicit MainWindow(QWidget *parent = nullptr);
    // Starts on `archiveFolder` instead of the working directory's "archive" folder.
    explicit MainWindow(const QString &archiveFolder, QWidget *parent = nullptr);
    MainWindow(const QString &archiveFolder, FirstListing first, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The archive and its selection shown by this window.
    archive::CascadeSelection *archiveSelection() const { return selection; }
    // Reads the folder named in the path field anew and shows its newest measurement.
    void refresh();
    // A measurement already read from `fileName` at `modifiedNsecs`: shown without reading the file
    // again if the next change of the selection chooses exactly that file.
    void offerMeasurement(const QString &fileName, qint64 modifiedNsecs,
                          const measurement::Measurement &read);
    // Says in the path field why the folder cannot be followed; the empty text clears it.
    void markFolder(const QString &reason);
    // Fits the window into `room` (its contents, without frame), its minimum sizes yielding where they
    // do not fit; made at construction for the screen the window opens on.
    void fitInto(const QSize &room);
    // Says which images the window draws, for the install check (viewerimages::reportImages).
    int reportImages(QTextStream &out) const;

private slots:
    void on_comboSteelTech_currentIndexChanged(const QString &arg1);
    void on_timeSteel_currentIndexChanged(const QString &arg1);
    void on_pushButton_clicked();
    void on_refreshButton_clicked();
    void on_pathToDir_editingFinished();
    void on_yearMonthCombobox_currentIndexChanged(const QString &arg1);
    void on_dayCombobox_currentIndexChanged(const QString &arg1);
    void on_print_clicked();
    void printArch(QPrinter *printer);
    void on_chartButton_clicked();
    void on_compareWithPrevious_triggered();
    void on_compareWithFound_triggered();
    void on_compareOff_triggered();
    // Keeps the plot display-only: it may paint and follow the window's size, nothing else.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keepTextsWhole();
    void addFinder();
    void addComparison();
    void drawShown();
    void fitScreen();
    void showSelection(bool fileChanged);
    void showFile();

    Ui::MainWindow *ui;
    QString archiveDir;
    QVector<double> emfValues;
    QVector<double> tempValues;
    QVector<double> timeKeys;
    // Keeps the plot and the values panel to what the lists select.
    app::ShownMeasurement *shown = nullptr;
    app::PanelFit *panelFit = nullptr;
    std::unique_ptr<app::FolderMark> folderMark;
    app::ControlChartWindow *chartWindow = nullptr; // made at its first use
    // Which melt, if any, is drawn beside the shown one.
    app::MeltComparison *comparison = nullptr;
    app::FindMeltDialog *compareFinder = nullptr; // made at its first use
    archive::CascadeSelection *selection = nullptr;
    std::unique_ptr<app::SelectionLists> lists;
    struct Offered;
    std::unique_ptr<Offered> offered;
    std::unique_ptr<app::WindowFit> windowFit;
};
