// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/findmeltdialog.h"

#include "app/meltsearch.h"
#include "language/language.h"
#include "query/foundmeasurements.h"

#include <QDir>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QSet>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace app {

namespace {

enum Column
{
    technologyColumn,
    momentColumn,
    temperatureColumn,
    statusColumn,
};

constexpr int fileNameRole = Qt::UserRole;

QString momentText(const archive::Moment &moment)
{
    if (!moment.isValid())
        return QString();
    return QDateTime(moment.date, moment.time).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

} // namespace

FindMeltDialog::FindMeltDialog(std::function<QString()> folder,
                               std::function<bool(const QString &fileName)> choose, QWidget *parent)
    : QDialog(parent), folder(std::move(folder)), chooseMeasurement(std::move(choose)),
      meltSearch(new MeltSearch(this)), meltField(new QLineEdit(this)), foundList(new QTreeWidget(this)),
      progressBar(new QProgressBar(this)), statusLine(new QLabel(this))
{
    setObjectName(QStringLiteral("findMelt"));
    setWindowTitle(QStringLiteral("Поиск плавки"));
    meltField->setObjectName(QStringLiteral("meltNumber"));
    meltField->setPlaceholderText(QStringLiteral("Номер плавки, например 41521"));
    foundList->setObjectName(QStringLiteral("foundMeasurements"));
    foundList->setColumnCount(4);
    // The technology and the status are headed as the spreadsheets of the same measurements head them.
    foundList->setHeaderLabels({language::sentenceStart(language::russianText("columns", "technology")),
                                QStringLiteral("Дата и время"), QStringLiteral("Температура, °С"),
                                language::sentenceStart(language::russianText("columns", "status"))});
    foundList->setRootIsDecorated(false);
    foundList->setUniformRowHeights(true);
    foundList->setAllColumnsShowFocus(true);
    foundList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    foundList->header()->setStretchLastSection(true);
    progressBar->setObjectName(QStringLiteral("searchProgress"));
    progressBar->setVisible(false);
    statusLine->setObjectName(QStringLiteral("searchStatus"));
    statusLine->setText(QStringLiteral("Введите номер плавки и нажмите Enter. Enter или двойной щелчок "
                                       "по строке показывает измерение в окне."));
    statusLine->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(meltField);
    layout->addWidget(foundList, 1);
    layout->addWidget(progressBar);
    layout->addWidget(statusLine);
    resize(620, 360);

    connect(meltField, &QLineEdit::returnPressed, this, &FindMeltDialog::search);
    connect(foundList, &QTreeWidget::itemActivated, this, &FindMeltDialog::chooseItem);
    connect(meltSearch, &MeltSearch::found, this, &FindMeltDialog::add);
    connect(meltSearch, &MeltSearch::progressed, this, &FindMeltDialog::progress);
    connect(meltSearch, &MeltSearch::confirmed, this, &FindMeltDialog::keepOnly);
    connect(meltSearch, &MeltSearch::finished, this, &FindMeltDialog::finish);
    // Down from the field goes to the list, so that the keyboard alone finds and chooses.
    meltField->installEventFilter(this);
}

FindMeltDialog::~FindMeltDialog() = default;

void FindMeltDialog::open()
{
    show();
    raise();
    activateWindow();
    meltField->setFocus(Qt::ShortcutFocusReason);
    meltField->selectAll();
}

bool FindMeltDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == meltField && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down && foundList->topLevelItemCount() > 0) {
        foundList->setFocus(Qt::TabFocusReason);
        foundList->setCurrentItem(foundList->topLevelItem(0));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FindMeltDialog::search()
{
    const QString melt = meltField->text().trimmed();
    foundList->clear();
    if (melt.isEmpty()) {
        meltSearch->stop();
        progressBar->setVisible(false);
        statusLine->setText(QStringLiteral("Введите номер плавки."));
        return;
    }
    searchedFolder = folder();
    statusLine->setText(QStringLiteral("Поиск плавки «%1»…").arg(melt));
    progressBar->setRange(0, 0);
    progressBar->setVisible(true);
    meltSearch->start(searchedFolder, melt);
}

void FindMeltDialog::add(const FoundMelt &found)
{
    auto *item = new QTreeWidgetItem;
    item->setText(technologyColumn, found.technology);
    item->setText(momentColumn, momentText(found.moment));
    item->setText(temperatureColumn, found.temperature);
    item->setText(statusColumn, found.status);
    item->setData(technologyColumn, fileNameRole, found.fileName);
    item->setToolTip(technologyColumn, QStringLiteral("%1\nПлавка %2").arg(found.fileName, found.melt));
    // Newest first, as every list of measurements; the search hands them over in name order.
    int at = 0;
    while (at < foundList->topLevelItemCount()) {
        const QString other = foundList->topLevelItem(at)->data(technologyColumn, fileNameRole).toString();
        if (query::listedBefore(found.moment, found.fileName, archive::momentOfFile(other), other))
            break;
        ++at;
    }
    foundList->insertTopLevelItem(at, item);
}

void FindMeltDialog::keepOnly(const QStringList &fileNames)
{
    const QSet<QString> names(fileNames.cbegin(), fileNames.cend());
    for (int i = foundList->topLevelItemCount() - 1; i >= 0; --i) {
        if (!names.contains(foundList->topLevelItem(i)->data(technologyColumn, fileNameRole).toString()))
            delete foundList->takeTopLevelItem(i);
    }
}

void FindMeltDialog::progress(qint64 done, qint64 total)
{
    // Counted in thousands: a progress bar holds an int, an archive may hold more files than that.
    const int scale = total > 1000000 ? 1000 : 1;
    progressBar->setRange(0, int(total / scale));
    progressBar->setValue(int(done / scale));
    statusLine->setText(QStringLiteral("Проверка всех файлов архива: %1 из %2").arg(done).arg(total));
}

void FindMeltDialog::finish(int count, bool listed)
{
    progressBar->setVisible(false);
    const QString melt = meltField->text().trimmed();
    if (!listed)
        statusLine->setText(QStringLiteral("Папку архива нельзя прочитать: %1")
                                .arg(QDir::toNativeSeparators(searchedFolder)));
    else if (count == 0)
        statusLine->setText(QStringLiteral("Измерений плавки «%1» нет.").arg(melt));
    else
        statusLine->setText(QStringLiteral("Измерений: %1. Enter или двойной щелчок показывает "
                                           "измерение в окне.")
                                .arg(count));
}

void FindMeltDialog::chooseItem(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QString fileName = item->data(technologyColumn, fileNameRole).toString();
    // The lists show another folder by now, or the name leads nowhere through them.
    if (folder() != searchedFolder || !chooseMeasurement(fileName))
        statusLine->setText(QStringLiteral("Это измерение нельзя выбрать в списках окна: %1").arg(fileName));
    else
        statusLine->setText(QStringLiteral("Показано в окне: %1").arg(fileName));
}

void addFindMelt(QWidget *window, std::function<QString()> folder,
                 std::function<bool(const QString &fileName)> choose)
{
    auto *shortcut = new QShortcut(QKeySequence::Find, window);
    shortcut->setObjectName(QStringLiteral("findMeltShortcut"));
    shortcut->setContext(Qt::WindowShortcut);
    // The find window is made at the first use and kept by the shortcut's handler from then on.
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [window, folder = std::move(folder), choose = std::move(choose),
                      dialog = QPointer<FindMeltDialog>()]() mutable {
                         if (!dialog)
                             dialog = new FindMeltDialog(folder, choose, window);
                         dialog->open();
                     });
}

} // namespace app
