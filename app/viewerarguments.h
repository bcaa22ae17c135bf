// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// What the viewer was asked to do on its command line: steel-viewer [--follow] [FOLDER | FILE].
struct ViewerArguments
{
    bool help = false;
    bool version = false;
    bool follow = false;
    QString path;       // the folder or file given, empty when none
    QString usageError; // why the arguments cannot be understood, empty when they can
};

// Reads the arguments after the program's name, once the toolkit has taken its own options away.
// "--" ends the options, so that a folder whose name begins with "-" can still be given.
ViewerArguments parseViewerArguments(const QStringList &arguments);

// --help and --version are answered before the window's application object is made, so that they
// work without a display: from the raw arguments, on the console, with the exit code to end with.
std::optional<int> answerWithoutWindow(int argc, char **argv);

QString viewerHelpText();
QString viewerVersionText();

// Where the window starts, from the path given on the command line.
struct StartPlace
{
    QString folder;   // the archive folder the window lists
    QString fileName; // a measurement to select down the four lists, empty for the newest
    QString problem;  // why the path given is neither an archive folder nor a measurement file
};

// No path: the working directory's "archive" folder, as without arguments. A folder is the archive
// folder; a measurement file (a regular file whose name the listing takes for one) opens its
// folder with it selected. Anything else is a problem: the path is still shown, as the folder, so
// that the window says what is wrong with it.
StartPlace startPlace(const QString &path);

} // namespace app
