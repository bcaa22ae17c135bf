// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace archive {

class SharedListing;

struct TechnologyScan
{
    QStringList technologies; // distinct, ascending by case-sensitive character code
    QString newestTechnology; // technology of the most recently modified file
    bool listedAnyFile = false;
};

// The four lists of the selection cascade, built from file names alone. Each reads the folder itself,
// or, given the listing of one refresh of exactly this folder text, the files that listing took.
TechnologyScan scanTechnologies(const QString &directory, const SharedListing *listing = nullptr);
QStringList scanYearMonths(const QString &directory, const QString &technology,
                           const SharedListing *listing = nullptr);
QStringList scanDays(const QString &directory, const QString &technology, const QString &yearMonth,
                     const SharedListing *listing = nullptr);
QStringList scanTimes(const QString &directory, const QString &technology, const QString &yearMonth,
                      const QString &day, const SharedListing *listing = nullptr);

// The name patterns the scans list with; the technology stands for itself in each.
QString technologyPattern();
QString yearMonthPattern(const QString &technology);
QString dayPattern(const QString &technology, const QString &yearMonth);
QString timePattern(const QString &technology, const QString &yearMonth, const QString &day);

} // namespace archive
