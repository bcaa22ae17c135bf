// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivetreetext.h"

#include "jsontext.h"

#include "archive/archivename.h"
#include "archive/displayname.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QVector>

namespace output {

namespace {

// An empty entry (the empty technology, or a month or day from a name whose moment does not parse)
// acts like the placeholder in the viewer: it leads no further, so nothing is listed below it.
QString entryText(const QString &text)
{
    return text.isEmpty() ? QCoreApplication::translate("output", "(empty)") : archive::displayName(text);
}

QString timesLine(const QVector<int> &seconds)
{
    QString line;
    line.reserve(seconds.size() * 9);
    for (const int time : seconds) {
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += entryText(archive::timeOfDayText(time));
    }
    return line;
}

} // namespace

void writeTreeText(QTextStream &out, const archive::ArchiveTree &tree)
{
    const QString newest = QLatin1Char(' ') + QCoreApplication::translate("output", "(newest)");
    for (const archive::ArchiveTree::Technology &technology : tree.technologies) {
        out << entryText(technology.name) << (technology.name == tree.newestTechnology ? newest : QString())
            << '\n';
        for (const archive::ArchiveTree::Month &month : technology.months) {
            out << "  " << entryText(month.yearMonth) << '\n';
            for (const archive::ArchiveTree::Day &day : month.days)
                out << "    " << entryText(day.day) << (day.seconds.isEmpty() ? "" : ": ")
                    << timesLine(day.seconds) << '\n';
        }
    }
}

namespace {

// Written piece by piece in QJsonDocument's indented form: a document of a million times held in
// memory would cost far more than the listing itself.
class IndentedJson
{
public:
    explicit IndentedJson(QTextStream &out) : out(out) {}

    void open(const char *key, char bracket)
    {
        item(key);
        out << bracket << '\n';
        first.append(true);
    }
    void close(char bracket)
    {
        if (!first.takeLast())
            out << '\n';
        out << indent() << bracket;
        if (first.isEmpty())
            out << '\n';
    }
    void value(const char *key, const QString &text)
    {
        item(key);
        out << output::jsonQuoted(text);
    }
    void value(const char *key, bool flag)
    {
        item(key);
        out << (flag ? "true" : "false");
    }

private:
    // Starts a member (with a key) or an array element (without); an empty container prints as
    // "[" and "]" on two lines, as QJsonDocument writes it.
    void item(const char *key)
    {
        if (first.isEmpty())
            return;
        if (!first.constLast())
            out << ",\n";
        first.last() = false;
        out << indent();
        if (key)
            out << '"' << key << "\": ";
    }
    QString indent() const { return QString(first.size() * 4, QLatin1Char(' ')); }

    QTextStream &out;
    QVector<bool> first;
};

} // namespace

void writeTreeJson(QTextStream &out, const QString &directory, const archive::ArchiveTree &tree)
{
    IndentedJson json(out);
    json.open(nullptr, '{');
    json.value("directory", archive::jsonPath(directory));
    json.value("newestTechnology", tree.newestTechnology);
    json.open("technologies", '[');
    for (const archive::ArchiveTree::Technology &technology : tree.technologies) {
        json.open(nullptr, '{');
        json.open("months", '[');
        for (const archive::ArchiveTree::Month &month : technology.months) {
            json.open(nullptr, '{');
            json.open("days", '[');
            for (const archive::ArchiveTree::Day &day : month.days) {
                json.open(nullptr, '{');
                json.value("day", day.day);
                json.open("times", '[');
                for (const int time : day.seconds)
                    json.value(nullptr, archive::timeOfDayText(time));
                json.close(']');
                json.close('}');
            }
            json.close(']');
            json.value("month", month.yearMonth);
            json.close('}');
        }
        json.close(']');
        json.value("newest", technology.name == tree.newestTechnology);
        json.value("technology", technology.name);
        json.close('}');
    }
    json.close(']');
    json.close('}');
}

} // namespace output
