// Writes the program's icon as PNG files (one per size) for the desktop icon theme, with --ico as
// one Windows icon file holding every size, or with --picture WIDTH HEIGHT as the picture beside
// the Windows installer's first and last pages. Needs no window system, so that a cross build can
// run it under an emulator.

#include "appicon.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QtEndian>

namespace {

// An .ico file of PNG images (Windows Vista and later read PNG entries at every size).
bool writeIco(const QString &path, const QList<int> &sizes)
{
    QList<QByteArray> images;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!mezni::appIconImage(size).save(&buffer, "PNG"))
            return false;
        images += png;
    }
    QByteArray ico;
    const auto put = [&](auto value) {
        char bytes[sizeof(value)];
        qToLittleEndian(value, bytes);
        ico.append(bytes, sizeof(value));
    };
    const auto put16 = [&](quint16 v) {
        put(v);
    };
    const auto put32 = [&](quint32 v) {
        put(v);
    };
    put16(0);
    put16(1); // an icon
    put16(quint16(sizes.size()));
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        ico.append(char(size >= 256 ? 0 : size)); // 0 stands for 256
        ico.append(char(size >= 256 ? 0 : size));
        ico.append(char(0)); // no palette
        ico.append(char(0));
        put16(1);  // planes
        put16(32); // bits per pixel
        put32(quint32(images[i].size()));
        put32(offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray &png : images)
        ico += png;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(ico) == ico.size();
}

// The icon on the green of its parcel, in an uncompressed bitmap (all the installer reads).
bool writePicture(const QString &path, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter p(&picture);
    QLinearGradient green(0, 0, 0, height);
    green.setColorAt(0, QColor(0x1E, 0x6E, 0x1E));
    green.setColorAt(1, QColor(0x2E, 0x4A, 0x2E));
    p.fillRect(picture.rect(), green);
    const int size = std::min(128, width * 3 / 4);
    p.drawImage(QPoint((width - size) / 2, height / 6), mezni::appIconImage(size));
    p.end();
    return picture.save(path, "BMP");
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 5 && QByteArray(argv[1]) == "--picture")
        return writePicture(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(),
                            QByteArray(argv[4]).toInt())
                   ? 0
                   : 1;
    if (argc < 3)
        return 2;
    const bool ico = QByteArray(argv[1]) == "--ico";
    const QString target = QString::fromLocal8Bit(argv[ico ? 2 : 1]);
    QList<int> sizes;
    for (int i = ico ? 3 : 2; i < argc; ++i)
        sizes += QString::fromLocal8Bit(argv[i]).toInt();
    if (ico)
        return writeIco(target, sizes) ? 0 : 1;
    for (const int size : sizes)
        if (!mezni::appIconImage(size).save(target + QStringLiteral("/%1.png").arg(size)))
            return 1;
    return 0;
}
