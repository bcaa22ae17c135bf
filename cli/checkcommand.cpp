// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivefolder.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"
#include "output/checktext.h"
#include "rules/archivecheck.h"
#include "rules/filetimes.h"
#include "rules/namerules.h"

#include "archive/archivelisting.h"
#include "archive/archivereader.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "archive/measurementindex.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>

namespace cli {

namespace {

// The files the summary finding on modification times counts, each with both moments. Only the
// listing is read: the names and their times tell it all.
int listFileTimes(const QString &directory, QTextStream &out, QTextStream &err)
{
    rules::FileTimeSummary summary;
    QVector<QPair<QString, qint64>> disagreeing;
    const bool listed =
        archive::forEachMatchingFile(archive::folderPath(directory), archive::technologyPattern(), true,
                                     [&](QStringView name, qint64 modifiedNsecs) {
                                         const qint64 modifiedMsecs = modifiedNsecs / 1000000;
                                         const QString fileName = name.toString();
                                         if (summary.add(fileName, modifiedMsecs))
                                             disagreeing.append({fileName, modifiedMsecs});
                                     });
    if (!listed)
        return reportFailure(err, QStringLiteral("check"),
                             archive::displayPath(directory) + QStringLiteral(": ") +
                                 archive::unlistableFolderReason(directory));
    std::sort(disagreeing.begin(), disagreeing.end());
    output::writeFileTimes(out, disagreeing, summary.datedFiles());
    out.flush();
    return disagreeing.isEmpty() ? exitSuccess : exitFindings;
}

} // namespace

int runCheck(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("check"),
        QCoreApplication::translate(
            "cli",
            "Reads every archive file in DIR (names matching steel_*.json, letter case ignored) and\n"
            "reports each one the viewer would show wrongly or not at all, one line per finding:\n"
            "names that do not follow steel_<technology>-yyyy_MM_dd-hh_mm_ss.json exactly, moments\n"
            "that are no real date and time, an empty technology, technologies whose lists lead to\n"
            "files of another (K1 and k1), files sharing a base name (.old.json twins), files that\n"
            "cannot be read, documents that are not one JSON object on the first line, \"values\"\n"
            "arrays of more than 160 samples, values that are not JSON strings, status codes\n"
            "outside the status table, curve samples the viewer draws otherwise than meant\n"
            "(\"12,5\", \"\", \"-nan\", \"inf\", 32767), result texts that look like a missing value but\n"
            "are not \"nan\" or \"32767\" (\"NaN\", \"-\", \"null\"), and modification times more than a\n"
            "day away from the moments in the names (one summary line). A summary follows.\n"
            "--list-times lists instead every file whose modification time is more than a day away\n"
            "from the moment in its name (taken as local time), one line each with both moments,\n"
            "by name, so that they can be fixed (touch -d); it reads no file's content.\n") +
            QCoreApplication::translate(
                "cli", "A moment the clocks skip when summer time begins (02:30 on such a night in Berlin)\n"
                       "is read with the offset in force before the change, as 03:30 summer time.\n") +
            indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 nothing found; 1 findings, or no archive file in DIR at all; 2 bad usage\n"
                   "or a folder that cannot be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    parser.addOption(noIndexOption());
    const QCommandLineOption listTimesOption(
        QStringLiteral("list-times"),
        QCoreApplication::translate("cli",
                                    "List every file whose modification time disagrees with its name."));
    parser.addOption(listTimesOption);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = archive::unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name,
                             archive::displayPath(directory) + QStringLiteral(": ") + reason);
    if (parser.isSet(listTimesOption))
        return listFileTimes(directory, out, err);

    const rules::CheckReport report = rules::checkArchive(
        directory, readingOptions(parser, err, QCoreApplication::translate("cli", "checked")));

    if (report.filesChecked == 0) {
        const QString nothing = archive::noArchiveFilesText(directory);
        if (!nothing.isEmpty()) {
            out << output::noFilesCheckedText(nothing) << '\n';
            out.flush();
            return exitFindings;
        }
    }
    output::writeCheckReport(out, report);
    out.flush();
    return report.findings.isEmpty() ? exitSuccess : exitFindings;
}

} // namespace cli
