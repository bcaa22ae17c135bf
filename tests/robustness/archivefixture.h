// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

class MainWindow;
class QComboBox;
class QLabel;

namespace fixture {

// A measurement file's first line; `smelt` tells files apart on screen.
QByteArray measurementLine(const QString &smelt, const QString &status = QStringLiteral("8"));

// Modification instants are set explicitly (the listing order depends on them), counted in seconds
// from a fixed instant so that no test depends on the clock.
qint64 instant(int secondsAfterBase);

// Writes a regular file and sets its modification time; false on any failure.
bool writeFile(const QString &path, const QByteArray &bytes, qint64 modifiedSecs);
// Sets the modification time of the entry itself (a symbolic link is not followed).
bool setModified(const QString &path, qint64 modifiedSecs);
bool makeFifo(const QString &path, qint64 modifiedSecs);
bool makeSymlink(const QString &target, const QString &path);
// A file of `size` bytes that starts with `head` and holds no line break; sparse, so it costs no disk.
bool writeSparseFile(const QString &path, const QByteArray &head, qint64 size, qint64 modifiedSecs);

// Everything about a folder tree that a reader must leave alone: per entry (relative path) its type,
// size, permissions, modification time to the nanosecond, link target and a hash of its content.
QMap<QString, QString> snapshot(const QString &root);

// One run of a steel-archive command, in this process.
struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};
ToolRun runTool(const QStringList &arguments);

// The window's widgets, found by their fixed object names.
struct Viewer
{
    explicit Viewer(MainWindow *window);
    MainWindow *window;
    QComboBox *technology;
    QComboBox *yearMonth;
    QComboBox *day;
    QComboBox *time;
    QLabel *smelt;
    QLabel *temperature;
    QLabel *status;

    QStringList entries(const QComboBox *list) const;
    // The six result fields and the status, in panel order.
    QStringList shownValues() const;
    // Makes every entry of every list current in turn, top to bottom, as a person walking the archive
    // would; returns the number of measurements chosen.
    int walkEverything() const;
};

} // namespace fixture
