// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivelisting.h"

#include <QString>

#include <memory>

namespace archive {

// One listing of an archive folder shared by the four scans of one refresh. While it lives, the scans
// (archivescans.h) of exactly this folder text on this thread read the archive files it took, instead
// of reading the folder again each: a refresh reads a large folder once, not four times, and the
// modification times of its files are taken on all cores. Each scan still applies its own name
// pattern and order, so its results are the ones a listing of its own would give at that moment.
// Sharing nests: the innermost living listing of the folder serves.
class SharedListing
{
public:
    explicit SharedListing(const QString &directory);
    ~SharedListing();
    SharedListing(const SharedListing &) = delete;
    SharedListing &operator=(const SharedListing &) = delete;

    // Every archive file of the listing with its modification time, read from the listing itself
    // (not through the scans' ambient sharing). False when the folder could not be listed.
    bool forEachFile(const FileVisitor &visit) const;

    struct Files;

private:
    std::unique_ptr<Files> files;
    const Files *outer;
};

// The scans' own walk: from the living shared listing of `directory` when there is one, else from the
// folder itself, by the rules of forEachMatchingFile. `pattern` is one of the scans' patterns, all of
// which select among the files the technology pattern takes.
bool forEachScannedFile(const QString &directory, const QString &pattern, bool needTimes,
                        const FileVisitor &visit);

} // namespace archive
