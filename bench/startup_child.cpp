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
//   mo_startup_child choice FILE          the same, then the scale 1:2000 chosen: prints the
//                                         milliseconds until the new summary is complete

#include "filedialogs.h"
#include "frmMezni_odchylka.h"
#include "messageboxes.h"
#include "tablewindow.h"
#include "translation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QRadioButton>
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
    const bool choice = argc > 2 && std::strcmp(argv[1], "choice") == 0;
    const bool table = choice || (argc > 2 && std::strcmp(argv[1], "table") == 0);
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
        auto *tableWindow =
            new mezni::TableWindow(QString::fromLocal8Bit(argv[2]), mezni::Method::Numeric,
                                   mezni::MapClass::Scale1000, boxes, dialogs, QLocale::system());
        QElapsedTimer clock;
        QObject::connect(tableWindow, &mezni::TableWindow::computed, [&, tableWindow] {
            if (!choice) {
                std::fputc('F', stdout);
                std::fflush(stdout);
                std::_Exit(0);
            }
            if (clock.isValid()) {
                std::printf("%.3f\n", double(clock.nsecsElapsed()) / 1e6);
                std::fflush(stdout);
                std::_Exit(0);
            }
            // The table is shown: now the choice, as a click would make it.
            QMetaObject::invokeMethod(
                tableWindow,
                [&clock, tableWindow] {
                    for (QRadioButton *b : tableWindow->findChildren<QRadioButton *>())
                        if (b->text() == QStringLiteral("1:&2000")) {
                            clock.start();
                            b->setChecked(true);
                        }
                },
                Qt::QueuedConnection);
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
