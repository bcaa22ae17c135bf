// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shiftreportdialog.h"

#include "app/progressrow.h"
#include "archive/archivefolder.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "output/outputfile.h"
#include "output/outputformat.h"
#include "printing/reportdocument.h"
#include "query/foundmeasurements.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace app {

namespace {

const QString momentFormat = QStringLiteral("yyyy-MM-dd hh:mm");

QSettings viewerSettings()
{
    return QSettings(QStringLiteral("Velmora-Steel"), QStringLiteral("steel-viewer"));
}

} // namespace

ShiftReportDialog::ShiftReportDialog(std::function<QString()> folder, QWidget *parent)
    : QDialog(parent), folder(std::move(folder)), technologyList(new QComboBox(this)),
      periodList(new QComboBox(this)), shiftStart(new QSpinBox(this)), fromEdit(new QDateTimeEdit(this)),
      toEdit(new QDateTimeEdit(this)), progressBar(new QProgressBar(this)), statusLine(new QLabel(this))
{
    setObjectName(QStringLiteral("shiftReport"));
    setWindowTitle(QStringLiteral("Отчёт за смену"));
    const QDateTime now = QDateTime::currentDateTime();
    reference = {now.date(), now.time()};
    buildControls();
}

ShiftReportDialog::~ShiftReportDialog() = default;

void ShiftReportDialog::buildControls()
{
    technologyList->setObjectName(QStringLiteral("reportTechnology"));
    periodList->setObjectName(QStringLiteral("reportPeriod"));
    periodList->addItems({QStringLiteral("Смена"), QStringLiteral("Сутки"), QStringLiteral("Месяц"),
                          QStringLiteral("С … по …")});
    shiftStart->setObjectName(QStringLiteral("shiftStart"));
    shiftStart->setRange(0, 11);
    shiftStart->setSuffix(QStringLiteral(":00"));
    shiftStart->setValue(viewerSettings().value(QStringLiteral("report/shiftStart"), 8).toInt());
    for (QDateTimeEdit *edit : {fromEdit, toEdit}) {
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy hh:mm"));
        edit->setCalendarPopup(true);
    }
    fromEdit->setObjectName(QStringLiteral("reportFrom"));
    toEdit->setObjectName(QStringLiteral("reportTo"));
    auto *previewButton = new QPushButton(QStringLiteral("Просмотр…"), this);
    previewButton->setObjectName(QStringLiteral("previewReport"));
    auto *saveButton = new QPushButton(QStringLiteral("Сохранить PDF…"), this);
    saveButton->setObjectName(QStringLiteral("saveReport"));
    progressBar->setObjectName(QStringLiteral("reportProgress"));
    statusLine->setObjectName(QStringLiteral("reportStatus"));
    statusLine->setWordWrap(true);

    auto *choices = new QHBoxLayout;
    const auto addLabelled = [this, choices](const QString &text, QWidget *field) {
        auto *label = new QLabel(text, this);
        label->setBuddy(field);
        choices->addWidget(label);
        choices->addWidget(field);
    };
    addLabelled(QStringLiteral("&Технология:"), technologyList);
    addLabelled(QStringLiteral("&Период:"), periodList);
    addLabelled(QStringLiteral("Смены с:"), shiftStart);
    addLabelled(QStringLiteral("с"), fromEdit);
    addLabelled(QStringLiteral("по"), toEdit);
    auto *actions = new QHBoxLayout;
    actions->addStretch();
    actions->addWidget(previewButton);
    actions->addWidget(saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(actions);
    progressRow = new QWidget(this);
    QPushButton *stopButton = makeProgressRow(progressRow, progressBar, QStringLiteral("stopReport"));
    connect(stopButton, &QPushButton::clicked, this, &ShiftReportDialog::stop);
    progressRow->setVisible(false);
    layout->addWidget(progressRow);
    layout->addWidget(statusLine);

    connect(periodList, QOverload<int>::of(&QComboBox::activated), this, [this] { applyPeriod(); });
    connect(shiftStart, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int hour) {
        viewerSettings().setValue(QStringLiteral("report/shiftStart"), hour);
        applyPeriod();
    });
    connect(previewButton, &QPushButton::clicked, this, &ShiftReportDialog::preview);
    connect(saveButton, &QPushButton::clicked, this, &ShiftReportDialog::saveWithDialog);
}

