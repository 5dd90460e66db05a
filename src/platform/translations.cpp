#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace korvatel
{

QTranslator *InstallQtTranslations(QCoreApplication &app, const QString &folder)
{
    auto *translator = new QTranslator(&app);
    // The program speaks Japanese whatever the machine's locale says.
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

QTranslator *InstallQtTranslations(QCoreApplication &app)
{
    return InstallQtTranslations(app, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace korvatel
