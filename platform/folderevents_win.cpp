// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderevents.h"

// Windows names its changes too (ReadDirectoryChangesW), but Qt's own watch of a folder serves
// there; the watch lists the folder at each change.

namespace platform {

struct FolderEvents::Private
{
};

FolderEvents::FolderEvents(Handler) : d(std::make_unique<Private>()) {}

FolderEvents::~FolderEvents() = default;

bool FolderEvents::watch(const QString &)
{
    return false;
}

void FolderEvents::stop() {}

bool FolderEvents::isWatching() const
{
    return false;
}

} // namespace platform