void ShiftReportDialog::applyPeriod()
{
    const auto period = Period(periodList->currentIndex());
    const bool typed = period == Period::range;
    fromEdit->setReadOnly(!typed);
    toEdit->setReadOnly(!typed);
    shiftStart->setEnabled(period == Period::shift);
    if (typed)
        return;
    const QDateTime at(reference.date, reference.time);
    const QDate day = reference.date;
    QDateTime from(day, QTime(0, 0));
    QDateTime to = from.addDays(1);
    if (period == Period::shift) {
        // Two shifts of twelve hours, the day shift from the plant's start hour.
        from = QDateTime(day, QTime(shiftStart->value(), 0));
        if (at < from)
            from = from.addSecs(-12 * 3600);
        else if (at >= from.addSecs(12 * 3600))
            from = from.addSecs(12 * 3600);
        to = from.addSecs(12 * 3600);
    } else if (period == Period::month) {
        from = QDateTime(QDate(day.year(), day.month(), 1), QTime(0, 0));
        to = from.addMonths(1);
    }
    fromEdit->setDateTime(from);
    toEdit->setDateTime(to);
}

void ShiftReportDialog::open(const QString &technology, const std::optional<archive::Moment> &shown)
{
    if (shown && shown->isValid())
        reference = *shown;
    technologyList->clear();
    technologyList->addItem(QStringLiteral("Все"));
    technologyList->addItems(archive::scanTechnologies(archive::folderPath(folder())).technologies);
    const int index = technologyList->findText(technology);
    technologyList->setCurrentIndex(std::max(0, index));
    applyPeriod();
    show();
    raise();
    activateWindow();
}

QVector<QPair<QString, QString>> ShiftReportDialog::conditions() const
{
    QVector<QPair<QString, QString>> given;
    if (technologyList->currentIndex() > 0)
        given.append({QStringLiteral("technology"), technologyList->currentText()});
    given.append({QStringLiteral("from"), fromEdit->dateTime().toString(momentFormat)});
    given.append({QStringLiteral("to"), toEdit->dateTime().toString(momentFormat)});
    return given;
}

query::SearchCriteria ShiftReportDialog::criteria() const
{
    // Read back from the texts the command line would be given, so that both select alike.
    query::SearchCriteria criteria;
    QString why;
    for (const auto &[name, value] : conditions()) {
        if (name == QLatin1String("technology"))
            criteria.technology = value;
        else if (name == QLatin1String("from"))
            criteria.from = query::parseMomentBound(value, query::BoundSide::from, &why);
        else
            criteria.to = query::parseMomentBound(value, query::BoundSide::to, &why);
    }
    return criteria;
}

printing::ReportHeading ShiftReportDialog::heading() const
{
    printing::ReportHeading heading;
    heading.directory = QDir::cleanPath(QFileInfo(archive::folderPath(folder())).absoluteFilePath());
    heading.period = printing::reportPeriod(criteria(), gathered);
    heading.conditions = printing::reportConditions(conditions());
    heading.madeAt = QDateTime::currentDateTime();
    return heading;
}

