// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/toolkittranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace app {

namespace {

// The window is Russian whatever the system's language, so its dialogs are too.
const char translationName[] = "qtbase_ru";

} // namespace

QStringList toolkitTranslationFolders()
{
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
            QLibraryInfo::location(QLibraryInfo::TranslationsPath)};
}

QString installToolkitTranslation()
{
    for (const QString &folder : toolkitTranslationFolders()) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QLatin1String(translationName), folder) &&
            QCoreApplication::installTranslator(translator))
            return folder + QLatin1Char('/') + QLatin1String(translationName) + QStringLiteral(".qm");
        delete translator;
    }
    return QString();
}

} // namespace app
