// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controlchartwindow.h"

#include "app/cascade.h"
#include "app/chartcomputation.h"
#include "app/progressrow.h"
#include "app/shiftreportdialog.h"
#include "app/spreadsheetsaving.h"
#include "archive/archivefolder.h"
#include "archive/archivemodel.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "output/controlcharttables.h"
#include "output/outputfile.h"
#include "output/outputformat.h"
#include "output/xlsx.h"
#include "plot/controlchartplot.h"
#include "printing/controlchartpage.h"
#include "query/searchcriteria.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int shiftStartHour = 8; // the plant's shifts: 08:00-20:00 and 20:00-08:00

QString statusOf(const statistics::ControlChart &chart, const QStringList &unreadable)
{
    QStringList parts{QStringLiteral("Плавок на карте: %1").arg(chart.points.size()),
                      QStringLiteral("плавок без значения: %1").arg(chart.meltsWithoutValue)};
    if (!unreadable.isEmpty())
        parts << QStringLiteral("не прочитано файлов: %1 (%2%3)")
                     .arg(unreadable.size())
                     .arg(unreadable.mid(0, 3).join(QStringLiteral(", ")),
                          unreadable.size() > 3 ? QStringLiteral(", …") : QString());
    parts << QStringLiteral("правило 1 (за контрольной границей): %1").arg(chart.beyondLimitsCount())
          << QStringLiteral("правило 2 (%1 подряд по одну сторону от центра): %2")
                 .arg(statistics::runLength)
                 .arg(chart.inRunCount());
    return parts.join(QStringLiteral("; ")) + QLatin1Char('.');
}

QDateTime dateTimeOf(const archive::Moment &moment)
{
    return QDateTime(moment.date, moment.time, Qt::UTC);
}

archive::Moment momentOf(const QDateTime &dateTime)
{
    return {dateTime.date(), dateTime.time()};
}

// The bounds of the shift, day or month around `reference`; `to` is the first moment left out.
std::pair<QDateTime, QDateTime> periodAround(ControlChartWindow::Period period, const QDateTime &reference)
{
    const QDate day = reference.date();
    switch (period) {
    case ControlChartWindow::Period::shift: {
        QDateTime start(day, QTime(shiftStartHour, 0), Qt::UTC);
        if (reference < start)
            start = start.addSecs(-12 * 3600);
        else if (reference >= start.addSecs(12 * 3600))
            start = start.addSecs(12 * 3600);
        return {start, start.addSecs(12 * 3600)};
    }
    case ControlChartWindow::Period::month: {
        const QDate first(day.year(), day.month(), 1);
        return {QDateTime(first, QTime(0, 0), Qt::UTC), QDateTime(first.addMonths(1), QTime(0, 0), Qt::UTC)};
    }
    default:
        return {QDateTime(day, QTime(0, 0), Qt::UTC), QDateTime(day.addDays(1), QTime(0, 0), Qt::UTC)};
    }
}

// A limit typed with a point or a comma; empty is none.
std::optional<double> typedLimit(const QLineEdit *field, bool *valid)
{
    const QString text = field->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<double> value = query::parseTypedNumber(text);
    if (!value)
        *valid = false;
    return value;
}

} // namespace

