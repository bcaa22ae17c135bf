// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivename.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace demo {

// The seed of `steel-archive demo` without --seed, and of scripts/run's demo archive.
constexpr quint64 defaultSeed = 1;

// One file of the demo archive.
struct DemoFile
{
    QString fileName;       // archive file name, no directory
    archive::Moment moment; // also the file's modification time, read as local time
    QByteArray content;     // the single-line document
};

// The demo archive for a seed, oldest measurement first. The names and moments are the same for every
// seed, so that a later run can recognise a folder it wrote before; the contents depend on the seed.
// Moments that do not exist in the local time zone (a daylight-saving gap) are left out.
QVector<DemoFile> demoArchive(quint64 seed);

// The reason why the demo archive may not be written into `directory`; the empty text when it may:
// the folder is missing, empty, or holds nothing but regular files with names from `files`.
QString demoRefusal(const QString &directory, const QVector<DemoFile> &files);

// Creates the directory if needed and writes every file, setting its modification time to its
// moment. Returns the empty text, or a one-line description of the first failure.
QString writeDemoArchive(const QString &directory, const QVector<DemoFile> &files);

} // namespace demo
