// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Numbers and texts as the JSON and CSV outputs write them.
namespace output {

// Shortest text that reads back to exactly the same double ("inf", "-inf" and "nan" included).
QString exactNumberText(double value);

// Escapes a text for a JSON string literal, quotes included, exactly as QJsonDocument writes it.
QString jsonQuoted(const QString &text);

} // namespace output
