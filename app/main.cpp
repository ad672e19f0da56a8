#include "frmMezni_odchylka.h"
#include "messageboxes.h"
#include "translation.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mezni-odchylka"));

    // Qt's own texts (context menu, message box buttons) in Czech, whatever the system language;
    // numbers still follow the user's regional settings.
    QTranslator qtCzech;
    mezni::installQtCzech(qtCzech);

    mezni::QtMessageBoxes messageBoxes;
    mezni::frmMezni_odchylka window(messageBoxes, QLocale::system());
    window.show();
    return QApplication::exec();
}
