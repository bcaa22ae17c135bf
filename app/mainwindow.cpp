// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "app/cascade.h"
#include "app/controlchartwindow.h"
#include "app/findmeltdialog.h"
#include "app/foldermark.h"
#include "app/listelision.h"
#include "app/measurementselection.h"
#include "app/panelfit.h"
#include "app/shownmeasurement.h"
#include "archive/archivefolder.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"
#include "archive/sharedlisting.h"
#include "measurement/measurementfile.h"
#include "plot/plotsteps.h"
#include "plot/valuespanel.h"
#include "printing/printing.h"
#include "ui_mainwindow.h"
#include "viewerimages.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QPrinter>

#include <optional>

MainWindow::MainWindow(QWidget *parent) : MainWindow(archive::defaultArchiveDirectory(), parent) {}

MainWindow::MainWindow(const QString &archiveFolder, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    viewerimages::completeImages(this);
    for (QComboBox *list : {ui->comboSteelTech, ui->yearMonthCombobox, ui->dayCombobox, ui->timeSteel})
        cascade::styleOpenList(list);
    plot::clearPlot(ui->customPlotSteel);
    keepTextsWhole();
    addFinder();
    folderMark = std::make_unique<app::FolderMark>(ui->pathToDir);

    // Shown as the system spells paths (backslashes on Windows); the field takes either when typed.
    ui->pathToDir->setText(QDir::toNativeSeparators(archiveFolder));
    archiveDir = ui->pathToDir->text();
    on_refreshButton_clicked();

    plot::configureAxes(ui->customPlotSteel);
    ui->customPlotSteel->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::keepTextsWhole()
{
    app::PanelFit::Parts panel;
    panel.panel = ui->frame_6;
    panel.grid = ui->gridLayout_4;
    panel.valueFields = {ui->steelTemp, ui->steelAO, ui->steelEmf, ui->steelAl, ui->steelC};
    panel.unitLabels = {ui->label_9, ui->label_62, ui->label_57, ui->label_60, ui->label_64};
    panel.meltNumber = ui->nameSteelSmelt;
    auto *fit = new app::PanelFit(panel, this);

    measurement::ValueFields fields;
    fields.smelt = ui->nameSteelSmelt;
    fields.temperature = ui->steelTemp;
    fields.emf = ui->steelEmf;
    fields.oxidation = ui->steelAO;
    fields.aluminiumMass = ui->steelAl;
    fields.carbon = ui->steelC;
    fields.status = ui->statusLabel;
    shown = new app::ShownMeasurement(ui->customPlotSteel, fields, fit, this);

    new app::ListElision({ui->comboSteelTech, ui->yearMonthCombobox, ui->dayCombobox, ui->timeSteel}, this);
}

void MainWindow::addFinder()
{
    // The folder the lists show is the one to search; a found measurement is chosen down the lists.
    app::addFindMelt(
        this, [this] { return ui->pathToDir->text(); },
        [this](const QString &fileName) { return app::selectMeasurement(this, fileName); });
}

void MainWindow::on_comboSteelTech_currentIndexChanged(const QString &arg1)
{
    shown->clear();
    cascade::resetLists({ui->yearMonthCombobox, ui->dayCombobox, ui->timeSteel});
    if (cascade::isNothingChosen(arg1))
        return;
    const cascade::WaitCursor busy;
    cascade::appendEntries(ui->yearMonthCombobox, archive::scanYearMonths(ui->pathToDir->text(), arg1));
}

void MainWindow::on_timeSteel_currentIndexChanged(const QString &arg1)
{
    if (cascade::isNothingChosen(arg1))
        return;
    plot::activateRightAxis(ui->customPlotSteel);

    const archive::Moment moment = archive::momentFromListTexts(ui->dayCombobox->currentText(),
                                                                ui->yearMonthCombobox->currentText(), arg1);
    const QString path = archive::archiveFilePath(cascade::loadDirectory(ui->pathToDir->text()),
                                                  ui->comboSteelTech->currentText(), moment);
    const std::optional<measurement::Measurement> loaded = measurement::readMeasurementFile(path);
    if (!loaded) {
        shown->clear(); // nothing of another measurement may stay beside this selection
        return;
    }

    emfValues = loaded->emf;
    tempValues = loaded->temperature;
    plot::displayCurves(ui->customPlotSteel, timeKeys, tempValues, emfValues);
    shown->showValues(*loaded);
}

void MainWindow::on_pushButton_clicked()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QString(), ui->pathToDir->text(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return; // cancelled
    ui->pathToDir->setText(QDir::toNativeSeparators(chosen));
    archiveDir = ui->pathToDir->text();
    on_refreshButton_clicked();
}

void MainWindow::on_refreshButton_clicked()
{
    const cascade::WaitCursor busy;
    cascade::resetLists({ui->comboSteelTech, ui->yearMonthCombobox, ui->dayCombobox, ui->timeSteel});
    if (folderMark->check(archiveDir) != app::FolderProblem::none)
        return;
    // The four scans below, nested in the lists' slots, read the folder once between them.
    const archive::SharedListing listing(archiveDir);
    const archive::TechnologyScan scan = archive::scanTechnologies(archiveDir);
    if (!scan.listedAnyFile)
        return;

    cascade::appendEntries(ui->comboSteelTech, scan.technologies);
    // Each step below notifies the list's own slot, which fills the next list; the time list's slot
    // then loads the newest measurement.
    cascade::selectExactText(ui->comboSteelTech, scan.newestTechnology);
    ui->yearMonthCombobox->setCurrentIndex(1);
    ui->dayCombobox->setCurrentIndex(1);
    ui->timeSteel->setCurrentIndex(1);
}

void MainWindow::on_pathToDir_editingFinished()
{
    const QString typed = ui->pathToDir->text();
    if (QDir::toNativeSeparators(typed) != typed)
        ui->pathToDir->setText(QDir::toNativeSeparators(typed));
    archiveDir = ui->pathToDir->text();
    if (!archiveDir.isEmpty())
        on_refreshButton_clicked();
}

void MainWindow::on_yearMonthCombobox_currentIndexChanged(const QString &arg1)
{
    shown->clear();
    cascade::resetLists({ui->dayCombobox, ui->timeSteel});
    if (cascade::isNothingChosen(arg1))
        return;
    const cascade::WaitCursor busy;
    cascade::appendEntries(ui->dayCombobox,
                           archive::scanDays(ui->pathToDir->text(), ui->comboSteelTech->currentText(), arg1));
}

void MainWindow::on_dayCombobox_currentIndexChanged(const QString &arg1)
{
    shown->clear();
    cascade::resetList(ui->timeSteel);
    if (cascade::isNothingChosen(arg1))
        return;
    const cascade::WaitCursor busy;
    cascade::appendEntries(ui->timeSteel,
                           archive::scanTimes(ui->pathToDir->text(), ui->comboSteelTech->currentText(),
                                              ui->yearMonthCombobox->currentText(), arg1));
}

void MainWindow::on_print_clicked()
{
    QPrinter printer(QPrinter::HighResolution);
    printing::configurePrinter(&printer);
    printing::runPrintPreview(&printer, this, this, SLOT(printArch(QPrinter *)));
}

void MainWindow::on_chartButton_clicked()
{
    if (!chartWindow) {
        chartWindow = new app::ControlChartWindow([this] { return ui->pathToDir->text(); }, this);
        // A point clicked on the chart is chosen down the lists, as the find window chooses a melt.
        connect(chartWindow, &app::ControlChartWindow::meltChosen, this,
                [this](const QString &fileName) { app::selectMeasurement(this, fileName); });
    }
    chartWindow->open(ui->comboSteelTech->currentText(),
                      archive::momentFromListTexts(ui->dayCombobox->currentText(),
                                                   ui->yearMonthCombobox->currentText(),
                                                   ui->timeSteel->currentText()));
}

void MainWindow::printArch(QPrinter *printer)
{
    printing::renderWorkArea(printer, this, ui->frame_2);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->customPlotSteel && event->type() != QEvent::Paint && event->type() != QEvent::Resize)
        return true;
    return QMainWindow::eventFilter(watched, event);
}
