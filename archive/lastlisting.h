// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivemodel.h"

#include <QString>
#include <QVector>

#include <optional>

// What the viewer's last listing of an archive showed first, kept in the archive's index (in the
// user's cache folder, never in the archive) so that the next start can show it before the folder
// is listed again: the files of a refresh's first view (ArchiveModel::firstViewFiles).
namespace archive {

// The files kept for `folder`; std::nullopt where there is no index to use, no listing in it, or
// a damaged one.
std::optional<QVector<ArchiveEntry>> lastListedFirstView(const QString &folder);

// Keeps `files` as the first view of `folder`, in place of the ones kept before. Nothing is kept
// where no index can be used (or another run is writing it).
void keepFirstView(const QString &folder, const QVector<ArchiveEntry> &files);

} // namespace archive
