// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivelisting.h"

#include <QString>

#include <memory>

namespace archive {

// One listing of an archive folder shared by the four scans of one refresh. The scans
// (archivescans.h) handed it read the archive files it took when they scan exactly this folder text,
// instead of reading the folder again each: a refresh reads a large folder once, not four times, and
// the modification times of its files are taken on all cores. Each scan still applies its own name
// pattern and order, so its results are the ones a listing of its own would give at that moment.
class SharedListing
{
public:
    explicit SharedListing(const QString &directory);
    ~SharedListing();
    SharedListing(const SharedListing &) = delete;
    SharedListing &operator=(const SharedListing &) = delete;

    // Every archive file of the listing with its modification time. False when the folder could
    // not be listed.
    bool forEachFile(const FileVisitor &visit) const;

    struct Files;

private:
    friend bool forEachScannedFile(const QString &, const QString &, bool, const FileVisitor &,
                                   const SharedListing *);
    std::unique_ptr<Files> files;
};

// The scans' own walk: from `listing` when it is a listing of `directory` (spelt the same), else from
// the folder itself, by the rules of forEachMatchingFile. `pattern` is one of the scans' patterns, all
// of which select among the files the technology pattern takes.
bool forEachScannedFile(const QString &directory, const QString &pattern, bool needTimes,
                        const FileVisitor &visit, const SharedListing *listing);

} // namespace archive
