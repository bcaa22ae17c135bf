// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"

#include <QCommandLineParser>
#include <QHash>
#include <QMap>
#include <QTextStream>

#include <algorithm>

namespace cli {

namespace {

const QString prefix = QStringLiteral("steel_");
const QString suffix = QStringLiteral(".json");

bool followsGrammar(const QString &fileName)
{
    const archive::Moment moment = archive::momentOfFile(fileName);
    return moment.isValid() &&
           archive::archiveFileName(archive::technologyOfFile(fileName), moment) == fileName;
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QVector<Finding> contentFindings(const QString &directory, const QString &fileName)
{
    QVector<Finding> findings;
    const auto add = [&](const QString &reason) { findings.append({fileName, reason}); };
    const QString path = directory + QLatin1Char('/') + fileName;
    const std::optional<measurement::Measurement> read = measurement::readMeasurementFile(path);
    if (!read) {
        add(QStringLiteral("cannot be read (%1): the viewer shows nothing for it")
                .arg(unreadableReason(path)));
        return findings;
    }
    const measurement::ReadFindings &f = read->findings;
    if (f.firstLineTooLong)
        add(QStringLiteral(
                "the first line is longer than %1 bytes: the viewer shows empty fields and no curves")
                .arg(measurement::maxFirstLineBytes));
    else if (f.spreadOverLines)
        add(notOneLineText() + QStringLiteral(": the viewer shows empty fields and no curves"));
    else if (f.documentNotParsed)
        add(QStringLiteral(
            "the first line is not a JSON object: the viewer shows empty fields and no curves"));
    if (f.longestCurve > measurement::samplesPerCurve)
        add(QStringLiteral("a \"values\" array holds %1 samples: the viewer shows only the first %2")
                .arg(f.longestCurve)
                .arg(measurement::samplesPerCurve));
    if (f.nonStringSamples)
        add(QStringLiteral("a curve sample is not a JSON string: the viewer draws it as 0"));
    if (f.nonStringResults)
        add(QStringLiteral("a result or \"Status\" value is not a JSON string: the viewer shows the field "
                           "empty (a status as \"%1\")")
                .arg(measurement::statusText(0)));
    if (f.statusOutsideTable && read->statusCode)
        add(QStringLiteral("status code %1 is not in the status table: the viewer shows \"%2\"")
                .arg(*read->statusCode)
                .arg(measurement::statusText(*read->statusCode)));
    return findings;
}

// Files that the lists of another technology lead to as well: the scans' patterns ignore letter case,
// so K1 and k1 see each other's files. Asked of the patterns themselves, so that the answer follows
// the scans whatever rules they apply.
QVector<Finding> crossTechnologyFindings(const QStringList &fileNames)
{
    QMap<QString, QStringList> filesByTechnology;
    for (const QString &fileName : fileNames) {
        if (followsGrammar(fileName))
            filesByTechnology[archive::technologyOfFile(fileName)].append(fileName);
    }
    QVector<Finding> findings;
    for (auto listed = filesByTechnology.cbegin(); listed != filesByTechnology.cend(); ++listed) {
        if (listed.key().isEmpty())
            continue;
        const QString pattern = archive::yearMonthPattern(listed.key());
        for (auto other = filesByTechnology.cbegin(); other != filesByTechnology.cend(); ++other) {
            if (other.key() == listed.key())
                continue;
            const QStringList &otherFiles = other.value();
            const auto strayed =
                std::find_if(otherFiles.cbegin(), otherFiles.cend(),
                             [&](const QString &name) { return archive::wildcardMatch(pattern, name); });
            if (strayed != otherFiles.cend())
                findings.append(
                    {*strayed, QStringLiteral("the lists of technology %1 also lead to this file of "
                                              "technology %2 (and maybe others of it)")
                                   .arg(quoted(listed.key()), quoted(other.key()))});
        }
    }
    return findings;
}

} // namespace

QString nameProblem(const QString &fileName)
{
    if (followsGrammar(fileName))
        return QString();
    const QString base = archive::baseNameOf(fileName);
    const archive::Moment moment = archive::momentOfFile(fileName);
    constexpr int momentLength = 19;
    const QString grammar =
        QStringLiteral("the name does not follow steel_<technology>-yyyy_MM_dd-hh_mm_ss.json");
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix))
        return grammar +
               QStringLiteral(" in lower case: the viewer lists it but opens a differently written name");
    if (base + suffix != fileName)
        return grammar + QStringLiteral(": the viewer cuts the name at the first \".\" and reads only %1")
                             .arg(quoted(base));
    if (!moment.isValid())
        return grammar +
               QStringLiteral(": %1 is not a real date and time, so the viewer lists an empty entry")
                   .arg(quoted(base.right(momentLength)));
    if (base.size() < prefix.size() + momentLength + 1 || base.at(base.size() - momentLength - 1) != u'-')
        return grammar + QStringLiteral(": no \"-\" between the technology and the moment");
    const QString written = base.mid(prefix.size(), base.size() - prefix.size() - momentLength - 1);
    return grammar + QStringLiteral(": the technology %1 is read as %2, whose lists do not lead to this file")
                         .arg(quoted(written), quoted(archive::technologyOfFile(fileName)));
}

