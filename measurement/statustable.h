// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The verdicts a measurement shows for its status code, and the texts of missing values.
namespace measurement {

// "Нет данных": shown for a result the file marks as missing.
QString noDataText();

// The status verdict for a status code; "ОШИБКА" for every code outside the table.
QString statusText(int code);
bool isKnownStatusCode(int code);
// The codes of the table, in their order.
QList<int> statusCodes();

// "ЕСТЬ ПЛ.": the one verdict of a good measurement.
QString okStatus();
// Every verdict a file can show: those of the table in the order of their codes, then "ОШИБКА".
QStringList statusVerdicts();

// A result as the values panel shows it: the text as stored, or "Нет данных".
QString displayText(const std::optional<QString> &result);
// The status field's text: the verdict, or empty when the file has no "Status".
QString statusDisplayText(const std::optional<QString> &status);

} // namespace measurement
