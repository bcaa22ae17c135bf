// SPDX-License-Identifier: GPL-3.0-or-later
#include "filetimes.h"

#include <QCoreApplication>
#include <QDateTime>

namespace rules {

namespace {

// The moment a name means, as local time. A time the clocks skip when summer time begins (02:30 on
// such a night in Berlin) is no local time at all; it is read with the offset in force before the
// change, as a clock that had not yet moved on would have written it (02:30 winter time, which is
// 03:30 summer time), so that such a name is dated and checked like every other one.
qint64 localMomentMsecs(const archive::Moment &moment)
{
    const QDateTime local(moment.date, moment.time, Qt::LocalTime);
    if (local.isValid())
        return local.toMSecsSinceEpoch();
    const qint64 asUtc = QDateTime(moment.date, moment.time, Qt::UTC).toMSecsSinceEpoch();
    // A day earlier the offset is the one before the change: no zone changes twice in a day.
    constexpr qint64 day = 24 * 60 * 60 * 1000;
    const int before = QDateTime::fromMSecsSinceEpoch(asUtc - day, Qt::LocalTime).offsetFromUtc();
    return asUtc - qint64(before) * 1000;
}

} // namespace

bool FileTimeSummary::add(const QString &fileName, qint64 modifiedMsecs)
{
    return add(fileName, archive::momentOfFile(fileName), modifiedMsecs);
}

bool FileTimeSummary::add(const QString &fileName, const archive::Moment &moment, qint64 modifiedMsecs,
                          bool nameEscaped)
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
        named = localMomentMsecs(moment);
    }
    ++dated;
    if (qAbs(modifiedMsecs - named) <= tolerance)
        return false;
    if (disagreeing++ == 0 || fileName < example) {
        example = fileName;
        exampleEscaped = nameEscaped;
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
                       "rules", "modified %1, more than a day away from the moment in its name (%2 of "
                                "%3 dated files are so): the viewer's newest measurement and its time "
                                "lists follow the modification times, so it may open on the wrong melt "
                                "(a copy that did not keep the times does this); steel-archive check "
                                "--list-times lists them all")
                       .arg(archive::momentDisplayText(modified.date(), modified.time()))
                       .arg(disagreeing)
                       .arg(dated),
                   exampleEscaped};
}
} // namespace rules
