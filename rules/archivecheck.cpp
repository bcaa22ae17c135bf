// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecheck.h"

#include "filetimes.h"
#include "namerules.h"

#include "archive/archivefolder.h"
#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "language/systemtext.h"
#include "measurement/contentfindings.h"
#include "platform/filesystem.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>

#include <algorithm>

namespace rules {

namespace {

// A stored finding is read back in the words of the room that reads findings, whoever made it.
QString unreadableFinding(const QString &reason)
{
    return measurement::storedFinding(measurement::finding(
        QT_TRANSLATE_NOOP("measurement", "cannot be read (%1): the viewer shows nothing for it"), {reason}));
}

// Files that the lists of another technology lead to as well: the scans' patterns ignore letter case,
// so K1 and k1 see each other's files. Asked of the patterns themselves, so that the answer follows
// the scans whatever rules they apply. A file that follows the grammar begins with "steel_" + its
// technology + "-", which is all a technology's pattern looks at: if one file of a technology
// strays into another's lists, all of them do, and the first by name stands for them.
QVector<Finding> crossTechnologyFindings(const QMap<QString, QString> &firstFileOfTechnology)
{
    QVector<Finding> findings;
    for (auto listed = firstFileOfTechnology.cbegin(); listed != firstFileOfTechnology.cend(); ++listed) {
        if (listed.key().isEmpty())
            continue;
        const archive::WildcardPattern pattern(archive::yearMonthPattern(listed.key()));
        for (auto other = firstFileOfTechnology.cbegin(); other != firstFileOfTechnology.cend(); ++other) {
            if (other.key() != listed.key() && pattern.matches(other.value()))
                findings.append({other.value(), QCoreApplication::translate(
                                                    "rules", "the lists of technology \"%1\" also "
                                                             "lead to this file of technology \"%2\" "
                                                             "(and maybe others of it)")
                                                    .arg(listed.key(), other.key())});
        }
    }
    return findings;
}

// The files of one base name so far, with the name rules already worked out for each.
struct PendingFile
{
    QString fileName;
    QStringList contentFindings;
    bool undecodable;
    bool grammatical;
    bool noTechnology;
};

// The check of one archive, file by file in name order as the reading hands them over.
class ArchiveChecker
{
public:
    explicit ArchiveChecker(const QString &folder) : folder(folder) {}
    void add(const archive::ArchiveFile &file);
    CheckReport finish();

private:
    void finishGroup();
    void addNameFindings(const PendingFile &file);
    void addTwinFinding(const PendingFile &file);
    QString sharedFindingText(const QString &stored);

    QString folder;
    CheckReport report;
    QMap<QString, QString> firstFileOfTechnology;
    FileTimeSummary fileTimes;
    // Files sharing a base name B all begin with "B." and so come one after the other in name order:
    // each group is complete when a file of another base name arrives.
    QVector<PendingFile> group;
    // The same content finding recurs in file after file (a status the table lacks, say): each is
    // made into its text once and that one text shared, which keeps a million findings small.
    QHash<QString, QString> findingTexts;
};

QString ArchiveChecker::sharedFindingText(const QString &stored)
{
    auto known = findingTexts.constFind(stored);
    if (known != findingTexts.constEnd())
        return known.value();
    const QString text = measurement::findingText(stored);
    if (findingTexts.size() < 100000)
        findingTexts.insert(stored, text);
    return text;
}

void ArchiveChecker::addNameFindings(const PendingFile &file)
{
    const QString problem = file.undecodable   ? undecodableNameProblem()
                            : file.grammatical ? QString()
                                               : nameProblem(file.fileName);
    if (!problem.isEmpty())
        report.findings.append({file.fileName, problem, file.undecodable});
    else if (file.noTechnology)
        report.findings.append(
            {file.fileName,
             QCoreApplication::translate("rules", "the technology is empty: the viewer lists an "
                                                  "empty entry that leads to no measurement"),
             file.undecodable});
}

void ArchiveChecker::addTwinFinding(const PendingFile &file)
{
    QStringList others;
    for (const PendingFile &twin : qAsConst(group)) {
        if (&twin != &file)
            others.append(Finding{twin.fileName, QString(), twin.undecodable}.shownName());
    }
    std::sort(others.begin(), others.end());
    report.findings.append({file.fileName,
                            QCoreApplication::translate("rules", "shares its base name with %1: the viewer "
                                                                 "shows the same time once per file and "
                                                                 "opens only %2")
                                .arg(others.join(QStringLiteral(", ")),
                                     archive::baseNameOf(file.fileName) + QStringLiteral(".json")),
                            file.undecodable});
}

void ArchiveChecker::finishGroup()
{
    for (const PendingFile &file : qAsConst(group)) {
        addNameFindings(file);
        if (group.size() > 1)
            addTwinFinding(file);
        for (const QString &reason : file.contentFindings)
            report.findings.append({file.fileName, sharedFindingText(reason), file.undecodable});
    }
    group.clear();
}

void ArchiveChecker::add(const archive::ArchiveFile &file)
{
    ++report.filesChecked;
    // Twins share the bytes of their base name. A name no text can hold is compared in its escaped
    // form, which a file literally named so shares without sharing a byte of its base name.
    if (!group.isEmpty() &&
        (archive::baseNameView(group.constFirst().fileName) != archive::baseNameView(file.fileName) ||
         group.constFirst().undecodable != file.undecodableName))
        finishGroup();
    const QString technology = archive::technologyOfFile(file.fileName);
    const archive::Moment moment = archive::momentOfFile(file.fileName);
    // The name rules are worked out once per name, when the file arrives.
    const bool grammatical = followsGrammar(file.fileName, technology, moment);
    const QStringList contentFindings =
        file.digest
            ? file.digest->findings
            : QStringList{unreadableFinding(
                  file.undecodableName
                      ? language::unreadableReason(platform::encodeFileName(folder) + '/' + file.encodedName)
                      : language::unreadableReason(folder + QLatin1Char('/') + file.fileName))};
    group.append({file.fileName, contentFindings, file.undecodableName, grammatical, technology.isEmpty()});
    if (grammatical) {
        auto first = firstFileOfTechnology.find(technology);
        if (first == firstFileOfTechnology.end())
            firstFileOfTechnology.insert(technology, file.fileName);
        else if (file.fileName < first.value())
            first.value() = file.fileName;
    }
    fileTimes.add(file.fileName, moment, file.stamp.modifiedMsecs(), file.undecodableName);
}

CheckReport ArchiveChecker::finish()
{
    finishGroup();
    report.findings += crossTechnologyFindings(firstFileOfTechnology);
    if (const std::optional<Finding> times = fileTimes.finding())
        report.findings.append(*times);
    // By name; the two files of one escaped form apart, each with its findings together.
    std::stable_sort(report.findings.begin(), report.findings.end(), [](const Finding &a, const Finding &b) {
        return a.fileName != b.fileName ? a.fileName < b.fileName : a.nameEscaped < b.nameEscaped;
    });
    return report;
}

} // namespace

QString Finding::shownName() const
{
    return nameEscaped ? fileName : archive::displayName(fileName);
}

CheckReport checkArchive(const QString &directory, const archive::ArchiveReading &reading)
{
    archive::ArchiveReadOptions options;
    options.useIndex = reading.useIndex;
    options.progress = reading.progress;
    ArchiveChecker checker(directory.isEmpty() ? QStringLiteral(".") : directory);
    archive::readArchive(directory, options,
                         [&checker](const archive::ArchiveFile &file) { checker.add(file); });
    return checker.finish();
}
} // namespace rules
