// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: archive file names taken apart and built again, and the wildcard patterns the scans list
// the folder with. Input: a file name; after a first newline, a second text used as a wildcard pattern.

#include "fuzzcheck.h"

#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "archive/archivescans.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

namespace {

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

QChar asciiLower(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z') ? QChar(c.unicode() + 32) : c;
}

// Independent matcher for patterns made of "*", "?" and ASCII literals: one table over all positions,
// so it cannot be fooled by backtracking, and it is slow only in proportion to the lengths.
bool referenceMatch(const QString &pattern, const QString &name)
{
    const int n = name.size();
    QVector<bool> row(n + 1, false);
    row[0] = true;
    for (const QChar p : pattern) {
        QVector<bool> next(n + 1, false);
        if (p == QLatin1Char('*')) {
            bool reachable = false;
            for (int j = 0; j <= n; ++j) {
                reachable = reachable || row[j];
                next[j] = reachable;
            }
        } else {
            for (int j = 1; j <= n; ++j) {
                next[j] = row[j - 1] && (p == QLatin1Char('?') || asciiLower(p) == asciiLower(name[j - 1]));
            }
        }
        row = next;
    }
    return row[n];
}

QString flipAsciiCase(const QString &text)
{
    QString flipped = text;
    for (QChar &c : flipped) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    }
    return flipped;
}

// A technology that can lead through all four lists: none of the characters that end it in a name.
QString usableTechnology(QString text)
{
    for (const char c : {'_', '-', '.', '/', '\0'})
        text.remove(QLatin1Char(c));
    return text;
}

void checkMomentForms(const archive::Moment &moment)
{
    const QString yearMonth = archive::yearMonthText(moment);
    const QString day = archive::dayText(moment);
    const QString time = archive::timeText(moment);
    if (!moment.isValid()) {
        FUZZ_CHECK(yearMonth.isEmpty() && day.isEmpty() && time.isEmpty());
        return;
    }
    FUZZ_CHECK(yearMonth.size() == 7 && day.size() == 2 && time.size() == 8);
    // The loader rebuilds the moment from the three list texts; it must be the one the lists came from.
    FUZZ_CHECK(archive::momentFromListTexts(day, yearMonth, time) == moment);
    FUZZ_CHECK(archive::parseNameMoment(archive::nameMomentText(moment)) == moment);
}

void checkName(const QString &fileName)
{
    const QString technology = archive::technologyOfFile(fileName);
    FUZZ_CHECK(!technology.contains(QLatin1Char('_')) && !technology.contains(QLatin1Char('-')) &&
               !technology.contains(QLatin1Char('.')));

    const archive::Moment moment = archive::momentOfFile(fileName);
    checkMomentForms(moment);
    if (moment.isValid() && !fileName.contains(QLatin1Char('/'))) {
        // A valid moment is read from exactly the 19 characters that write it, with nothing lenient.
        FUZZ_CHECK(archive::baseNameOf(fileName).right(19) == archive::nameMomentText(moment));
    }
}

void checkBuiltName(const QString &technology, const archive::Moment &moment)
{
    const QString name = archive::archiveFileName(technology, moment);
    FUZZ_CHECK(archive::wildcardMatch(archive::technologyPattern(), name));
    if (!moment.isValid())
        return;
    FUZZ_CHECK(archive::technologyOfFile(name) == technology);
    FUZZ_CHECK(archive::momentOfFile(name) == moment);
    // The file the lists lead to is listed by every pattern on the way there, whatever the technology holds.
    const QString yearMonth = archive::yearMonthText(moment);
    const QString day = archive::dayText(moment);
    FUZZ_CHECK(archive::wildcardMatch(archive::yearMonthPattern(technology), name));
    FUZZ_CHECK(archive::wildcardMatch(archive::dayPattern(technology, yearMonth), name));
    FUZZ_CHECK(archive::wildcardMatch(archive::timePattern(technology, yearMonth, day), name));
    const QString path = archive::archiveFilePath(QStringLiteral("/a b"), technology, moment);
    FUZZ_CHECK(path == QStringLiteral("/a b/") + name);
}

void checkPattern(const QString &pattern, const QString &name)
{
    // Any pattern, however broken its sets, is answered (the result is not judged here).
    archive::wildcardMatch(pattern, name);
    archive::wildcardMatch(name, pattern);

    // An escaped text stands for itself, in any letter case.
    const QString literal = archive::escapeWildcards(name);
    FUZZ_CHECK(archive::wildcardMatch(literal, name));
    FUZZ_CHECK(archive::wildcardMatch(literal, flipAsciiCase(name)));
    FUZZ_CHECK(archive::wildcardMatch(archive::escapeWildcards(pattern), pattern));

    // Sets and escapes are left to the unit tests; the rest has one meaning to compare with.
    if (isAscii(pattern) && isAscii(name) && !pattern.contains(QLatin1Char('[')) &&
        !pattern.contains(QLatin1Char(']')) && !pattern.contains(QLatin1Char('\\'))) {
        FUZZ_CHECK(archive::wildcardMatch(pattern, name) == referenceMatch(pattern, name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const int newline = bytes.indexOf('\n');
    const QString fileName = QString::fromUtf8(newline < 0 ? bytes : bytes.left(newline));
    const QString pattern = newline < 0 ? QString() : QString::fromUtf8(bytes.mid(newline + 1));

    checkName(fileName);
    const archive::Moment moment = archive::momentOfFile(fileName);
    checkBuiltName(archive::technologyOfFile(fileName), moment);
    checkBuiltName(usableTechnology(pattern), moment);
    checkBuiltName(usableTechnology(fileName), archive::Moment{QDate(2019, 3, 7), QTime(14, 5, 9)});
    checkPattern(pattern, fileName);
    return 0;
}
