// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The folders searched for the toolkit's own translation, in order: "translations" beside the
// program (where the Windows folder carries it), then the toolkit's installed translations (Debian's
// qttranslations5-l10n).
QStringList toolkitTranslationFolders();

// Installs the toolkit's Russian translation (qtbase_ru.qm) in the application, so that its own
// dialogs (the folder dialog, the print preview and the print dialog) speak the window's language.
// Returns the file loaded, or the empty text when none was found: the dialogs then stay English.
QString installToolkitTranslation();

} // namespace app