ControlChartWindow::ControlChartWindow(std::function<QString()> folder, QWidget *parent)
    : QDialog(parent), folder(std::move(folder)),
      settings(std::make_unique<QSettings>(QStringLiteral("Velmora-Steel"), QStringLiteral("steel-viewer"))),
      computation(new ChartComputation(this)), plot(new plot::ControlChartPlot(this)),
      technologyList(new QComboBox(this)), resultList(new QComboBox(this)), periodList(new QComboBox(this)),
      fromEdit(new QDateTimeEdit(this)), toEdit(new QDateTimeEdit(this)), lowerField(new QLineEdit(this)),
      upperField(new QLineEdit(this)), progressBar(new QProgressBar(this)), statusLine(new QLabel(this)),
      landingPause(new QTimer(this)), meltsSaving(new MeltsSaving(this)), savingBar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("controlChart"));
    setWindowTitle(QStringLiteral("Контрольная карта"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    reference = momentOf(QDateTime::currentDateTimeUtc());
    buildControls();
    connect(computation, &ChartComputation::preliminary, this,
            [this](const statistics::ControlChart &chart) { showResult(chart, false); });
    connect(computation, &ChartComputation::progressed, this, [this](qint64 done, qint64 total) {
        progressBar->setRange(0, int(std::min<qint64>(total, 1 << 30)));
        progressBar->setValue(int(std::min(done, total)));
    });
    connect(computation, &ChartComputation::finished, this,
            [this](const statistics::ControlChart &chart, const QStringList &unreadable) {
                showResult(chart, true, unreadable);
            });
    connect(plot, &plot::ControlChartPlot::meltClicked, this, &ControlChartWindow::meltChosen);
    landingPause->setSingleShot(true);
    landingPause->setInterval(300);
    connect(landingPause, &QTimer::timeout, this, [this] {
        if (isVisible() && !computed.technology.isEmpty())
            startComputing(computed);
    });
}

ControlChartWindow::~ControlChartWindow() = default;

void ControlChartWindow::buildControls()
{
    technologyList->setObjectName(QStringLiteral("chartTechnology"));
    resultList->setObjectName(QStringLiteral("chartResult"));
    for (int r = 0; r < statistics::chartResultNames().size(); ++r)
        resultList->addItem(plot::chartResultName(statistics::ChartResult(r)));
    periodList->setObjectName(QStringLiteral("chartPeriod"));
    periodList->addItems({QStringLiteral("Последние 50 плавок"), QStringLiteral("Последние 100 плавок"),
                          QStringLiteral("Последние 500 плавок"), QStringLiteral("Смена"),
                          QStringLiteral("Сутки"), QStringLiteral("Месяц"), QStringLiteral("С … по …")});
    periodList->setCurrentIndex(int(Period::last100));
    for (QDateTimeEdit *edit : {fromEdit, toEdit}) {
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy hh:mm"));
        edit->setCalendarPopup(true);
        edit->setTimeSpec(Qt::UTC); // moments of the archive have no zone
    }
    fromEdit->setObjectName(QStringLiteral("chartFrom"));
    toEdit->setObjectName(QStringLiteral("chartTo"));
    lowerField->setObjectName(QStringLiteral("lowerTolerance"));
    upperField->setObjectName(QStringLiteral("upperTolerance"));
    lowerField->setPlaceholderText(QStringLiteral("нет"));
    upperField->setPlaceholderText(QStringLiteral("нет"));
    progressBar->setObjectName(QStringLiteral("chartProgress"));
    statusLine->setObjectName(QStringLiteral("chartStatus"));
    statusLine->setWordWrap(true);
    layOut();
}

void ControlChartWindow::layOut()
{
    // Two rows, so that the window fits a small screen at 200 %: what is charted, then the plant's
    // limits and what is done with the chart.
    auto *choices = new QHBoxLayout;
    auto *actions = new QHBoxLayout;
    const auto addLabelled = [this](QBoxLayout *row, const QString &text, QWidget *field) {
        auto *label = new QLabel(text, field->parentWidget());
        label->setBuddy(field);
        row->addWidget(label);
        row->addWidget(field);
    };
    addLabelled(choices, QStringLiteral("&Технология:"), technologyList);
    addLabelled(choices, QStringLiteral("&Результат:"), resultList);
    addLabelled(choices, QStringLiteral("&Период:"), periodList);
    rangeBox = new QWidget(this);
    auto *range = new QHBoxLayout(rangeBox);
    range->setContentsMargins(0, 0, 0, 0);
    fromEdit->setParent(rangeBox);
    toEdit->setParent(rangeBox);
    addLabelled(range, QStringLiteral("с"), fromEdit);
    addLabelled(range, QStringLiteral("по"), toEdit);
    choices->addWidget(rangeBox);
    choices->addStretch();
    addLabelled(actions, QStringLiteral("&Нижняя граница допуска:"), lowerField);
    addLabelled(actions, QStringLiteral("&Верхняя:"), upperField);
    for (QLineEdit *field : {lowerField, upperField})
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000,000")));
    actions->addStretch();
    addActions(actions);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(actions);
    layout->addWidget(plot, 1);
    progressRow = new QWidget(this);
    QPushButton *stopButton = makeProgressRow(progressRow, progressBar, QStringLiteral("stopChart"));
    connect(stopButton, &QPushButton::clicked, this, [this] {
        computation->stop();
        progressRow->setVisible(false);
        tell(QStringLiteral("Расчёт остановлен: на карте то, что известно из индекса."));
    });
    layout->addWidget(progressRow);
    addSavingRow(layout);
    layout->addWidget(statusLine);
    plot->setMinimumSize(400, 240);
    resize(1000, 700);
    connectChoices();
}

void ControlChartWindow::addSavingRow(QBoxLayout *layout)
{
    savingRow = new QWidget(this);
    savingBar->setObjectName(QStringLiteral("savingProgress"));
    QPushButton *stopButton = makeProgressRow(savingRow, savingBar, QStringLiteral("stopSaving"));
    savingRow->setVisible(false);
    layout->addWidget(savingRow);
    connect(stopButton, &QPushButton::clicked, this, [this] {
        meltsSaving->stop();
        savingRow->setVisible(false);
        tell(savingStoppedText());
        emit meltsSaved(savingStoppedText());
    });
    connect(meltsSaving, &MeltsSaving::progressed, this, [this](qint64 done, qint64 total) {
        savingBar->setRange(0, int(std::min<qint64>(total, 1 << 30)));
        savingBar->setValue(int(std::min(done, total)));
    });
    connect(meltsSaving, &MeltsSaving::finished, this, [this](const QString &failure) {
        savingRow->setVisible(false);
        emit meltsSaved(told(failure, savingPath));
    });
}

void ControlChartWindow::connectChoices()
{
    connect(technologyList, QOverload<int>::of(&QComboBox::activated), this, [this] {
        loadLimits();
        compute();
    });
    connect(resultList, QOverload<int>::of(&QComboBox::activated), this, [this] {
        loadLimits();
        compute();
    });
    connect(periodList, QOverload<int>::of(&QComboBox::activated), this, [this] {
        applyPeriod();
        compute();
    });
    for (QLineEdit *field : {lowerField, upperField})
        connect(field, &QLineEdit::editingFinished, this, [this] {
            storeLimits();
            compute();
        });
}

void ControlChartWindow::addActions(QBoxLayout *row)
{
    const std::pair<const char *, std::function<void()>> actions[] = {
        {"computeChart", [this] { compute(); }},
        {"printChart", [this] { printWithPreview(); }},
        {"saveChart", [this] { saveWithDialog(); }},
        {"saveMelts", [this] { saveMeltsWithDialog(); }},
        {"saveCurves", [this] { saveCurvesWithDialog(); }},
        {"openReport",
         [this] {
             if (!report)
                 report = new ShiftReportDialog(folder, this);
             report->open(technologyList->currentText(), shownMoment);
         }},
    };
    const QStringList texts{QStringLiteral("Построить"),
                            QStringLiteral("Печать…"),
                            QStringLiteral("Сохранить…"),
                            QStringLiteral("Плавки в Excel…"),
                            QStringLiteral("Кривые плавки в Excel…"),
                            QStringLiteral("Отчёт за смену…")};
    for (int i = 0; i < texts.size(); ++i) {
        auto *button = new QPushButton(texts[i], this);
        button->setObjectName(QLatin1String(actions[i].first));
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, actions[i].second);
    }
}

