#include "commandline.h"
#include "frmMezni_odchylka.h"
#include "messageboxes.h"
#include "translation.h"

#include <QApplication>
#include <QFile>
#include <QTranslator>
#include <cstdio>

namespace {

void setNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("mezni-odchylka"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MO_VERSION));
}

// Where Qt would abort for want of a display, say so in Czech instead.
bool displayAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    // Any argument means the command line: no display, no widgets.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        setNames();
        QTranslator qtCzech; // Qt's own texts of the help and its errors
        mezni::installQtCzech(qtCzech);
        QFile in, out, err;
        in.open(stdin, QIODevice::ReadOnly);
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
        return mezni::runCommandLine(QCoreApplication::arguments(), in, out, err,
                                     QLocale::system());
    }
    if (!displayAvailable()) {
        std::fputs("mezni-odchylka: okno nelze otevřít, není k dispozici žádný displej. Bez okna "
                   "program počítá z příkazové řádky, např. „mezni-odchylka 2500“ nebo "
                   "„mezni-odchylka --soubor parcely.csv“; více v „mezni-odchylka --help“.\n",
                   stderr);
        return mezni::NoDisplay;
    }

    QApplication app(argc, argv);
    setNames();
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.zememerici.MezniOdchylka"));

    // Qt's own texts (context menu, message box buttons) in Czech, whatever the system language;
    // numbers still follow the user's regional settings.
    QTranslator qtCzech;
    mezni::installQtCzech(qtCzech);

    mezni::QtMessageBoxes messageBoxes;
    mezni::frmMezni_odchylka window(messageBoxes, QLocale::system());
    window.show();
    return QApplication::exec();
}
