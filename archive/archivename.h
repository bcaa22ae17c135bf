// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <QTime>

namespace archive {

// The measurement moment: a calendar date and a clock time to the second, with no time zone.
// Deliberately not a QDateTime: a local date-time would call 2024_03_31-02_30_00 invalid in a zone
// with daylight saving time, while plants often keep standard time all year.
struct Moment
{
    QDate date;
    QTime time;

    bool isValid() const { return date.isValid() && time.isValid(); }
    bool operator==(const Moment &other) const { return date == other.date && time == other.time; }
    bool operator!=(const Moment &other) const { return !(*this == other); }
    // Earlier first; defined for valid moments only.
    bool operator<(const Moment &other) const
    {
        return date != other.date ? date < other.date : time < other.time;
    }
    bool operator>(const Moment &other) const { return other < *this; }
};

// "yyyy_MM_dd-hh_mm_ss": the moment as written in archive file names.
Moment parseNameMoment(const QString &text);
QString nameMomentText(const Moment &moment);

// Base name: the file name without its directory, up to the first ".".
QString baseNameOf(const QString &fileName);
// The text between "steel_" and the first "-" of the base name (second "_" field, first "-" field).
QString technologyOfFile(const QString &fileName);
// The last 19 characters of the base name parsed as a name moment (invalid when they do not fit).
Moment momentOfFile(const QString &fileName);

// Display forms of the selection lists; each is empty for an invalid moment.
QString yearMonthText(const Moment &moment); // "yyyy.MM"
QString dayText(const Moment &moment);       // "dd"
QString timeText(const Moment &moment);      // "hh:mm:ss"

// "yyyy-MM-dd hh:mm:ss" for a valid moment, whatever the machine's locale; "?" otherwise.
QString momentDisplayText(const QDate &date, const QTime &time);
inline QString momentDisplayText(const Moment &moment)
{
    return momentDisplayText(moment.date, moment.time);
}

// The moment rebuilt from the three list texts, joined as "dd.yyyy.MM hh:mm:ss".
Moment momentFromListTexts(const QString &day, const QString &yearMonth, const QString &time);

// The same rules on a name already in memory, without allocating: the listing's hot path applies
// them to every matching directory entry.
QStringView baseNameView(QStringView fileName);
QStringView technologyView(QStringView fileName);
Moment momentOfName(QStringView fileName);
Moment parseNameMoment(QStringView text);

// "steel_" + technology + "-" + moment + ".json"; an invalid moment writes as the empty text.
QString archiveFileName(const QString &technology, const Moment &moment);
// The loader's path: directory text + "/" + file name, with no normalisation.
QString archiveFilePath(const QString &directory, const QString &technology, const Moment &moment);

} // namespace archive
