#pragma once

#include <QString>

class QCoreApplication;
class QTranslator;

namespace korvatel
{

// Installs Qt's own Japanese translations ("qtbase_ja") from folder, so the windows Qt makes
// itself (file and colour dialogs, standard buttons) speak Japanese like the rest of the
// program. Returns the translator, owned by app; null, with nothing installed, when the file
// is absent or unreadable (Debian ships it in qt6-translations-l10n).
QTranslator *InstallQtTranslations(QCoreApplication &app, const QString &folder);
// The same from Qt's translations folder.
QTranslator *InstallQtTranslations(QCoreApplication &app);

} // namespace korvatel
