// SPDX-License-Identifier: GPL-3.0-or-later
#include "statustable.h"

namespace measurement {

namespace {

// The codes of the table in their order; every other code shows "ОШИБКА".
const int tableCodes[] = {3, 4, 5, 6, 7, 8, 9, 11, 12};
constexpr int okCode = 8;

} // namespace

QString noDataText()
{
    return QStringLiteral("Нет данных");
}

QString statusText(int code)
{
    switch (code) {
    case 3:
        return QStringLiteral("ОШИБКА ТП");
    case 4:
        return QStringLiteral("ОШИБКА ЗК");
    case 5:
        return QStringLiteral("НЕТ ПЛ.ТП.");
    case 6:
        return QStringLiteral("НЕТ ПЛ.ЗК.");
    case 7:
        return QStringLiteral("НЕТ ПЛ.");
    case 8:
        return QStringLiteral("ЕСТЬ ПЛ.");
    case 9:
        return QStringLiteral("ОБР. ТП.");
    case 11:
        return QStringLiteral("ВЫС. ЗН.");
    case 12:
        return QStringLiteral("НИЗ. ЗН.");
    default:
        return QStringLiteral("ОШИБКА");
    }
}

bool isKnownStatusCode(int code)
{
    return (code >= 3 && code <= 9) || code == 11 || code == 12;
}

QString okStatus()
{
    return statusText(okCode);
}

QStringList statusVerdicts()
{
    QStringList verdicts;
    for (const int code : tableCodes)
        verdicts.append(statusText(code));
    verdicts.append(statusText(0));
    return verdicts;
}

QList<int> statusCodes()
{
    return QList<int>(std::begin(tableCodes), std::end(tableCodes));
}

QString displayText(const std::optional<QString> &result)
{
    return result ? *result : noDataText();
}

QString statusDisplayText(const std::optional<QString> &status)
{
    return status.value_or(QString());
}

} // namespace measurement
