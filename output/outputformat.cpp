// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputformat.h"

#include <QCoreApplication>

namespace output {

namespace {

constexpr Format namedFormats[] = {Format::json, Format::csv, Format::xlsx, Format::pdf, Format::png};

} // namespace

QString formatName(Format format)
{
    switch (format) {
    case Format::text:
        return QCoreApplication::translate("output", "plain text");
    case Format::json:
        return QStringLiteral("JSON");
    case Format::csv:
        return QStringLiteral("CSV");
    case Format::xlsx:
        return QStringLiteral("XLSX");
    case Format::pdf:
        return QStringLiteral("PDF");
    case Format::png:
        return QStringLiteral("PNG");
    }
    return QString();
}

QString formatSuffix(Format format)
{
    return format == Format::text ? QString() : QLatin1Char('.') + formatName(format).toLower();
}

bool isBinary(Format format)
{
    return format == Format::xlsx || format == Format::pdf || format == Format::png;
}

std::optional<Format> formatOfName(const QString &name)
{
    for (const Format format : namedFormats) {
        if (name.endsWith(formatSuffix(format), Qt::CaseInsensitive))
            return format;
    }
    return std::nullopt;
}

} // namespace output
