#include "commandline.h"
#include "controls.h"
#include "filedialogs.h"
#include "frmMezni_odchylka.h"
#include "messageboxes.h"
#include "program.h"
#include "standardstreams.h"
#include "tablewindow.h"
#include "translation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>
#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void setNames()
{
    QCoreApplication::setApplicationName(mezni::program::name.toString());
    QCoreApplication::setApplicationVersion(mezni::program::version.toString());
}

void sayNoDisplay()
{
    const QString text =
        QStringLiteral("%1: okno nelze otevřít, není k dispozici žádný displej. Bez okna program "
                       "počítá z příkazové řádky, např. „%1 2500“ nebo „%1 --soubor "
                       "parcely.csv“; více v „%1 --help“.\n")
            .arg(mezni::program::name);
    std::fputs(text.toUtf8().constData(), stderr);
}

// Where Qt would abort for want of a display, say so in Czech instead.
bool displayNamed()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// A display that is named but cannot be reached (an SSH session whose X forwarding is gone)
// makes Qt's platform plugin give up with a fatal message while the application is created:
// the Czech message instead, and Qt's English lines before it only where the window opens.
bool creatingApplication = false;
QtMessageHandler qtHandler = nullptr;
struct Held
{
    QtMsgType type;
    QByteArray category, file, function;
    int line;
    QString message;
};
QList<Held> held;

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!creatingApplication) {
        qtHandler(type, context, message);
    } else if (type == QtFatalMsg) {
        sayNoDisplay();
        std::_Exit(mezni::NoDisplay);
    } else {
        held.append(
            {type, context.category, context.file, context.function, context.line, message});
    }
}

void releaseHeldMessages()
{
    creatingApplication = false;
    for (const Held &h : std::as_const(held)) {
        const QMessageLogContext context(h.file.constData(), h.line, h.function.constData(),
                                         h.category.constData());
        qtHandler(h.type, context, h.message);
    }
    held.clear();
}

// Qt's own window options, which a desktop session or a user may pass (a session restore gives
// -session): with nothing else they start the window. The number is how many values each takes.
int windowOption(const char *argument)
{
    static const struct
    {
        const char *name;
        int values;
    } options[] = {{"platform", 1},
                   {"platformpluginpath", 1},
                   {"platformtheme", 1},
                   {"plugin", 1},
                   {"qwindowgeometry", 1},
                   {"qwindowicon", 1},
                   {"qwindowtitle", 1},
                   {"session", 1},
                   {"style", 1},
                   {"stylesheet", 1},
                   {"display", 1},
                   {"geometry", 1},
                   {"name", 1},
                   {"title", 1},
                   {"reverse", 0},
                   {"widgetcount", 0},
                   {"nograb", 0},
                   {"dograb", 0},
                   {"sync", 0}};
    if (argument[0] != '-')
        return -1;
    const char *name = argument + (argument[1] == '-' ? 2 : 1);
    const char *equals = std::strchr(name, '=');
    const std::size_t length = equals ? std::size_t(equals - name) : std::strlen(name);
    for (const auto &o : options)
        if (std::strlen(o.name) == length && std::strncmp(o.name, name, length) == 0)
            return equals ? (o.values == 1 ? 0 : -1) : o.values;
    return -1;
}

// Started by the desktop (--okno, with the tables to open) or with Qt's own window options
// only: the window. Anything else is the command line.
bool wantsWindow(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--okno") == 0)
            return true;
        const int values = windowOption(argv[i]);
        if (values < 0 || i + values >= argc)
            return false;
        i += values;
    }
    return true;
}

// Arguments where nobody would see the output (the Windows program of the GUI subsystem, which
// has no console): tables dropped on its icon, or chosen with "Open with", open in the window;
// anything else is explained in a message box.
bool onlyFiles(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // The narrow arguments lose what the code page lacks (a Czech file name elsewhere): the
    // command line as Windows has it, in UTF-16.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList arguments;
    for (int i = 0; wide && i < count; ++i)
        arguments += QString::fromWCharArray(wide[i]);
    LocalFree(wide);
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);
#endif
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (windowOption(arguments[i].toUtf8().constData()) < 0 &&
            !QFileInfo(arguments[i]).isFile())
            return false;
    return arguments.size() > 1;
}

int explainCommandLine(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setNames();
    QTranslator qtCzech;
    mezni::installQtCzech(qtCzech);
    const QString text =
        QStringLiteral("Bez okna program počítá v příkazovém řádku nebo v PowerShellu.\n\n"
                       "Nápovědu vypíše „%1 --help“.")
            .arg(mezni::program::name);
    mezni::QtMessageBoxes boxes;
    boxes.show(nullptr, mezni::MessageIcon::Information, mezni::windowCaption.toString(), text);
    return mezni::UsageError;
}

// The window program: the main window, or a table window for each table given.
int runWindows(int &argc, char **argv)
{
    creatingApplication = true;
    QApplication app(argc, argv);
    releaseHeldMessages();
    setNames();
    QGuiApplication::setDesktopFileName(mezni::program::applicationId.toString());

    // Qt's own texts (context menu, message box buttons) in Czech, whatever the system language;
    // numbers still follow the user's regional settings.
    QTranslator qtCzech;
    mezni::installQtCzech(qtCzech);

    mezni::QtMessageBoxes messageBoxes;
    mezni::QtFileDialogs fileDialogs;
    mezni::TableWindows tables(messageBoxes, fileDialogs, QLocale::system());
    // Tables given (Qt has taken its own options out): each in a table window of its own.
    QStringList files = QCoreApplication::arguments().mid(1);
    files.removeAll(QStringLiteral("--okno"));
    for (const QString &file : std::as_const(files))
        tables.open(file);
    std::unique_ptr<mezni::frmMezni_odchylka> window;
    if (files.isEmpty()) {
        window =
            std::make_unique<mezni::frmMezni_odchylka>(messageBoxes, QLocale::system(), &tables);
        window->show();
    }
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Any argument but --okno and Qt's window options means the command line: no display, no
    // widgets.
    if (!wantsWindow(argc, argv) && !(!mezni::hasStandardOutput() && onlyFiles(argc, argv))) {
        if (!mezni::hasStandardOutput())
            return explainCommandLine(argc, argv);
        const mezni::StandardStreams streams = mezni::standardStreams();
        QCoreApplication app(argc, argv);
        setNames();
        QTranslator qtCzech; // Qt's own texts of the help and its errors
        mezni::installQtCzech(qtCzech);
        return mezni::runCommandLine(QCoreApplication::arguments(), *streams.in, *streams.out,
                                     *streams.err, QLocale::system());
    }
    if (!displayNamed()) {
        sayNoDisplay();
        return mezni::NoDisplay;
    }

#ifdef Q_OS_WIN
    // Text through DirectWrite, Windows' own modern renderer (this Qt's default is still GDI,
    // whose metrics misplace the text of a line edit in some fonts); -platform still overrides.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=directwrite");
#endif
    qtHandler = qInstallMessageHandler(messageHandler);
    const int status = runWindows(argc, argv);
    // Ended here once the windows and Qt are gone, without waiting for a reading thread a closed
    // table window left behind (a read that never returns) nor, on Windows, for the system's
    // detaching of every library, which under Wine was seen to keep the process after a
    // workbook's window had closed.
    std::fflush(nullptr);
#ifdef Q_OS_WIN
    TerminateProcess(GetCurrentProcess(), UINT(status));
#endif
    if (mezni::TableWindow::readingAfterClose())
        std::_Exit(status);
    return status;
}