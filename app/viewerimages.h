// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QAbstractButton;
class QTextStream;
class QWidget;

// The window icon and the two button images are plain files read from the working directory. An
// installed viewer is usually started elsewhere (from the desktop menu, from a shell in the home
// folder), so an image missing there is taken from the copy installed with the program instead.
namespace viewerimages {

// What shows the images: the window (icon.bmp) and its refresh and print buttons.
struct Targets
{
    QWidget *window = nullptr;
    QAbstractButton *refresh = nullptr;
    QAbstractButton *print = nullptr;
};

// Where the viewer reads the image `fileName` from: the working directory's file when it is a readable
// image, else the copy installed with the program (in the build tree, the project's images copied there
// by the build); empty when neither can be read.
QString imagePath(const QString &fileName);

// Gives the window (icon.bmp) and its refreshButton and print buttons the installed images wherever the
// working directory lacks a readable one, so that no button face is blank.
void completeImages(const Targets &targets);

// Writes one line per image ("<file> <path read or -> drawn|blank") as the window shows it and returns
// 0 when all three can be drawn, 1 otherwise. Lets the install check see the images without a screen.
int reportImages(const Targets &targets, QTextStream &out);

} // namespace viewerimages
