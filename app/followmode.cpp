// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/followmode.h"

#include "app/foldermark.h"
#include "app/measurementselection.h"
#include "archive/archivelisting.h"
#include "archive/archivescans.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>

#include <functional>

namespace app {

namespace {

// Where `text` goes among the real entries of a list (after the placeholder) kept in `before`'s
// order; -1 when the list holds it already.
int placeFor(const QComboBox *list, const QString &text,
             const std::function<bool(const QString &, const QString &)> &before)
{
    for (int i = 1; i < list->count(); ++i) {
        const QString entry = list->itemText(i);
        if (entry == text)
            return -1;
        if (before(text, entry))
            return i;
    }
    return list->count();
}

// Inserts without a word to the list's slot: the current entry stays what it was, and nothing below
// it is to be emptied.
void insertQuietly(QComboBox *list, int at, const QString &text)
{
    const QSignalBlocker quiet(list);
    list->insertItem(at, text);
}

bool ascending(const QString &a, const QString &b)
{
    return a < b;
}

// Newest first, the empty entry of an unreadable moment last: as the scans order months and days.
bool newestFirst(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return !a.isEmpty();
    return a > b;
}

} // namespace

FollowMode::FollowMode(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<archive::ArrivedMeasurement>();
    qRegisterMetaType<archive::ArchiveWatcher::Loss>();
}

FollowMode::~FollowMode()
{
    stopWatching();
}

void FollowMode::follow(QWidget *window)
{
    this->window = window;
    pathField = window->findChild<QLineEdit *>(QStringLiteral("pathToDir"));
    technologies = window->findChild<QComboBox *>(QStringLiteral("comboSteelTech"));
    months = window->findChild<QComboBox *>(QStringLiteral("yearMonthCombobox"));
    days = window->findChild<QComboBox *>(QStringLiteral("dayCombobox"));
    times = window->findChild<QComboBox *>(QStringLiteral("timeSteel"));
    mark = std::make_unique<FolderMark>(pathField);
    // Each of these ends in a refresh of the window, which chooses the newest measurement. Connected
    // after the window's own slots, so they run once the refresh is done.
    connect(pathField, &QLineEdit::editingFinished, this, &FollowMode::afterRefresh);
    for (const char *button : {"pushButton", "refreshButton"})
        connect(window->findChild<QPushButton *>(QLatin1String(button)), &QPushButton::clicked, this,
                &FollowMode::afterRefresh);
    afterRefresh();
}

FollowMode::Selection FollowMode::currentSelection() const
{
    return {technologies->currentText(), months->currentText(), days->currentText(), times->currentText()};
}

void FollowMode::afterRefresh()
{
    newest = currentSelection();
    // The folder the lists show: the field's text, which every refresh has stored by then.
    const QString folder = pathField->text();
    if (folder != watched || !watchThread)
        watch(folder);
}

void FollowMode::watch(const QString &folder)
{
    stopWatching();
    watched = folder;
    // The watch lists the whole folder at every change: on a thread of its own, so that the window
    // never waits for it. The watcher is made, run and deleted there.
    watchThread = new QThread(this);
    auto *host = new QObject;
    host->moveToThread(watchThread);
    connect(watchThread, &QThread::finished, host, &QObject::deleteLater);
    watchThread->start();
    const int quiet = quietMsecs;
    QMetaObject::invokeMethod(
        host,
        [this, host, folder, quiet] {
            auto *watcher = new archive::ArchiveWatcher(folder, host);
            watcher->setFollowName(true);
            watcher->setQuietPeriod(quiet);
            // Delivered to this object's thread, the window's.
            connect(watcher, &archive::ArchiveWatcher::measurementArrived, this, &FollowMode::arrived);
            connect(watcher, &archive::ArchiveWatcher::folderLost, this,
                    [this](archive::ArchiveWatcher::Loss, const QString &reason) { lost(reason); });
            connect(watcher, &archive::ArchiveWatcher::folderUnlistable, this, &FollowMode::lost);
            connect(watcher, &archive::ArchiveWatcher::folderListable, this,
                    [this] { mark->mark(QString()); });
            connect(watcher, &archive::ArchiveWatcher::reattached, this, &FollowMode::returned);
            const bool started = watcher->start();
            QMetaObject::invokeMethod(this, [this, started, reason = watcher->failureReason()] {
                watchBegun = started;
                if (!started)
                    lost(reason);
            });
        },
        Qt::QueuedConnection);
}

void FollowMode::stopWatching()
{
    watchBegun = false;
    if (!watchThread)
        return;
    watchThread->quit();
    watchThread->wait();
    delete watchThread;
    watchThread = nullptr;
}

void FollowMode::arrived(const archive::ArrivedMeasurement &measurement)
{
    // A name no text can hold never reaches the lists.
    if (measurement.undecodableName)
        return;
    const bool atNewest = currentSelection() == newest;
    listing.add(measurement.fileName, measurement.stamp.modifiedMsecs());
    addEntries(measurement.fileName);
    if (atNewest && selectMeasurement(window, measurement.fileName))
        newest = currentSelection();
    else if (atNewest)
        newest = Selection();
}

void FollowMode::addEntries(const QString &fileName)
{
    const QString technology = archive::technologyOfFile(fileName);
    const archive::Moment moment = archive::momentOfFile(fileName);
    const int technologyAt = placeFor(technologies, technology, ascending);
    if (technologyAt >= 0)
        insertQuietly(technologies, technologyAt, technology);
    // The lists below hold what the scans of the current choices would find now.
    const QString chosenTechnology = technologies->currentText();
    if (technologies->currentIndex() <= 0 ||
        !archive::wildcardMatch(archive::yearMonthPattern(chosenTechnology), fileName))
        return;
    const int monthAt = placeFor(months, archive::yearMonthText(moment), newestFirst);
    if (monthAt >= 0)
        insertQuietly(months, monthAt, archive::yearMonthText(moment));
    const QString chosenMonth = months->currentText();
    if (months->currentIndex() <= 0 ||
        !archive::wildcardMatch(archive::dayPattern(chosenTechnology, chosenMonth), fileName))
        return;
    const int dayAt = placeFor(days, archive::dayText(moment), newestFirst);
    if (dayAt >= 0)
        insertQuietly(days, dayAt, archive::dayText(moment));
    if (days->currentIndex() <= 0 ||
        !archive::wildcardMatch(archive::timePattern(chosenTechnology, chosenMonth, days->currentText()),
                                fileName))
        return;
    // The most recently modified file comes first.
    insertQuietly(times, 1, archive::timeText(moment));
}

void FollowMode::lost(const QString &reason)
{
    mark->mark(QStringLiteral("Папка архива недоступна: %1. Окно ждёт её возвращения.").arg(reason));
}

void FollowMode::returned()
{
    mark->mark(QString());
    // The folder back may hold anything: read it anew, which chooses its newest measurement.
    window->findChild<QPushButton *>(QStringLiteral("refreshButton"))->click();
}

} // namespace app
