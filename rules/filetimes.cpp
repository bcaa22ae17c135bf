// SPDX-License-Identifier: GPL-3.0-or-later
#include "filetimes.h"

#include <QCoreApplication>
#include <QDateTime>

namespace rules {

bool FileTimeSummary::add(const QString &fileName, qint64 modifiedMsecs)
{
    return add(fileName, archive::momentOfFile(fileName), modifiedMsecs);
}

bool FileTimeSummary::add(const QString &fileName, const archive::Moment &moment, qint64 modifiedMsecs)
{
    constexpr qint64 tolerance = 24 * 60 * 60 * 1000;
    if (!moment.isValid())
        return false;
    // Asking the time zone costs a system call per question: a day without a change of its offset
    // is asked once.
    const qint64 day = moment.date.toJulianDay();
    auto known = offsetOfDay.find(day);
    if (known == offsetOfDay.end()) {
        const QDateTime first(moment.date, QTime(0, 0), Qt::LocalTime);
        const QDateTime last(moment.date, QTime(23, 59, 59), Qt::LocalTime);
        const bool uniform =
            first.isValid() && last.isValid() && first.offsetFromUtc() == last.offsetFromUtc();
        known = offsetOfDay.insert(day, uniform ? std::optional<int>(first.offsetFromUtc()) : std::nullopt);
    }
    qint64 named = 0;
    if (*known) {
        named = QDateTime(moment.date, moment.time, Qt::UTC).toMSecsSinceEpoch() - qint64(**known) * 1000;
    } else {
        const QDateTime local(moment.date, moment.time, Qt::LocalTime);
        if (!local.isValid())
            return false;
        named = local.toMSecsSinceEpoch();
    }
    ++dated;
    if (qAbs(modifiedMsecs - named) <= tolerance)
        return false;
    if (disagreeing++ == 0 || fileName < example) {
        example = fileName;
        exampleModified = modifiedMsecs;
    }
    return true;
}

std::optional<Finding> FileTimeSummary::finding() const
{
    if (disagreeing == 0)
        return std::nullopt;
    const QDateTime modified = QDateTime::fromMSecsSinceEpoch(exampleModified, Qt::LocalTime);
    return Finding{example,
                   QCoreApplication::translate(
                       "cli", "modified %1, more than a day away from the moment in its name (%2 of "
                              "%3 dated files are so): the viewer's newest measurement and its time "
                              "lists follow the modification times, so it may open on the wrong melt "
                              "(a copy that did not keep the times does this); steel-archive check "
                              "--list-times lists them all")
                       .arg(archive::momentDisplayText(modified.date(), modified.time()))
                       .arg(disagreeing)
                       .arg(dated)};
}
} // namespace rules
