// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/shippedfonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

namespace printing {

void loadShippedFonts()
{
    const QDir fonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    for (const QString &name : fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(name));
}

} // namespace printing
