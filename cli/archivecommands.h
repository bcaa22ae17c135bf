// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "measurement/measurementfile.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

namespace cli {

// One thing the viewer would show wrongly or not at all.
struct Finding
{
    QString fileName; // the file concerned, no directory
    QString reason;
};

struct CheckReport
{
    int filesChecked = 0;
    QVector<Finding> findings; // ordered by file name, then as found
};

// Checks every archive file of the directory (each read once). `progress`, when given, is called
// after each file with the number done and the total.
CheckReport checkArchive(const QString &directory,
                         const std::function<void(int done, int total)> &progress = nullptr);

// One finding for the whole archive when modification times disagree with the moments in the names
// by more than a day (the name's moment taken as local time): the viewer's newest measurement and
// its time lists follow the file times. Names the count and the first such file by name.
std::optional<Finding> fileTimeFinding(const QVector<archive::ListedFile> &files);

// For a folder without a single archive file: says so and names the subfolders that do hold archive
// files ("did you mean DIR/archive?"). The empty text when the folder holds archive files.
QString noArchiveFilesText(const QString &directory);

// What is wrong with a file's name, or the empty text when it follows the grammar exactly.
QString nameProblem(const QString &fileName);

// An inclusive range of numbers; a missing bound is open.
struct NumberRange
{
    std::optional<double> minimum;
    std::optional<double> maximum;
    bool contains(double value) const;
};
// "MIN:MAX", either side may be empty; std::nullopt for anything else or MIN > MAX.
std::optional<NumberRange> parseNumberRange(const QString &text);

// The conditions of a search; each given one must hold.
struct SearchCriteria
{
    std::optional<QString> melt;       // part of the melt number, letter case ignored
    std::optional<QString> technology; // the technology of the file name, exactly
    std::optional<QDate> from;         // moment on or after this day
    std::optional<QDate> to;           // moment on or before this day
    std::optional<int> statusCode;     // "Status" present with this code
    std::optional<QString> statusText; // the status verdict exactly as shown
    std::optional<NumberRange> temperature;
    std::optional<NumberRange> emf;
};

struct FoundMeasurement
{
    QString fileName;
    QString technology;
    archive::Moment moment;
    measurement::Measurement measurement;
};

// The measurements of the directory that meet every condition, latest moment first (names whose
// moment does not parse last); each file is read at most once. Names of matching-by-name files that
// could not be read are added to `unreadable`.
QVector<FoundMeasurement> findMeasurements(const QString &directory, const SearchCriteria &criteria,
                                           QStringList *unreadable = nullptr);

} // namespace cli
