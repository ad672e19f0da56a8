// Started by the benchmark: starts like the program (or, as a baseline, a window of the same size
// that shows one line of text, or an empty one), writes one byte to standard output at its first
// painted frame, and exits.
//
//   mo_startup_child                      the program's window
//   mo_startup_child size                 prints the window's size and exits
//   mo_startup_child label WIDTH HEIGHT   a plain window of that size with one label
//   mo_startup_child empty WIDTH HEIGHT   a plain window of that size, nothing in it
//   mo_startup_child table FILE           the table window on FILE: the byte once its summary is
//                                         complete

#include "filedialogs.h"
#include "frmMezni_odchylka.h"
#include "messageboxes.h"
#include "tablewindow.h"
#include "translation.h"

#include <QApplication>
#include <QLabel>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class FirstFrame : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            std::fputc('F', stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    const bool table = argc > 2 && std::strcmp(argv[1], "table") == 0;
    const bool label = argc > 3 && std::strcmp(argv[1], "label") == 0;
    const bool empty = argc > 3 && std::strcmp(argv[1], "empty") == 0;
    QApplication app(argc, argv);
    FirstFrame firstFrame;
    QTranslator qtCzech;
    mezni::QtMessageBoxes boxes;
    std::unique_ptr<QWidget> window;
    mezni::QtFileDialogs dialogs;
    if (table) {
        mezni::installQtCzech(qtCzech);
        auto *tableWindow = new mezni::TableWindow(QString::fromLocal8Bit(argv[2]), 1, 0, boxes,
                                                   dialogs, QLocale::system());
        QObject::connect(tableWindow, &mezni::TableWindow::computed, [] {
            std::fputc('F', stdout);
            std::fflush(stdout);
            std::_Exit(0);
        });
        tableWindow->show();
        return QApplication::exec();
    }
    if (label || empty) {
        window = std::make_unique<QWidget>();
        // The real window's size, measured once and passed in, so all paint the same area.
        window->setFixedSize(std::atoi(argv[2]), std::atoi(argv[3]));
        // Any real window shows text, and so loads fonts before its first frame.
        if (label)
            new QLabel(QStringLiteral("Výpočet mezní odchylky"), window.get());
    } else {
        mezni::installQtCzech(qtCzech);
        window = std::make_unique<mezni::frmMezni_odchylka>(boxes, QLocale::system());
        if (argc > 1 && std::strcmp(argv[1], "size") == 0) {
            std::printf("%d %d\n", window->width(), window->height());
            return 0;
        }
    }
    window->installEventFilter(&firstFrame);
    window->show();
    return QApplication::exec();
}
