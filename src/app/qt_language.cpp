#include "app/qt_language.h"

#include "app/app_log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qt_language
{

bool useJapanese(QCoreApplication &app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
        qCWarning(lcApp) << "Qt's Japanese texts not found in" << folder
                         << "(package qt6-translations-l10n); its dialogs stay English";
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace qt_language