void ShiftReportDialog::gather()
{
    progressBar->setRange(0, 0);
    progressRow->setVisible(true);
    statusLine->setText(QStringLiteral("Сбор измерений…"));
    using Work = BackgroundWork<ShiftReportDialog>;
    background.start(this, [directory = archive::folderPath(folder()), criteria = criteria()](
                               const Work::Deliver &deliver, const Work::StopRequested &stopped) {
        QVector<statistics::MeasurementFacts> facts;
        QStringList unreadable;
        archive::ArchiveReading reading;
        reading.stopRequested = stopped;
        query::visitMeasurements(
            directory, criteria,
            [&facts](query::FoundMeasurement &&found) { facts.append(statistics::factsOf(found)); },
            &unreadable, reading);
        statistics::sortNewestFirst(facts);
        const int skipped = int(unreadable.size());
        deliver([facts, skipped](ShiftReportDialog *d) { d->finishGathering(facts, skipped); });
    });
}

void ShiftReportDialog::finishGathering(const QVector<statistics::MeasurementFacts> &facts, int unreadable)
{
    gathered = facts;
    background.finish();
    progressRow->setVisible(false);
    statusLine->setText(
        QStringLiteral("Измерений: %1; не прочитано файлов: %2.").arg(facts.size()).arg(unreadable));
    emit gatheredAll();
    if (const std::function<void()> next = std::exchange(afterGathering, nullptr))
        next();
}

void ShiftReportDialog::stop()
{
    background.stop(); // what the stopped gathering still sends is dropped
    afterGathering = nullptr;
    progressRow->setVisible(false);
    statusLine->setText(QStringLiteral("Сбор измерений остановлен."));
}

QString ShiftReportDialog::printTo(QPrinter *printer)
{
    return printing::printReport(printer, heading(), gathered);
}

QString ShiftReportDialog::told(const QString &failure, const QString &path)
{
    statusLine->setText(
        failure.isEmpty() ? QStringLiteral("Сохранено: %1").arg(QDir::toNativeSeparators(path)) : failure);
    statusLine->setStyleSheet(failure.isEmpty() ? QString() : QStringLiteral("color: rgb(214, 39, 40);"));
    return failure;
}

QString ShiftReportDialog::savePdfTo(const QString &path)
{
    if (output::formatOfName(path) != output::Format::pdf)
        return told(QStringLiteral("%1: имя должно оканчиваться на .pdf").arg(archive::displayPath(path)),
                    path);
    // The command line's rule for every output, in its words.
    const output::ReadArchive read = output::readingFolder(archive::folderPath(folder()));
    const QString refusal = output::outputRefusal(read, path);
    if (!refusal.isEmpty())
        return told(archive::displayPath(path) + QStringLiteral(": ") + refusal, path);
    output::OutputFile file(path, read); // the rule asked again of the folder held open
    QString failure;
    if (!file.open())
        failure = file.failure();
    else {
        failure = printing::writeReport(file.device(), heading(), gathered);
        if (failure.isEmpty() && file.commit(true))
            return told(QString(), path);
        if (failure.isEmpty() || !file.writeFailure().isEmpty())
            failure = file.failure().isEmpty() ? file.writeFailure() : file.failure();
        file.discard();
    }
    return told(QStringLiteral("%1: не удалось записать: %2").arg(archive::displayPath(path), failure), path);
}

void ShiftReportDialog::preview()
{
    if (background.isRunning())
        return; // the preview asked for already opens once the measurements are in
    // The measurements first, off the window's thread; the preview opens once they are in.
    afterGathering = [this] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        QPrintPreviewDialog dialog(&printer, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *p) { printTo(p); });
        dialog.exec();
    };
    gather();
}

void ShiftReportDialog::saveWithDialog()
{
    if (background.isRunning())
        return;
    QSettings settings = viewerSettings();
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранить отчёт"),
        settings.value(QStringLiteral("saveFolder"), QDir::homePath()).toString(),
        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!output::formatOfName(path))
        path += QStringLiteral(".pdf");
    settings.setValue(QStringLiteral("saveFolder"), QFileInfo(path).absolutePath());
    afterGathering = [this, path] { savePdfTo(path); };
    gather();
}

} // namespace app
