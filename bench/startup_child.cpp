// Started by the benchmark: starts like the program (or, as a baseline, shows an empty window of
// the same size, or one with a single label), writes one byte to standard output at its first
// painted frame, and exits.

#include "frmMezni_odchylka.h"
#include "messageboxes.h"
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
    const bool baseline = argc > 1 && std::strncmp(argv[1], "baseline", 8) == 0;
    QApplication app(argc, argv);
    FirstFrame firstFrame;
    QTranslator qtCzech;
    mezni::QtMessageBoxes boxes;
    std::unique_ptr<QWidget> window;
    if (baseline) {
        window = std::make_unique<QWidget>();
        // The real window's size, measured once and passed in, so both paint the same area.
        window->setFixedSize(argc > 3 ? std::atoi(argv[2]) : 430,
                             argc > 3 ? std::atoi(argv[3]) : 380);
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
