// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivename.h"

namespace archive {

namespace {

// Moments are parsed and written by hand: QDateTime would go through local time (and call a moment
// inside a daylight-saving gap invalid), and QDate::toString would use the machine's locale digits.

constexpr int nameMomentLength = 19; // "yyyy_MM_dd-hh_mm_ss"

// Reads `count` ASCII digits starting at `from`; -1 if any of them is not one. QChar::isDigit would
// also accept Arabic-Indic and other digits, which never occur in names we write.
int readDigits(QStringView text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

Moment momentFromFields(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0)
        return {};
    // QDate and QTime reject what the calendar and the clock do not have (2019-02-30, 24:00:00).
    Moment moment{QDate(year, month, day), QTime(hour, minute, second)};
    if (!moment.isValid())
        return {};
    return moment;
}

// Every written form uses four-digit years; a moment outside them cannot be written and read back,
// so it is treated like an invalid one.
bool isWritable(const Moment &moment)
{
    return moment.isValid() && moment.date.year() >= 1 && moment.date.year() <= 9999;
}

void appendPadded(QString &out, int value, int width)
{
    char16_t digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    out.append(reinterpret_cast<const QChar *>(digits), width);
}

} // namespace

Moment parseNameMoment(QStringView text)
{
    if (text.size() != nameMomentLength)
        return {};
    if (text[4] != u'_' || text[7] != u'_' || text[10] != u'-' || text[13] != u'_' || text[16] != u'_')
        return {};
    return momentFromFields(readDigits(text, 0, 4), readDigits(text, 5, 2), readDigits(text, 8, 2),
                            readDigits(text, 11, 2), readDigits(text, 14, 2), readDigits(text, 17, 2));
}

Moment parseNameMoment(const QString &text)
{
    return parseNameMoment(QStringView(text));
}

QString nameMomentText(const Moment &moment)
{
    if (!isWritable(moment))
        return QString();
    // One calendar conversion for the three parts, not one each: check asks this of every file.
    int year = 0;
    int month = 0;
    int day = 0;
    moment.date.getDate(&year, &month, &day);
    QString out;
    out.reserve(nameMomentLength);
    appendPadded(out, year, 4);
    out.append(u'_');
    appendPadded(out, month, 2);
    out.append(u'_');
    appendPadded(out, day, 2);
    out.append(u'-');
    appendPadded(out, moment.time.hour(), 2);
    out.append(u'_');
    appendPadded(out, moment.time.minute(), 2);
    out.append(u'_');
    appendPadded(out, moment.time.second(), 2);
    return out;
}

QStringView baseNameView(QStringView fileName)
{
    // Plain loops: Qt's general search costs more than the scan of a short name.
    qsizetype start = fileName.size();
    while (start > 0 && fileName[start - 1] != u'/')
        --start;
    qsizetype dot = start;
    while (dot < fileName.size() && fileName[dot] != u'.')
        ++dot;
    return fileName.mid(start, dot - start);
}

QString baseNameOf(const QString &fileName)
{
    return baseNameView(fileName).toString();
}

QStringView technologyView(QStringView fileName)
{
    // Second "_" field of the base name, then its first "-" field; empty fields count as fields.
    const QStringView base = baseNameView(fileName);
    const int underscore = base.indexOf(u'_');
    if (underscore < 0)
        return QStringView();
    QStringView field = base.mid(underscore + 1);
    const int nextUnderscore = field.indexOf(u'_');
    if (nextUnderscore >= 0)
        field = field.left(nextUnderscore);
    const int dash = field.indexOf(u'-');
    return dash >= 0 ? field.left(dash) : field;
}

QString technologyOfFile(const QString &fileName)
{
    return technologyView(fileName).toString();
}

Moment momentOfName(QStringView fileName)
{
    const QStringView base = baseNameView(fileName);
    return parseNameMoment(base.size() > nameMomentLength ? base.right(nameMomentLength) : base);
}

Moment momentOfFile(const QString &fileName)
{
    return momentOfName(fileName);
}

QString yearMonthText(const Moment &moment)
{
    if (!isWritable(moment))
        return QString();
    QString out;
    out.reserve(7);
    appendPadded(out, moment.date.year(), 4);
    out.append(u'.');
    appendPadded(out, moment.date.month(), 2);
    return out;
}

QString dayText(const Moment &moment)
{
    if (!isWritable(moment))
        return QString();
    QString out;
    appendPadded(out, moment.date.day(), 2);
    return out;
}

QString timeText(const Moment &moment)
{
    if (!isWritable(moment))
        return QString();
    QString out;
    out.reserve(8);
    appendPadded(out, moment.time.hour(), 2);
    out.append(u':');
    appendPadded(out, moment.time.minute(), 2);
    out.append(u':');
    appendPadded(out, moment.time.second(), 2);
    return out;
}

Moment momentFromListTexts(const QString &day, const QString &yearMonth, const QString &time)
{
    // The three texts are joined first, as the loader reads them: "dd.yyyy.MM hh:mm:ss".
    const QString joined = day + QLatin1Char('.') + yearMonth + QLatin1Char(' ') + time;
    const QStringView text(joined);
    if (text.size() != nameMomentLength)
        return {};
    if (text[2] != u'.' || text[7] != u'.' || text[10] != u' ' || text[13] != u':' || text[16] != u':')
        return {};
    return momentFromFields(readDigits(text, 3, 4), readDigits(text, 8, 2), readDigits(text, 0, 2),
                            readDigits(text, 11, 2), readDigits(text, 14, 2), readDigits(text, 17, 2));
}

QString archiveFileName(const QString &technology, const Moment &moment)
{
    return QStringLiteral("steel_") + technology + QLatin1Char('-') + nameMomentText(moment) +
           QStringLiteral(".json");
}

QString archiveFilePath(const QString &directory, const QString &technology, const Moment &moment)
{
    return directory + QLatin1Char('/') + archiveFileName(technology, moment);
}

QString momentDisplayText(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return QStringLiteral("?");
    const QLatin1Char zero('0');
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(date.year(), 4, 10, zero)
        .arg(date.month(), 2, 10, zero)
        .arg(date.day(), 2, 10, zero)
        .arg(time.hour(), 2, 10, zero)
        .arg(time.minute(), 2, 10, zero)
        .arg(time.second(), 2, 10, zero);
}

} // namespace archive
