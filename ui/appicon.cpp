#include "appicon.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <algorithm>

namespace mezni {

QImage appIconImage(int size)
{
    // A parcel outline on a map sheet, with its tolerance band drawn as a dashed outer boundary.
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    p.setPen(QPen(QColor(0x2E, 0x4A, 0x2E), 1));
    p.setBrush(QColor(0xF4, 0xF1, 0xDE));
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 3, 3);

    // The outer boundary (the tolerance band) and the parcel itself, in the same coordinates as
    // the scalable icon.
    p.setPen(QPen(QColor(0xC0, 0x20, 0x20), size >= 32 ? 1.2 : 1.6, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF({{7, 9}, {24, 6}, {26, 22}, {10, 26}}));

    p.setPen(QPen(QColor(0x1E, 0x6E, 0x1E), 1.5));
    p.setBrush(QColor(0x8F, 0xD1, 0x7F));
    p.drawPolygon(QPolygonF({{10, 11.5}, {21.5, 9.5}, {23, 20}, {12, 23}}));
    p.end();
    return image;
}

QPixmap appIconPixmap(int size)
{
    return QPixmap::fromImage(appIconImage(size));
}

namespace {

// Draws each size only when a platform asks for it, so start-up paints no icon it does not show.
class AppIconEngine final : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        painter->drawPixmap(rect, appIconPixmap(std::min(rect.width(), rect.height())));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return appIconPixmap(std::min(size.width(), size.height()));
    }
    QIconEngine *clone() const override { return new AppIconEngine; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }
};

} // namespace

QIcon appIcon()
{
    return QIcon(new AppIconEngine);
}

} // namespace mezni
