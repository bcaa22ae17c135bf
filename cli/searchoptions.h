// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivereader.h"
#include "query/searchcriteria.h"
#include "statistics/archivestatistics.h"

#include <QCommandLineOption>
#include <QPair>
#include <QString>
#include <QVector>

#include <optional>

class QCommandLineParser;
class QTextStream;

namespace cli {

// The filter options that find, report and stats share, with one reading of them.
class SearchOptions
{
public:
    SearchOptions();
    void addTo(QCommandLineParser &parser) const;
    // The criteria, or std::nullopt with `error` set for a usage error: a value that does not read,
    // or a period that ends before it starts.
    std::optional<query::SearchCriteria> read(const QCommandLineParser &parser, QString *error) const;
    // The options given, as name (without dashes) and value, for a report that says what it selected.
    QVector<QPair<QString, QString>> given(const QCommandLineParser &parser) const;
    // The help text's paragraph on the options, with the status table.
    static QString helpText();

private:
    QCommandLineOption melt;
    QCommandLineOption technology;
    QCommandLineOption from;
    QCommandLineOption to;
    QCommandLineOption status;
    QCommandLineOption temperature;
    QCommandLineOption emf;
};

// What find, report and stats work on.
struct ArchiveSearch
{
    QString directory;
    query::SearchCriteria criteria;
};

// The folder and the filters of find, report and stats, read once the command line is parsed (with
// addArchiveDirectoryArgument and SearchOptions::addTo). Returns the exit code when a filter does not
// read or the folder cannot be listed (reported on `err`), std::nullopt with `search` filled in.
std::optional<int> readArchiveSearch(const QCommandLineParser &parser, const SearchOptions &options,
                                     const QString &command, QTextStream &err, ArchiveSearch *search);

// The facts of the measurements that meet the criteria, newest first. Files that cannot be read are
// named on `err`, as find names them, and skipped.
QVector<statistics::MeasurementFacts> selectMeasurements(const QString &command, const ArchiveSearch &search,
                                                         const archive::ArchiveReading &reading,
                                                         QTextStream &err);

} // namespace cli
