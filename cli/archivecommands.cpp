// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"

#include "commandline.h"
#include "commands.h"

#include "archive/archivefolder.h"
#include "archive/displayname.h"
#include "archive/measurementindex.h"
#include "language/systemtext.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

QCommandLineOption noIndexOption()
{
    return QCommandLineOption(
        QStringLiteral("no-index"),
        QCoreApplication::translate("cli", "Read every file; neither use nor update the index."));
}

archive::ArchiveReading readingOptions(const QCommandLineParser &parser, QTextStream &err,
                                       const QString &done)
{
    archive::ArchiveReading reading;
    reading.useIndex = !parser.isSet(noIndexOption());
    reading.progress = terminalProgress(err, done);
    return reading;
}

namespace {

QString posixIndexHelpText()
{
    QString text =
        QCoreApplication::translate(
            "cli", "What was read is kept in an index, so that the next question about an unchanged\n"
                   "or slightly changed archive reads only the files that changed (size, times, inode,\n"
                   "device or mount differ) and the rows whose checksums no longer match; the answer\n"
                   "is the same with or without it. The index lives in\n"
                   "$XDG_CACHE_HOME/steel-archive/index (by default ~/.cache/steel-archive/index),\n"
                   "one SQLite file per archive folder (by its canonical path), never in the archive:\n"
                   "none is used when that folder lies in the archive or the index file is a symbolic\n"
                   "link. Together the indexes may take %1 GiB, beyond which the least recently used go.\n")
            .arg(archive::MeasurementIndex::sizeLimitBytes() / (1024 * 1024 * 1024));
    if (!platform::mountsHaveUniqueIds())
        text += QCoreApplication::translate(
            "cli", "This system gives no unique mount ids (Linux 6.8 and later do): another file system\n"
                   "mounted at the same place with the same device number, times and inode numbers (a\n"
                   "swapped read-only image) goes unseen by the index; use --no-index after such a swap.\n");
    return text;
}

// The same facts as Windows names them: its own cache folder, file indexes and volume serial numbers.
QString windowsIndexHelpText()
{
    return QCoreApplication::translate(
               "cli", "What was read is kept in an index, so that the next question about an unchanged\n"
                      "or slightly changed archive reads only the files that changed (size, times, file\n"
                      "index or volume differ) and the rows whose checksums no longer match; the answer\n"
                      "is the same with or without it. The index lives in\n"
                      "%LOCALAPPDATA%\\steel-archive\\cache\\index, one SQLite file per archive folder (by\n"
                      "its full path with links resolved), never in the archive: none is used when that\n"
                      "folder lies in the archive or the index file is a link. Together the indexes may\n"
                      "take %1 GiB, beyond which the least recently used go.\n")
               .arg(archive::MeasurementIndex::sizeLimitBytes() / (1024 * 1024 * 1024)) +
           QCoreApplication::translate(
               "cli", "Windows tells volumes apart by their serial numbers only: another disk or image\n"
                      "with the same serial number, times and file indexes in the same place goes unseen\n"
                      "by the index; use --no-index after such a swap.\n");
}

} // namespace

QString indexHelpText()
{
    const QString text = platform::systemKind() == platform::SystemKind::windows ? windowsIndexHelpText()
                                                                                 : posixIndexHelpText();
    return text +
           QCoreApplication::translate("cli", "--no-index reads every file and leaves the index alone.\n");
}

std::optional<int> noArchiveFilesFailure(QTextStream &err, const QString &command, const QString &directory)
{
    const QString nothing = archive::noArchiveFilesText(directory);
    if (nothing.isEmpty())
        return std::nullopt;
    reportFailure(err, command, nothing);
    return exitFindings;
}

void reportSkippedFiles(QTextStream &err, const QString &command, const QString &directory,
                        const QStringList &fileNames)
{
    for (const QString &fileName : fileNames) {
        const QString path = directory + QLatin1Char('/') + fileName;
        err << "steel-archive " << command << ": "
            << QCoreApplication::translate("cli", "%1: %2; skipped")
                   .arg(archive::displayPath(directory, fileName), language::unreadableReason(path))
            << '\n';
    }
    err.flush();
}

} // namespace cli
