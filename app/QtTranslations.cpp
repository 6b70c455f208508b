#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtTranslations(QObject *owner)
{
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loadedAll = true;
    for (const char *catalogue : {"qtbase_ja", "qtserialport_ja"}) {
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