CheckReport checkArchive(const QString &directory, const std::function<void(int, int)> &progress)
{
    const QVector<archive::ListedFile> listed =
        archive::listDirectory(directory, archive::technologyPattern());
    QStringList fileNames;
    for (const archive::ListedFile &file : listed)
        fileNames.append(file.fileName);
    std::sort(fileNames.begin(), fileNames.end());

    QHash<QString, QStringList> namesByBase;
    for (const QString &fileName : fileNames)
        namesByBase[archive::baseNameOf(fileName)].append(fileName);

    CheckReport report;
    report.filesChecked = fileNames.size();
    for (int i = 0; i < fileNames.size(); ++i) {
        const QString &fileName = fileNames[i];
        const QString problem = nameProblem(fileName);
        if (!problem.isEmpty())
            report.findings.append({fileName, problem});
        else if (archive::technologyOfFile(fileName).isEmpty())
            report.findings.append(
                {fileName, QStringLiteral("the technology is empty: the viewer lists an empty "
                                          "entry that leads to no measurement")});
        const QStringList &twins = namesByBase.value(archive::baseNameOf(fileName));
        if (twins.size() > 1) {
            QStringList others = twins;
            others.removeOne(fileName);
            report.findings.append(
                {fileName,
                 QStringLiteral("shares its base name with %1: the viewer shows the "
                                "same time once per file and opens only %2")
                     .arg(others.join(QStringLiteral(", ")), archive::baseNameOf(fileName) + suffix)});
        }
        report.findings += contentFindings(directory, fileName);
        if (progress)
            progress(i + 1, fileNames.size());
    }
    report.findings += crossTechnologyFindings(fileNames);
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding &a, const Finding &b) { return a.fileName < b.fileName; });
    return report;
}

int runCheck(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("check"),
        QStringLiteral(
            "Reads every archive file in DIR (names matching steel_*.json, letter case ignored) and\n"
            "reports each one the viewer would show wrongly or not at all, one line per finding:\n"
            "names that do not follow steel_<technology>-yyyy_MM_dd-hh_mm_ss.json exactly, moments\n"
            "that are no real date and time, an empty technology, technologies whose lists lead to\n"
            "files of another (K1 and k1), files sharing a base name (.old.json twins), files that\n"
            "cannot be read, documents that are not one JSON object on the first line, \"values\"\n"
            "arrays of more than 160 samples, values that are not JSON strings, status codes\n"
            "outside the status table. A summary follows. Exit code 1 if anything was found.\n"
            "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name, directory + QStringLiteral(": ") + reason);

    const CheckReport report = checkArchive(directory, terminalProgress(err, QStringLiteral("checked")));

    QStringList concerned;
    for (const Finding &finding : report.findings) {
        out << finding.fileName << ": " << finding.reason << '\n';
        if (concerned.isEmpty() || concerned.constLast() != finding.fileName)
            concerned.append(finding.fileName);
    }
    if (report.findings.isEmpty())
        out << "checked " << report.filesChecked << " files: nothing found\n";
    else
        out << "checked " << report.filesChecked << " files: " << report.findings.size() << " findings in "
            << concerned.size() << " files\n";
    out.flush();
    return report.findings.isEmpty() ? exitSuccess : exitFindings;
}

} // namespace cli
