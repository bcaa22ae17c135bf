// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace output {

// What an output is written as.
enum class Format
{
    text, // lines for a person
    json,
    csv,
    xlsx,
    pdf,
    png,
};

// "JSON", "CSV", "XLSX", "PDF", "PNG"; "plain text".
QString formatName(Format format);
// The suffix a file of the format is named with (".csv"); none for plain text, which any name takes.
QString formatSuffix(Format format);
// Bytes that are no text: never written to a terminal, and only under a name with their suffix.
bool isBinary(Format format);
// The format whose suffix ends `name`, letter case ignored; std::nullopt for any other name.
std::optional<Format> formatOfName(const QString &name);

} // namespace output
