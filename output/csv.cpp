// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv.h"

#include "jsontext.h"

#include <QCoreApplication>

#include <cmath>
#include <optional>

namespace output {

namespace {

bool isFiniteNumber(const QString &cell, const CsvFormat &format)
{
    bool ok = false;
    const double value =
        (format.decimalComma ? QString(cell).replace(QLatin1Char(','), QLatin1Char('.')) : cell)
            .toDouble(&ok);
    return ok && std::isfinite(value);
}

// The characters that make a spreadsheet read a cell as a formula.
bool startsLikeAFormula(const QString &cell)
{
    return !cell.isEmpty() && QStringLiteral("=+-@\t\r").contains(cell.at(0));
}

// Whether a spreadsheet would read a number, a date or a time into a text ("00731" as 731, "12.01"
// as a date): it has a digit and no letter but an exponent's.
bool readAsANumber(const QString &cell)
{
    bool digit = false;
    for (const QChar c : cell) {
        if ((c.isLetter() && c != QLatin1Char('e') && c != QLatin1Char('E')) || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r'))
            return false;
        digit = digit || c.isDigit();
    }
    return digit;
}

// A spreadsheet's formula that is the text itself, for a text it would otherwise read as a number;
// a formula's string literal holds at most 255 characters, and a text that looks like a formula is
// already kept as text by its apostrophe.
std::optional<QString> keptText(const QString &cell, const CsvFormat &format)
{
    if (cell.size() > 255 || !readAsANumber(cell) ||
        (startsLikeAFormula(cell) && !isFiniteNumber(cell, format)))
        return std::nullopt;
    return QStringLiteral("=\"") + QString(cell).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString quotedCell(const QString &cell, const CsvFormat &format, bool ours)
{
    const bool formula = !ours && startsLikeAFormula(cell) && !isFiniteNumber(cell, format);
    const bool quote = formula || cell.contains(format.delimiter) || cell.contains(QLatin1Char('"')) ||
                       cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'));
    if (!quote)
        return cell;
    return (formula ? QStringLiteral("\"'") : QStringLiteral("\"")) +
           QString(cell).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

QString csvStart(const CsvFormat &format)
{
    return format.byteOrderMark ? QString(QChar(0xFEFF)) : QString();
}

QString csvLine(const QStringList &cells, const CsvFormat &format, const QVector<int> &textColumns)
{
    QStringList written;
    written.reserve(cells.size());
    for (int c = 0; c < cells.size(); ++c) {
        const std::optional<QString> kept =
            format.spreadsheet && textColumns.contains(c) ? keptText(cells[c], format) : std::nullopt;
        written.append(kept ? quotedCell(*kept, format, true) : quotedCell(cells[c], format, false));
    }
    return written.join(format.delimiter) + (format.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"));
}

QString csvNumber(const QString &cNotation, const CsvFormat &format)
{
    return format.decimalComma ? QString(cNotation).replace(QLatin1Char('.'), QLatin1Char(',')) : cNotation;
}

QString unwritableCharacter(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return QCoreApplication::translate("output",
                                               "the character U+%1 alone, half of a pair, which no UTF-8 "
                                               "text holds")
                .arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
    }
    return QString();
}

QString csvHeader(const char *name, const CsvFormat &format)
{
    return format.spreadsheet ? QCoreApplication::translate("columns", name) : QString::fromLatin1(name);
}

} // namespace output
