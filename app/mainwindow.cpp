// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "app/cascade.h"
#include "app/controlchartwindow.h"
#include "app/findmeltdialog.h"
#include "app/foldermark.h"
#include "app/listelision.h"
#include "app/meltcomparison.h"
#include "app/panelfit.h"
#include "app/selectionlists.h"
#include "app/shownmeasurement.h"
#include "app/startlisting.h"
#include "app/windowfit.h"
#include "archive/archivefolder.h"
#include "archive/archivename.h"
#include "archive/cascadeselection.h"
#include "measurement/measurementfile.h"
#include "platform/filesystem.h"
#include "plot/plotsteps.h"
#include "plot/valuespanel.h"
#include "printing/printing.h"
#include "ui_mainwindow.h"
#include "viewerimages.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QPrinter>

#include <optional>

// A measurement the follow mode's watch has read, kept until the selection's next change.
struct MainWindow::Offered
{
    QString fileName;
    qint64 modifiedNsecs = 0;
    measurement::Measurement read;
};

MainWindow::MainWindow(QWidget *parent) : MainWindow(archive::defaultArchiveDirectory(), parent) {}

MainWindow::MainWindow(const QString &archiveFolder, QWidget *parent)
    : MainWindow(archiveFolder, FirstListing::now, parent)
{}

MainWindow::MainWindow(const QString &archiveFolder, FirstListing first, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    viewerimages::completeImages({this, ui->refreshButton, ui->print});
    for (QComboBox *list : {ui->comboSteelTech, ui->yearMonthCombobox, ui->dayCombobox, ui->timeSteel})
        cascade::styleOpenList(list);
    plot::clearPlot(ui->customPlotSteel);
    selection = new archive::CascadeSelection(this);
    lists = std::make_unique<app::SelectionLists>(
        selection, std::array<QComboBox *, archive::listLevels>{ui->comboSteelTech, ui->yearMonthCombobox,
                                                                ui->dayCombobox, ui->timeSteel});
    connect(selection, &archive::CascadeSelection::changed, this, &MainWindow::showSelection);
    keepTextsWhole();
    addFinder();
    addComparison();
    folderMark = std::make_unique<app::FolderMark>(ui->pathToDir);

    // Shown as the system spells paths (backslashes on Windows); the field takes either when typed.
    ui->pathToDir->setText(QDir::toNativeSeparators(archiveFolder));
    archiveDir = ui->pathToDir->text();
    if (first == FirstListing::fromLastListing) {
        auto *startListing = new app::StartListing(
            selection, [this] { refresh(); }, this);
        startListing->start(archiveDir);
    } else {
        refresh();
    }

    plot::configureAxes(ui->customPlotSteel);
    ui->customPlotSteel->installEventFilter(this);
    fitScreen();
}

void MainWindow::fitScreen()
{
    app::WindowFit::Parts parts;
    parts.window = this;
    parts.plot = ui->customPlotSteel;
    parts.panelGrid = ui->gridLayout_4;
    parts.pathField = ui->pathToDir;
    parts.rows = {ui->label_65, ui->nameSteelSmelt, ui->label_59,   ui->steelTemp, ui->label_9,
                  ui->label_18, ui->steelAO,        ui->label_62,   ui->label_56,  ui->steelEmf,
                  ui->label_57, ui->label_61,       ui->steelAl,    ui->label_60,  ui->label_63,
                  ui->steelC,   ui->label_64,       ui->statusLabel};
    parts.rows << ui->label_58 << ui->label_53 << ui->label_54 << ui->label_51 << ui->comboSteelTech
               << ui->yearMonthCombobox << ui->dayCombobox << ui->timeSteel << ui->pathToDir;
    parts.layouts = {ui->verticalLayout, ui->horizontalLayout, ui->gridLayout_2, ui->horizontalLayout_19,
                     ui->gridLayout_4};
    parts.texts = parts.rows;
    parts.texts << ui->label << ui->pushButton << ui->chartButton << ui->compareButton;
    parts.fontsChanged = [this] { panelFit->fit(); };
    windowFit = std::make_unique<app::WindowFit>(parts);
    fitInto(windowFit->availableRoom());
}

void MainWindow::fitInto(const QSize &room)
{
    windowFit->fit(room);
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
    panelFit = new app::PanelFit(panel, this);

    plot::ValueFields fields;
    fields.smelt = ui->nameSteelSmelt;
    fields.temperature = ui->steelTemp;
    fields.emf = ui->steelEmf;
    fields.oxidation = ui->steelAO;
    fields.aluminiumMass = ui->steelAl;
    fields.carbon = ui->steelC;
    fields.status = ui->statusLabel;
    shown = new app::ShownMeasurement(ui->customPlotSteel, fields, panelFit, this);

    new app::ListElision({ui->comboSteelTech, ui->yearMonthCombobox, ui->dayCombobox, ui->timeSteel}, this);
}

void MainWindow::addFinder()
{
    // The folder the lists show is the one to search; a found measurement is chosen down the lists.
    app::addFindMelt(
        this, [this] { return ui->pathToDir->text(); },
        [this](const QString &fileName) { return selection->chooseFile(fileName); });
}

void MainWindow::addComparison()
{
    comparison = new app::MeltComparison(selection, this);
    connect(comparison, &app::MeltComparison::changed, this, &MainWindow::drawShown);
    auto *menu = new QMenu(ui->compareButton);
    menu->addActions({ui->compareWithPrevious, ui->compareWithFound, ui->compareOff});
    ui->compareButton->setMenu(menu);
    // The shortcuts work whether the menu is open or not.
    addActions({ui->compareWithPrevious, ui->compareWithFound});
}

