// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivefolder.h"
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "output/archivetreetext.h"

#include "archive/archivetree.h"
#include "archive/displayname.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

int runList(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("ls"),
        QCoreApplication::translate(
            "cli", "Lists the archive in DIR as the viewer's selection lists show it: each technology in\n"
                   "the list's order, below it its months (newest first), their days (latest first) and\n"
                   "the times of each day (most recently modified file first). The technology the viewer\n"
                   "opens on is marked \"(newest)\". An empty entry leads no further, as in the viewer.\n"
                   "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 done; 1 DIR holds no archive file at all (the subfolders that do "
                   "are\nnamed); 2 bad usage or a folder that cannot be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write the lists as JSON."));
    parser.addOption(jsonOption);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = archive::unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name,
                             archive::displayPath(directory) + QStringLiteral(": ") + reason);

    const archive::ArchiveTree tree = archive::buildArchiveTree(directory);
    if (parser.isSet(jsonOption))
        output::writeTreeJson(out, directory, tree);
    else
        output::writeTreeText(out, tree);
    out.flush();
    if (!tree.listedAnyFile) {
        if (const std::optional<int> failed = noArchiveFilesFailure(err, syntax.name, directory))
            return *failed;
    }
    return exitSuccess;
}

} // namespace cli
