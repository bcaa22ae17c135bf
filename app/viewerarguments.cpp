// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/viewerarguments.h"

#include "archive/archivefolder.h"
#include "archive/archivelisting.h"
#include "archive/archivescans.h"
#include "language/helplayout.h"
#include "language/language.h"
#include "platform/arguments.h"
#include "platform/console.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstring>

namespace app {

namespace {

const char programName[] = "steel-viewer";

// Writes the text to the stream and returns whether every byte went out.
bool writeText(platform::StandardStream stream, const QString &text)
{
    const std::unique_ptr<QIODevice> device = platform::openStandardStream(stream);
    QTextStream out(device.get());
    out.setCodec("UTF-8");
    out << text;
    out.flush();
    return out.status() == QTextStream::Ok;
}

} // namespace

ViewerArguments parseViewerArguments(const QStringList &arguments)
{
    ViewerArguments parsed;
    bool optionsEnded = false;
    QStringList paths;
    for (const QString &argument : arguments) {
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            paths.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parsed.help = true;
        } else if (argument == QLatin1String("--version")) {
            parsed.version = true;
        } else if (argument == QLatin1String("--follow")) {
            parsed.follow = true;
        } else {
            parsed.usageError =
                QCoreApplication::translate("steel-viewer", "unknown option %1").arg(argument);
            return parsed;
        }
    }
    if (paths.size() > 1)
        parsed.usageError = QCoreApplication::translate("steel-viewer", "one folder or file at most, not %1")
                                .arg(paths.size());
    else
        parsed.path = paths.isEmpty() ? QString() : platform::folderArgument(paths.constFirst());
    return parsed;
}

std::optional<int> answerWithoutWindow(int argc, char **argv)
{
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        version = version || std::strcmp(argv[i], "--version") == 0;
    }
    if (!help && !version)
        return std::nullopt;
    // Only for the language of the answer: the window's application comes later, if at all.
    int count = argc;
    const QCoreApplication answering(count, argv);
    language::useLocaleLanguage();
    const QString text = help ? viewerHelpText() : viewerVersionText();
    // A help text that could not be written (a full disk, a closed pipe) is not a success.
    return writeText(platform::StandardStream::output, text) ? 0 : 2;
}

QString viewerHelpText()
{
    // Laid out as steel-archive lays out a command's help: the same headings, one list of options and
    // one of arguments, the exit codes last.
    const QString text =
        language::usageLine(QLatin1String(programName), QStringLiteral("[FOLDER | FILE]")) +
        QLatin1Char('\n') +
        QCoreApplication::translate(
            "steel-viewer",
            "Shows the measurements of steel melts in an archive folder: the newest one at start, the\n"
            "others through the lists of technology, year.month, day and time of measurement.\n"
            "Ctrl+F in the window finds the measurements of a melt by its number.\n"
            "A path that is neither a folder nor a measurement file is named on standard error and\n"
            "marked in the window's source field.\n") +
        QLatin1Char('\n') + language::optionsHeading() + QLatin1Char('\n') +
        QCoreApplication::translate(
            "steel-viewer",
            "  --follow    Show each new measurement by itself as soon as its file is complete,\n"
            "              while the newest one is on show; an older one chosen by hand stays, and\n"
            "              the lists gain the new entries; a lost folder is waited for.\n"
            "  --version   Show the version.\n"
            "  -h, --help  Show this help.\n") +
        QLatin1Char('\n') + language::argumentsHeading() + QLatin1Char('\n') +
        QCoreApplication::translate(
            "steel-viewer",
            "  FOLDER      The archive folder to show; without it the folder \"archive\" in the\n"
            "              working directory.\n"
            "  FILE        A measurement file (steel_<technology>-yyyy_MM_dd-hh_mm_ss.json): its\n"
            "              folder is shown with this measurement chosen in the lists.\n") +
        QLatin1Char('\n') +
        QCoreApplication::translate("steel-viewer",
                                    "Exit codes: 0 done; 2 arguments that cannot be understood.\n");
    return language::fitToColumns(text);
}

QString viewerVersionText()
{
    return QStringLiteral("%1 %2\n").arg(QLatin1String(programName), QStringLiteral(STEEL_VERSION));
}

StartPlace startPlace(const QString &path)
{
    StartPlace place;
    if (path.isEmpty()) {
        place.folder = archive::defaultArchiveDirectory();
        return place;
    }
    const QFileInfo info(path);
    if (info.isDir()) {
        place.folder = QDir::fromNativeSeparators(path);
        return place;
    }
    if (info.isFile() && archive::wildcardMatch(archive::technologyPattern(), info.fileName())) {
        place.folder = QDir::fromNativeSeparators(info.path());
        place.fileName = info.fileName();
        return place;
    }
    place.folder = QDir::fromNativeSeparators(path);
    place.problem =
        info.exists() ? QCoreApplication::translate("steel-viewer",
                                                    "%1 is neither an archive folder nor a measurement file")
                            .arg(QDir::toNativeSeparators(path))
                      : QCoreApplication::translate("steel-viewer", "%1 does not exist")
                            .arg(QDir::toNativeSeparators(path));
    return place;
}

} // namespace app
