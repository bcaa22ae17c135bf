// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

namespace language {

// The language of steel-archive's own texts: Russian under a ru_* locale, English otherwise. English
// is the texts as written in the code; Russian comes from the translation built into the program.
// The archive's texts (verdicts, melt numbers) are shown as they are in either.
enum class Language
{
    english,
    russian,
};

// Chooses the language by the locale of messages (LC_ALL, then LC_MESSAGES, then LANG; the system's
// language where none is set) and installs its translation. Until it is called the language is English, which
// the tests, running the commands in this process, rely on.
void useLocaleLanguage();

// The Russian translation built into the program of the text `source` of `context`, whatever the
// locale: the viewer's window speaks Russian always, and says what the core says in the core's words.
// The source itself where there is none.
QString russianText(const char *context, const char *source);
// The text begun as a sentence or a heading: its first letter in upper case ("это не папка" as
// "Это не папка").
QString sentenceStart(QString text);

// A text with numbers in C notation ("78.6 %") as a reader of the current language writes it
// ("78,6 %" in Russian): each point between two digits becomes the language's decimal separator.
QString localNumbers(const QString &text);
// A moment as a reader of the current language writes it: "26.01.2025 08:00:00" in Russian (the
// plant's own form), "2025-01-26 08:00:00" otherwise; "?" where there is none.
QString localMoment(const QDate &date, const QTime &time);
// The locale whose number format the report's chart axes follow.
QLocale numberLocale();

} // namespace language
