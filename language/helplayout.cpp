// SPDX-License-Identifier: GPL-3.0-or-later
#include "helplayout.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace language {

namespace {

int indentOf(const QString &line)
{
    int indent = 0;
    while (indent < line.size() && line.at(indent) == QLatin1Char(' '))
        ++indent;
    return indent;
}

// A heading ends in ':' and stands over a list (indented lines) or alone.
bool isHeading(const QStringList &lines, int i)
{
    const bool listFollows = i + 1 >= lines.size() || lines.at(i + 1).trimmed().isEmpty() ||
                             indentOf(lines.at(i + 1)) > indentOf(lines.at(i));
    return lines.at(i).endsWith(QLatin1Char(':')) && listFollows;
}

// A line whose last sentence ends with it: the paragraph it belongs to may end there too, and a text
// put together from several ends each of them so.
bool endsASentence(const QString &line)
{
    static const QRegularExpression end(QStringLiteral("[.:!?][\"»)]?$"));
    return end.match(line).hasMatch();
}

// `words` filled into lines of at most `columns` characters: the first after `first`, the others
// after `hang` spaces.
QStringList filled(const QString &first, int hang, const QStringList &words, int columns)
{
    QStringList lines;
    QString line = first;
    bool empty = true;
    for (const QString &word : words) {
        if (!empty && line.size() + 1 + word.size() > columns) {
            lines.append(line);
            line = QString(hang, QLatin1Char(' '));
            empty = true;
        }
        line += (empty ? QString() : QStringLiteral(" ")) + word;
        empty = false;
    }
    lines.append(line);
    return lines;
}

QStringList wordsOf(const QStringList &lines)
{
    return lines.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool anyLonger(const QStringList &lines, int columns)
{
    return std::any_of(lines.cbegin(), lines.cend(),
                       [columns](const QString &l) { return l.size() > columns; });
}

// An entry: its first line up to its description's column, and where that column is.
int descriptionColumn(const QStringList &block)
{
    if (block.size() > 1)
        return indentOf(block.at(1));
    static const QRegularExpression gap(QStringLiteral("\\S  +(?=\\S)"));
    const QRegularExpressionMatch match = gap.match(block.constFirst(), indentOf(block.constFirst()));
    return match.hasMatch() ? int(match.capturedEnd()) : indentOf(block.constFirst()) + 4;
}

QStringList fittedEntry(const QStringList &block, int columns)
{
    const int column = descriptionColumn(block);
    const QString &first = block.constFirst();
    QStringList rest{first.mid(column)};
    for (int i = 1; i < block.size(); ++i)
        rest.append(block.at(i));
    return filled(first.left(column).trimmed().isEmpty() ? QString(column, QLatin1Char(' '))
                                                         : first.left(column),
                  column, wordsOf(rest), columns);
}

QString parserText(const char *text)
{
    return QCoreApplication::translate("QCommandLineParser", text);
}

} // namespace

QString usageLine(const QString &program, const QString &arguments)
{
    return parserText("Usage: %1")
        .arg(program + QLatin1Char(' ') + parserText("[options]") +
             (arguments.isEmpty() ? QString() : QLatin1Char(' ') + arguments));
}

QString optionsHeading()
{
    return parserText("Options:");
}

QString argumentsHeading()
{
    return parserText("Arguments:");
}

QString fitToColumns(const QString &text, int columns)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    QStringList fitted;
    int i = 0;
    while (i < lines.size()) {
        const QString &line = lines.at(i);
        QStringList block{line};
        const int indent = indentOf(line);
        ++i;
        // The usage line is one of its own.
        if (i == 1 || line.trimmed().isEmpty() || isHeading(lines, i - 1)) {
            fitted += block;
            continue;
        }
        // A paragraph runs on to the end of a sentence while its lines start at the margin; an entry
        // while they lie deeper.
        while (i < lines.size() && !lines.at(i).trimmed().isEmpty() &&
               (indent == 0
                    ? indentOf(lines.at(i)) == 0 && !isHeading(lines, i) && !endsASentence(block.constLast())
                    : indentOf(lines.at(i)) > indent)) {
            block.append(lines.at(i));
            ++i;
        }
        if (!anyLonger(block, columns))
            fitted += block;
        else if (indent == 0)
            fitted += filled(QString(), 0, wordsOf(block), columns);
        else
            fitted += fittedEntry(block, columns);
    }
    return fitted.join(QLatin1Char('\n'));
}

} // namespace language
