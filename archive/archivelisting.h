// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/filestamp.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVector>

#include <functional>
#include <memory>

namespace platform {
class HeldFolder;
}

namespace archive {

// One entry of a directory listing.
struct ListedFile
{
    QString fileName;     // without the directory
    qint64 modifiedMsecs; // modification instant, milliseconds since the epoch (UTC)
    qint64 modifiedNsecs; // the same instant to the nanosecond, where the system keeps it
};

// A file's modification instant at the full precision the system keeps: nanoseconds since the epoch.
inline qint64 modifiedNsecsOf(const platform::FileStamp &stamp)
{
    return stamp.modifiedSeconds * 1000000000 + stamp.modifiedNanoseconds;
}

// The one rule for "newest" wherever the archive is ordered by time (the listing, the lists' tree,
// the viewer's start, refresh and follow mode): the later modification instant at full precision
// wins; equal instants go by name, the name first in ascending case-sensitive character-code order
// counting as the newer.
inline bool isNewer(qint64 aNsecs, QStringView aName, qint64 bNsecs, QStringView bName)
{
    if (aNsecs != bNsecs)
        return aNsecs > bNsecs;
    return aName.compare(bName) < 0;
}

// Wildcard match of a whole file name: "*" any run, "?" one character, "[...]" a set (with "!" or "^"
// negation and ranges); letter case is ignored.
bool wildcardMatch(const QString &pattern, const QString &name);

class CompiledPattern;

// The same match with the pattern prepared once, for many names.
class WildcardPattern
{
public:
    explicit WildcardPattern(const QString &pattern);
    ~WildcardPattern();
    bool matches(QStringView name) const;

private:
    std::unique_ptr<CompiledPattern> compiled;
};

// Makes "*", "?" and "[" stand for themselves inside a wildcard pattern.
QString escapeWildcards(const QString &literal);

// Files only (no directories, no hidden or system entries) whose names match the pattern, newest
// first by isNewer. A missing or
// unreadable directory lists nothing.
QVector<ListedFile> listDirectory(const QString &directory, const QString &pattern);

// The one walk over a directory that listDirectory and the scans share, so that every listing rule
// (files only, no hidden entries, the pattern, case ignored) exists once. Calls `visit` for each
// matching file in directory order, with the name (valid during the call only) and, if `needTimes`,
// its modification instant in nanoseconds (0 otherwise). Reading modification times costs one status call per
// matching file; name-only callers skip them. Returns false if the directory could not be read.
using FileVisitor = std::function<void(QStringView fileName, qint64 modifiedNsecs)>;
bool forEachMatchingFile(const QString &directory, const QString &pattern, bool needTimes,
                         const FileVisitor &visit);

// The same walk for reading the whole archive: names only, with no status call for an entry the
// listing itself types as a regular file (the reader takes each file's stamp where it opens it, on
// all cores, instead of one call after another here). Unlike the listings above, it also hands on
// the files whose names are not valid in the file-name encoding (which the viewer's listing leaves
// out): `undecodableName` holds such a name's bytes, and `fileName` its decoding with replacement
// characters. For every other file `undecodableName` is empty. The portable walk cannot see such
// files at all.
using NameVisitor = std::function<void(QStringView fileName, const QByteArray &undecodableName)>;
bool forEachArchiveFileName(const QString &directory, const QString &pattern, const NameVisitor &visit);
// The same walk with each file's modification time in milliseconds since the epoch: what a watch
// needs to tell a name written again from one left alone. Taken from the listing itself where the
// system lists it (Windows), else by one status call per file.
using TimedNameVisitor =
    std::function<void(QStringView fileName, const QByteArray &undecodableName, qint64 modifiedMsecs)>;
bool forEachArchiveFileTime(const QString &directory, const QString &pattern, const TimedNameVisitor &visit);
// The same rules for one entry of a held folder, named by a change notification: calls `visit` as
// forEachArchiveFileName would if it listed the folder now. True when it did.
bool visitArchiveEntry(const platform::HeldFolder &folder, const QByteArray &encodedName,
                       const QString &pattern, const NameVisitor &visit);

// Which implementation lists directories. Native reads the folder with the operating system's own
// calls (the platform room); Portable goes through QDir only. Both give the same results; tests run
// both.
enum class ListingBackend
{
    Native,
    Portable
};
void setListingBackend(ListingBackend backend);
ListingBackend listingBackend();

} // namespace archive
