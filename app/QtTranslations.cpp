#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Qt's serial module, and with it its texts, serves the Linux console only.
#ifdef Q_OS_WIN
constexpr const char *catalogues[] = {"qtbase_ja"};
#else
constexpr const char *catalogues[] = {"qtbase_ja", "qtserialport_ja"};
#endif

} // namespace

bool installQtTranslations(QObject *owner)
{
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loadedAll = true;
    for (const char *catalogue : catalogues) {
        auto *translator = new QTranslator(owner);
        if (translator->load(QLatin1String(catalogue), directory)) {
            QCoreApplication::installTranslator(translator);
        } else {
            delete translator;
            loadedAll = false;
        }
    }
    return loadedAll;
}
