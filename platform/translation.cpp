#include "translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace mezni {

bool installQtCzech(QTranslator &translator)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // Linux distributions ship qtbase_cs; Qt's deployment tools ship the catalogue qt_cs over it.
    if (!translator.load(QStringLiteral("qtbase_cs"), folder) &&
        !translator.load(QStringLiteral("qt_cs"), folder))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

} // namespace mezni
