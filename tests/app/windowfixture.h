// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mainwindow.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QComboBox;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fixture {

// Seconds after 2021-01-01 00:00 UTC as a file modification time; small numbers keep tests readable.
qint64 at(int seconds);

// A temporary working directory with an "archive" folder in it (unless told otherwise). The window
// takes its default archive directory from the working directory, so the folder becomes the
// working directory while the window is built; the previous one is restored on destruction.
class WorkingFolder
{
public:
    explicit WorkingFolder(bool withArchive = true);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    bool isValid() const { return valid; }
    QString path() const { return dir.path(); }
    QString archivePath() const { return dir.path() + QStringLiteral("/archive"); }

    // Writes a file into the archive folder (or into folder) with an explicit modification time.
    bool addFile(const QString &name, const QByteArray &content, qint64 modifiedSecs);
    bool addFileIn(const QString &folder, const QString &name, const QByteArray &content,
                   qint64 modifiedSecs);
    // The three images the window loads from its working directory.
    bool addImages();

    std::unique_ptr<MainWindow> openWindow();

private:
    QTemporaryDir dir;
    QString previousWorkingDir;
    bool valid = false;
};

// A complete measurement as the plant writes it; tests change single keys before writing it.
QJsonObject measurement(const QString &smelt);
// The file's first and only line.
QByteArray line(const QJsonObject &measurement);

// The entries of a selection list, placeholder included.
QStringList entries(const QComboBox *list);

// The window's widgets by their object names; a missing widget ends the test run.
QComboBox *list(const QWidget *window, const char *name);
QLabel *label(const QWidget *window, const char *name);
QLineEdit *pathField(const QWidget *window);
QPushButton *button(const QWidget *window, const char *name);
QCustomPlot *plot(const QWidget *window);

// Types a new text into the path field and presses Return, as a person does.
void typePath(QWidget *window, const QString &text);

// The texts of the seven fields of the values panel, in panel order.
QStringList shownValues(const QWidget *window);
// The same seven texts as the panel shows them before any measurement: its empty state.
QStringList emptyValues();

extern const QString choose; // "Выбрать"
extern const QString noData; // "Нет данных"

} // namespace fixture
