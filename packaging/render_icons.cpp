// Writes the program's icon as PNG files (one per size) for the desktop icon theme.

#include "appicon.h"

#include <QGuiApplication>
#include <QPixmap>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (!mezni::appIconPixmap(size).save(folder + QStringLiteral("/%1.png").arg(size)))
            return 1;
    }
    return 0;
}
