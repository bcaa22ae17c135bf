// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startlisting.h"

#include "archive/cascadeselection.h"
#include "archive/lastlisting.h"

#include <QThread>

#include <memory>
#include <optional>

namespace app {

StartListing::StartListing(archive::CascadeSelection *selection, std::function<void()> refresh,
                           QObject *parent)
    : QObject(parent), selection(selection), refresh(std::move(refresh))
{}

StartListing::~StartListing() = default;

void StartListing::start(const QString &folder)
{
    const std::optional<QVector<archive::ArchiveEntry>> firstView = archive::lastListedFirstView(folder);
    if (firstView && selection->startOn(folder, *firstView)) {
        listMeanwhile(folder);
        return;
    }
    refresh();
    keepFirstView();
}

void StartListing::listMeanwhile(const QString &folder)
{
    QThread *const windowThread = thread();
    work.start(this, [folder, windowThread](const BackgroundWork<StartListing>::Deliver &deliver,
                                            const BackgroundWork<StartListing>::StopRequested &stopped) {
        auto model = std::make_shared<archive::ArchiveModel>();
        const bool listable = model->fill(folder);
        const QVector<archive::ArchiveEntry> firstView = model->firstViewFiles();
        // The window's thread takes it over, and is the one to let it go.
        model->moveToThread(windowThread);
        deliver([model = std::move(model), listable](StartListing *self) { self->listed(*model, listable); });
        if (listable && !stopped())
            archive::keepFirstView(folder, firstView);
    });
}

void StartListing::listed(archive::ArchiveModel &model, bool listable)
{
    // A refresh since (the operator's, or follow mode's listing after a gap) has the newer word.
    if (!selection->isAwaitingListing())
        return;
    // A folder gone or emptied meanwhile is refreshed, so that the window says why it is empty.
    if (!listable || model.fileCount() == 0) {
        refresh();
        return;
    }
    selection->confirm(model);
}

void StartListing::keepFirstView()
{
    const archive::ArchiveModel &model = selection->model();
    if (!model.isListed() || model.fileCount() == 0)
        return;
    const QString folder = model.folder();
    const QVector<archive::ArchiveEntry> firstView = model.firstViewFiles();
    work.start(this, [folder, firstView](const BackgroundWork<StartListing>::Deliver &,
                                         const BackgroundWork<StartListing>::StopRequested &) {
        archive::keepFirstView(folder, firstView);
    });
}

} // namespace app