void ControlChartWindow::fillTechnologies(const QString &wanted)
{
    const QString keep = wanted.isEmpty() ? technologyList->currentText() : wanted;
    technologyList->clear();
    technologyList->addItems(archive::scanTechnologies(archive::folderPath(folder())).technologies);
    const int index = technologyList->findText(keep);
    if (index >= 0)
        technologyList->setCurrentIndex(index);
}

void ControlChartWindow::applyPeriod()
{
    const auto period = Period(periodList->currentIndex());
    const bool typed = period == Period::range;
    rangeBox->setVisible(period >= Period::shift);
    fromEdit->setReadOnly(!typed);
    toEdit->setReadOnly(!typed);
    if (period < Period::shift || typed)
        return; // for from-to the bounds as typed, starting from those shown last
    const auto [from, to] = periodAround(period, dateTimeOf(reference));
    fromEdit->setDateTime(from);
    toEdit->setDateTime(to);
}

void ControlChartWindow::open(const QString &technology, const std::optional<archive::Moment> &shown)
{
    shownTechnology = technology;
    shownMoment.reset();
    if (shown && shown->isValid()) {
        reference = *shown;
        shownMoment = *shown;
    }
    fillTechnologies(technology);
    applyPeriod();
    loadLimits();
    // Within the screen at any scale: a window larger than the screen's free area is fitted to it.
    if (const QScreen *screen = this->screen()) {
        const QSize room = screen->availableGeometry().size() * 0.9;
        if (width() > room.width() || height() > room.height())
            resize(size().boundedTo(room));
    }
    QDialog::show();
    raise();
    activateWindow();
    compute();
}

QString ControlChartWindow::limitKey(const QString &technology, statistics::ChartResult result, bool upper)
{
    // A technology's name may hold "/", which QSettings takes for a group: kept as a percent-encoding.
    return QStringLiteral("controlChart/%1/%2/%3")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(technology)),
             statistics::chartResultNames().value(int(result)),
             upper ? QStringLiteral("upper") : QStringLiteral("lower"));
}