// The shown melt drawn again, with the compared one beside it while there is one.
void MainWindow::drawShown()
{
    ui->compareOff->setEnabled(comparison->isOn());
    if (comparison->hasShown())
        plot::displayCurves(ui->customPlotSteel, timeKeys, tempValues, emfValues, comparison->overlay());
}

void MainWindow::offerMeasurement(const QString &fileName, qint64 modifiedNsecs,
                                  const measurement::Measurement &read)
{
    offered = std::make_unique<Offered>(Offered{fileName, modifiedNsecs, read});
}

int MainWindow::reportImages(QTextStream &out) const
{
    return viewerimages::reportImages({const_cast<MainWindow *>(this), ui->refreshButton, ui->print}, out);
}

void MainWindow::markFolder(const QString &reason)
{
    folderMark->mark(reason);
}

// The lists, the plot and the panel change together: nothing is painted until all three show the
// selection's new state.
void MainWindow::showSelection(bool fileChanged)
{
    const bool painting = ui->centralWidget->updatesEnabled();
    ui->centralWidget->setUpdatesEnabled(false);
    lists->show();
    if (fileChanged)
        showFile();
    offered.reset();
    ui->centralWidget->setUpdatesEnabled(painting);
}

void MainWindow::showFile()
{
    const std::optional<archive::ArchiveEntry> file = selection->chosenFile();
    if (!file) {
        comparison->clearShown();
        shown->clear();
        return;
    }
    plot::activateRightAxis(ui->customPlotSteel);
    std::optional<measurement::Measurement> loaded;
    if (offered && offered->fileName == file->fileName && offered->modifiedNsecs == file->modifiedNsecs)
        loaded = offered->read;
    else
        loaded = measurement::readMeasurementFile(
            platform::encodeFileName(cascade::loadDirectory(selection->model().folder())) + '/' +
            file->encodedName());
    if (!loaded) {
        comparison->clearShown();
        shown->clear(); // nothing of another measurement may stay beside this selection
        return;
    }
    emfValues = loaded->emf;
    tempValues = loaded->temperature;
    comparison->setShown(*file, *loaded);
    plot::displayCurves(ui->customPlotSteel, timeKeys, tempValues, emfValues, comparison->overlay());
    shown->showValues(*loaded);
}

void MainWindow::on_comboSteelTech_currentIndexChanged(const QString &)
{
    lists->chosen(archive::ListLevel::technology);
}

void MainWindow::on_timeSteel_currentIndexChanged(const QString &)
{
    lists->chosen(archive::ListLevel::time);
}

void MainWindow::on_pushButton_clicked()
{
    const QString chosen =
        QFileDialog::getExistingDirectory(this, QString(), ui->pathToDir->text(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return; // cancelled
    ui->pathToDir->setText(QDir::toNativeSeparators(chosen));
    archiveDir = ui->pathToDir->text();
    refresh();
}

void MainWindow::on_refreshButton_clicked()
{
    refresh();
}

void MainWindow::refresh()
{
    const cascade::WaitCursor busy;
    app::FolderProblem problem = folderMark->check(archiveDir);
    if (problem != app::FolderProblem::none)
        selection->clear(archiveDir);
    else if (selection->refresh(archiveDir) && selection->model().fileCount() == 0)
        problem = app::emptinessOf(archiveDir);
    if (problem == app::FolderProblem::none)
        return;
    // An empty sheet says why it is empty, in the path field and in its status.
    folderMark->mark(problem, archiveDir);
    shown->clear(app::folderProblemShortText(problem));
}

void MainWindow::on_pathToDir_editingFinished()
{
    const QString typed = ui->pathToDir->text();
    if (QDir::toNativeSeparators(typed) != typed)
        ui->pathToDir->setText(QDir::toNativeSeparators(typed));
    archiveDir = ui->pathToDir->text();
    if (!archiveDir.isEmpty())
        refresh();
}

void MainWindow::on_yearMonthCombobox_currentIndexChanged(const QString &)
{
    lists->chosen(archive::ListLevel::month);
}

void MainWindow::on_dayCombobox_currentIndexChanged(const QString &)
{
    lists->chosen(archive::ListLevel::day);
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
                [this](const QString &fileName) { selection->chooseFile(fileName); });
        // Files the follow mode puts in the lists' folder reach the chart as they land.
        connect(&selection->model(), &archive::ArchiveModel::filePut, chartWindow,
                &app::ControlChartWindow::measurementLanded);
    }
    chartWindow->open(ui->comboSteelTech->currentText(),
                      archive::momentFromListTexts(ui->dayCombobox->currentText(),
                                                   ui->yearMonthCombobox->currentText(),
                                                   ui->timeSteel->currentText()));
}

void MainWindow::on_compareWithPrevious_triggered()
{
    comparison->compareWithPrevious();
}

void MainWindow::on_compareWithFound_triggered()
{
    if (!compareFinder) {
        // The find window of Ctrl+F, its choice drawn beside the shown melt instead of shown.
        compareFinder = new app::FindMeltDialog(
            [this] { return ui->pathToDir->text(); },
            [this](const QString &fileName) { return comparison->compareWith(fileName); }, this);
        compareFinder->setObjectName(QStringLiteral("compareMelt"));
        compareFinder->setWindowTitle(QStringLiteral("Сравнить с плавкой"));
    }
    compareFinder->open();
}

void MainWindow::on_compareOff_triggered()
{
    comparison->clear();
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
