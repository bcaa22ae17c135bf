// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/backgroundwork.h"

#include <QObject>
#include <QString>

#include <functional>

namespace archive {
class ArchiveModel;
class CascadeSelection;
} // namespace archive

namespace app {

// The program's first listing of its folder, which a million files would make the operator wait
// for: what the last listing showed first (kept in the archive's index) is shown at once, and the
// folder is listed meanwhile on a thread of its own. That listing confirms what is shown (nothing
// moves where nothing changed) or corrects it, and its first view is kept for the next start. A
// folder without a usable last listing is listed at once, as a refresh does, and its first view
// kept.
class StartListing : public QObject
{
public:
    // `refresh` lists the window's folder at once, with everything a refresh says of a folder that
    // cannot be listed or holds nothing.
    StartListing(archive::CascadeSelection *selection, std::function<void()> refresh, QObject *parent);
    ~StartListing() override;

    void start(const QString &folder);

private:
    void listMeanwhile(const QString &folder);
    void listed(archive::ArchiveModel &model, bool listable);
    void keepFirstView();

    archive::CascadeSelection *selection;
    std::function<void()> refresh;
    BackgroundWork<StartListing> work;
};

} // namespace app