void ControlChartWindow::loadLimits()
{
    const statistics::ChartSelection chosen = selection();
    loadingLimits = true;
    lowerField->setText(settings->value(limitKey(chosen.technology, chosen.result, false)).toString());
    upperField->setText(settings->value(limitKey(chosen.technology, chosen.result, true)).toString());
    loadingLimits = false;
}

void ControlChartWindow::storeLimits()
{
    if (loadingLimits || technologyList->currentText().isEmpty())
        return;
    const auto result = statistics::ChartResult(resultList->currentIndex());
    const QString technology = technologyList->currentText();
    for (const auto &[field, upper] : {std::make_pair(lowerField, false), std::make_pair(upperField, true)}) {
        const QString text = field->text().trimmed();
        if (text.isEmpty())
            settings->remove(limitKey(technology, result, upper));
        else
            settings->setValue(limitKey(technology, result, upper), text);
    }
    settings->sync();
}

statistics::ChartSelection ControlChartWindow::selection() const
{
    statistics::ChartSelection chosen;
    chosen.technology = technologyList->currentText();
    chosen.result = statistics::ChartResult(std::max(0, resultList->currentIndex()));
    const auto period = Period(periodList->currentIndex());
    if (period <= Period::last500)
        chosen.lastMelts = period == Period::last50 ? 50 : period == Period::last100 ? 100 : 500;
    else {
        chosen.from = momentOf(fromEdit->dateTime());
        chosen.to = momentOf(toEdit->dateTime());
    }
    bool valid = true;
    chosen.tolerance = {typedLimit(lowerField, &valid), typedLimit(upperField, &valid)};
    if (!valid || !chosen.tolerance.isValid())
        chosen.tolerance = {};
    return chosen;
}

const statistics::ControlChart &ControlChartWindow::chart() const
{
    return plot->chart();
}

bool ControlChartWindow::isComputing() const
{
    return computation->isRunning();
}

void ControlChartWindow::compute()
{
    const statistics::ChartSelection chosen = selection();
    if (chosen.technology.isEmpty()) {
        tell(QStringLiteral("В папке нет измерений."));
        return;
    }
    if (chosen.from && chosen.to && !(*chosen.from < *chosen.to)) {
        tell(QStringLiteral("Начало периода должно быть раньше его конца."), true);
        return;
    }
    bool valid = true;
    typedLimit(lowerField, &valid);
    typedLimit(upperField, &valid);
    tell(!valid ? QStringLiteral("Граница допуска — не число; карта строится без допуска.")
                : QStringLiteral("Расчёт…"),
         !valid);
    startComputing(chosen);
}

void ControlChartWindow::startComputing(const statistics::ChartSelection &chosen)
{
    computed = chosen;
    progressBar->setRange(0, 0);
    progressRow->setVisible(true);
    computation->start(folder(), chosen);
}

void ControlChartWindow::measurementLanded(const archive::ArchiveEntry &file)
{
    if (!isVisible() || computed.technology.isEmpty() ||
        archive::technologyOfFile(file.fileName) != computed.technology)
        return;
    // A melt outside a fixed period changes nothing on this chart; the last melts take every new one.
    const archive::Moment moment = archive::momentOfFile(file.fileName);
    if (!moment.isValid() || (computed.from && moment < *computed.from) ||
        (computed.to && !(moment < *computed.to)))
        return;
    landingPause->start();
}

void ControlChartWindow::showResult(const statistics::ControlChart &chart, bool whole,
                                    const QStringList &unreadable)
{
    plot->showChart(computed, chart);
    if (!whole)
        return;
    progressRow->setVisible(false);
    tell(statusOf(chart, unreadable));
    emit chartComputed();
}

void ControlChartWindow::tell(const QString &text, bool failure)
{
    statusLine->setText(text);
    statusLine->setStyleSheet(failure ? QStringLiteral("color: rgb(214, 39, 40);") : QString());
}

