// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>
#include <QVector>

#include <memory>

class QEvent;
class QObject;
class QPrinter;

namespace Ui {
class MainWindow;
}

namespace app {
class ControlChartWindow;
class FolderMark;
class ShownMeasurement;
} // namespace app

// The viewer's one window: the archive's selection lists, the curve plot and the values panel. The
// slots are connected by name by the form; each one gathers its inputs from the widgets and hands
// them to the archive, measurement or printing code.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    // Starts on `archiveFolder` instead of the working directory's "archive" folder.
    explicit MainWindow(const QString &archiveFolder, QWidget *parent = nullptr);
    ~MainWindow() override;

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
    // Keeps the plot display-only: it may paint and follow the window's size, nothing else.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keepTextsWhole();
    void addFinder();

    Ui::MainWindow *ui;
    QString archiveDir;
    QVector<double> emfValues;
    QVector<double> tempValues;
    QVector<double> timeKeys;
    // Keeps the plot and the values panel to what the lists select.
    app::ShownMeasurement *shown = nullptr;
    std::unique_ptr<app::FolderMark> folderMark;
    app::ControlChartWindow *chartWindow = nullptr; // made at its first use
};
