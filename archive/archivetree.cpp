// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivetree.h"

#include "archive/archivemodel.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"

#include <QTime>

namespace archive {

QString timeOfDayText(int seconds)
{
    if (seconds < 0)
        return QString();
    return timeText(Moment{QDate(2000, 1, 1), QTime(0, 0).addSecs(seconds)});
}

ArchiveTree treeOf(const ArchiveModel &model)
{
    ArchiveTree tree;
    tree.listedAnyFile = model.fileCount() > 0;
    tree.newestTechnology = model.newestTechnology();
    for (const QString &technology : model.technologies()) {
        ArchiveTree::Technology node{technology, {}};
        for (const QString &yearMonth : model.months(technology)) {
            ArchiveTree::Month month{yearMonth, {}};
            for (const QString &day : model.days(technology, yearMonth)) {
                ArchiveTree::Day dayNode{day, {}};
                for (const TimeEntry &entry : model.times(technology, yearMonth, day))
                    dayNode.seconds.append(
                        entry.time.isEmpty()
                            ? -1
                            : QTime(0, 0).secsTo(QTime::fromString(entry.time, QStringLiteral("hh:mm:ss"))));
                month.days.append(dayNode);
            }
            node.months.append(month);
        }
        tree.technologies.append(node);
    }
    return tree;
}

ArchiveTree buildArchiveTree(const QString &directory)
{
    ArchiveModel model;
    model.fill(directory);
    return treeOf(model);
}

} // namespace archive
