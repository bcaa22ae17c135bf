// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsontext.h"

#include <QLocale>

#include <cmath>

namespace output {

QString exactNumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    if (value == 0.0 && std::signbit(value))
        return QStringLiteral("-0"); // QString::number drops the sign of negative zero
    // QString::number always writes the C locale's notation, whatever the machine's locale.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString jsonQuoted(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(QLatin1Char('"'));
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            quoted.append(QStringLiteral("\\\""));
            break;
        case '\\':
            quoted.append(QStringLiteral("\\\\"));
            break;
        case '\b':
            quoted.append(QStringLiteral("\\b"));
            break;
        case '\f':
            quoted.append(QStringLiteral("\\f"));
            break;
        case '\n':
            quoted.append(QStringLiteral("\\n"));
            break;
        case '\r':
            quoted.append(QStringLiteral("\\r"));
            break;
        case '\t':
            quoted.append(QStringLiteral("\\t"));
            break;
        default:
            if (c.unicode() < 0x20)
                quoted.append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')));
            else
                quoted.append(c);
        }
    }
    quoted.append(QLatin1Char('"'));
    return quoted;
}
} // namespace output
