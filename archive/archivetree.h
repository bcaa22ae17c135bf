// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace archive {

// The whole archive as the four selection lists show it when every entry is chosen in turn: each
// technology of the technology list, below it what its year.month list holds, below each month its
// day list, below each day its time list. Empty entries lead no further, as in the viewer.
struct ArchiveTree
{
    struct Day
    {
        QString day;          // "dd", or empty
        QVector<int> seconds; // the time list: seconds after midnight, -1 for an empty entry
        bool operator==(const Day &o) const { return day == o.day && seconds == o.seconds; }
    };
    struct Month
    {
        QString yearMonth; // "yyyy.MM", or empty
        QVector<Day> days;
        bool operator==(const Month &o) const { return yearMonth == o.yearMonth && days == o.days; }
    };
    struct Technology
    {
        QString name;
        QVector<Month> months;
        bool operator==(const Technology &o) const { return name == o.name && months == o.months; }
    };

    QVector<Technology> technologies; // in the technology list's order
    QString newestTechnology;
    bool listedAnyFile = false;

    bool operator==(const ArchiveTree &o) const
    {
        return technologies == o.technologies && newestTechnology == o.newestTechnology &&
               listedAnyFile == o.listedAnyFile;
    }
};

// "hh:mm:ss" for seconds after midnight; the empty text for -1.
QString timeOfDayText(int seconds);

class ArchiveModel;

// The tree of what the model holds: the viewer's lists and `steel-archive ls` come from one model.
ArchiveTree treeOf(const ArchiveModel &model);
// Builds the tree from one listing of the folder, by the same matching rules as the scans: the time
// needed grows with the number of files, not with files times days.
ArchiveTree buildArchiveTree(const QString &directory);

} // namespace archive
