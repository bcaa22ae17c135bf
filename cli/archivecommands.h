// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivename.h"
#include "measurement/measurementfile.h"
#include "searchoptions.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

class QTextStream;

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

// What is wrong with a file's name, or the empty text when it follows the grammar exactly.
QString nameProblem(const QString &fileName);

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

// The same search for selections too large to hold: each match is handed to `visit` as soon as it is
// read, in no particular order, and nothing is kept.
void visitMeasurements(const QString &directory, const SearchCriteria &criteria,
                       const std::function<void(FoundMeasurement &&found)> &visit,
                       QStringList *unreadable = nullptr);

// The order of every list of measurements: latest moment first, names whose moment does not parse
// last, equal moments by file name.
bool listedBefore(const archive::Moment &a, const QString &fileNameA, const archive::Moment &b,
                  const QString &fileNameB);

// Names each file that could not be read on `err`, one line each, as skipped.
void reportSkippedFiles(QTextStream &err, const QString &command, const QString &directory,
                        const QStringList &fileNames);

// A found measurement as find lists it: one line of tab-separated fields (no line break), or an object.
QString foundLine(const FoundMeasurement &found);
QJsonObject foundJson(const FoundMeasurement &found);

} // namespace cli