QString ControlChartWindow::saveTo(const QString &path)
{
    const std::optional<output::Format> format = output::formatOfName(path);
    QString failure;
    if (!format || (*format != output::Format::pdf && *format != output::Format::png &&
                    *format != output::Format::xlsx)) {
        failure = QStringLiteral("%1: имя должно оканчиваться на .pdf, .png или .xlsx")
                      .arg(archive::displayPath(path));
        tell(failure, true);
        return failure;
    }
    // The command line's rule for every output, in its words: never into the archive that is read.
    const output::ReadArchive read = output::readingFolder(archive::folderPath(folder()));
    const QString refusal = output::outputRefusal(read, path);
    if (!refusal.isEmpty()) {
        failure = archive::displayPath(path) + QStringLiteral(": ") + refusal;
        tell(failure, true);
        return failure;
    }
    if (*format == output::Format::xlsx)
        return told(saveSpreadsheet(path, read,
                                    [this](output::XlsxBook &book) {
                                        output::addControlChartSheets(book, computed, chart());
                                    }),
                    path);
    output::OutputFile file(path, read); // the rule asked again of the folder held open
    bool drawn = file.open();
    if (drawn)
        drawn = *format == output::Format::pdf
                    ? printing::writeControlChartPdf(file.device(), computed, chart())
                    : printing::writeControlChartPng(file.device(), printing::defaultChartPictureSize(),
                                                     computed, chart());
    if (drawn && file.commit(true))
        return told(QString(), path);
    failure = file.failure().isEmpty() ? file.writeFailure() : file.failure();
    file.discard();
    return told(QStringLiteral("%1: не удалось записать: %2").arg(archive::displayPath(path), failure), path);
}

QString ControlChartWindow::told(const QString &failure, const QString &path)
{
    if (failure.isEmpty())
        tell(QStringLiteral("Сохранено: %1").arg(QDir::toNativeSeparators(path)));
    else
        tell(failure, true);
    return failure;
}

QString ControlChartWindow::saveMeltsTo(const QString &path)
{
    // Refused at once where the place is wrong; asked again when the file is opened.
    QString failure;
    if (output::formatOfName(path) != output::Format::xlsx)
        failure = QStringLiteral("%1: имя должно оканчиваться на .xlsx").arg(archive::displayPath(path));
    else if (const QString refusal =
                 output::outputRefusal(output::readingFolder(archive::folderPath(folder())), path);
             !refusal.isEmpty())
        failure = archive::displayPath(path) + QStringLiteral(": ") + refusal;
    if (!failure.isEmpty())
        return told(failure, path);
    savingPath = path;
    savingBar->setRange(0, 0);
    savingRow->setVisible(true);
    tell(QStringLiteral("Сохранение плавок: %1").arg(QDir::toNativeSeparators(path)));
    meltsSaving->start(path, folder(), selection());
    return QString();
}

bool ControlChartWindow::isSavingMelts() const
{
    return meltsSaving->isRunning();
}

QString ControlChartWindow::saveCurvesTo(const QString &path)
{
    if (!shownMoment)
        return told(QStringLiteral("В главном окне не выбрано измерение."), path);
    const QString measurementPath =
        archive::archiveFilePath(archive::folderPath(folder()), shownTechnology, *shownMoment);
    return told(saveCurvesSpreadsheet(path, measurementPath), path);
}

bool ControlChartWindow::printTo(QPrinter *printer)
{
    return printing::printControlChart(printer, computed, chart());
}

QString ControlChartWindow::askSavePath(const QString &title, const QString &filters, QString *chosenFilter)
{
    const QString folderKey = QStringLiteral("saveFolder");
    QString path = QFileDialog::getSaveFileName(
        this, title, settings->value(folderKey, QDir::homePath()).toString(), filters, chosenFilter);
    if (!path.isEmpty())
        settings->setValue(folderKey, QFileInfo(path).absolutePath());
    return path;
}

void ControlChartWindow::saveWithDialog()
{
    QString filter;
    QString path = askSavePath(QStringLiteral("Сохранить карту"),
                               QStringLiteral("PDF (*.pdf);;PNG (*.png);;Excel (*.xlsx)"), &filter);
    if (path.isEmpty())
        return;
    if (!output::formatOfName(path))
        path += filter.startsWith(QLatin1String("PNG"))     ? QStringLiteral(".png")
                : filter.startsWith(QLatin1String("Excel")) ? QStringLiteral(".xlsx")
                                                            : QStringLiteral(".pdf");
    saveTo(path);
}

void ControlChartWindow::saveMeltsWithDialog()
{
    QString path = askSavePath(QStringLiteral("Плавки в Excel"), QStringLiteral("Excel (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (!output::formatOfName(path))
        path += QStringLiteral(".xlsx");
    saveMeltsTo(path);
}

void ControlChartWindow::saveCurvesWithDialog()
{
    QString path = askSavePath(QStringLiteral("Кривые плавки в Excel"), QStringLiteral("Excel (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (!output::formatOfName(path))
        path += QStringLiteral(".xlsx");
    saveCurvesTo(path);
}

void ControlChartWindow::printWithPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) { printTo(p); });
    preview.exec();
}

} // namespace app
