// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "measurement/measurementfile.h"
#include "searchoptions.h"

#include <QCommandLineOption>
#include <QHash>
#include <QJsonObject>
#include <QSet>
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
    // Files whose names the file-name encoding cannot decode, named by their escaped bytes.
    QSet<QString> undecodableNames;
};

// How the archive-wide commands read an archive.
struct ArchiveReading
{
    bool useIndex = true; // take unchanged files from the index and keep what is read in it
    std::function<void(qint64 done, qint64 total)> progress;
};

// Checks every archive file of the directory (each read at most once).
CheckReport checkArchive(const QString &directory, const ArchiveReading &reading = {});

// What the check finds in the content of a measurement that could be read, in the order found.
QStringList contentFindingTexts(const measurement::Measurement &read);
// Names the rules of contentFindingTexts for the index: change it whenever they change.
QString contentRulesVersion();
// A finding as contentFindingTexts keeps it, in English whatever the language of the messages: for
// a store that readers of every language share.
QString englishFindingText(const QString &stored);

// One finding for the whole archive when modification times disagree with the moments in the names
// by more than a day (the name's moment taken as local time): the viewer's newest measurement and
// its time lists follow the file times. Names the count and the first such file by name.
class FileTimeSummary
{
public:
    // Whether the file's modification time disagrees with its name.
    bool add(const QString &fileName, qint64 modifiedMsecs);
    // The same for a name whose moment is known.
    bool add(const QString &fileName, const archive::Moment &moment, qint64 modifiedMsecs);
    std::optional<Finding> finding() const;
    int datedFiles() const { return dated; }

private:
    QHash<qint64, std::optional<int>> offsetOfDay; // seconds east of UTC, for days without a change
    int dated = 0;
    int disagreeing = 0;
    QString example;
    qint64 exampleModified = 0;
};

// For a folder without a single archive file: says so and names the subfolders that do hold archive
// files ("did you mean DIR/archive?"). The empty text when the folder holds archive files.
QString noArchiveFilesText(const QString &directory);
// For a command that found nothing: when DIR holds no archive file at all, says so on `err` with that
// hint and gives the exit code; std::nullopt when the folder does hold archive files.
std::optional<int> noArchiveFilesFailure(QTextStream &err, const QString &command, const QString &directory);

// What is wrong with a file's name, or the empty text when it follows the grammar exactly.
QString nameProblem(const QString &fileName);

struct FoundMeasurement
{
    QString fileName;
    QString technology;
    archive::Moment moment;
    measurement::MeasurementDigest digest;
};

// The --no-index option of the commands that read a whole archive, and the help text's paragraph on
// the index.
QCommandLineOption noIndexOption();
QString indexHelpText();
// How a command reads its archive: with the index unless --no-index is given, with progress on a
// terminal that counts the files `done` ("read", "checked").
ArchiveReading readingOptions(const QCommandLineParser &parser, QTextStream &err, const QString &done);

// The measurements of the directory that meet every condition: each match is handed to `visit` as soon
// as it is read, in ascending order of the names' bytes, and nothing is kept; each file is read at most
// once. Names of matching-by-name files that could not be read are added to `unreadable`.
void visitMeasurements(const QString &directory, const SearchCriteria &criteria,
                       const std::function<void(FoundMeasurement &&found)> &visit,
                       QStringList *unreadable = nullptr, const ArchiveReading &reading = {});

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
