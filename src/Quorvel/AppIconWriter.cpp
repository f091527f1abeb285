// Draws the application's icon, the mark on a light tile, as the PNGs of the hicolor theme:
// ICON_ROOT/<size>x<size>/apps/com.vantrel.quorvel.png for every size a desktop asks for.

#include "QuorvelCore/Mark/QuorvelMark.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

constexpr int iconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// The tile's corner radius and the mark's margin, as parts of the side.
constexpr double cornerRadius = 0.2;
constexpr double markMargin = 0.14;
const QColor tileColour(0xf4, 0xf4, 0xf6);
const QColor markColour(0x22, 0x24, 0x2a);

QImage appIcon(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tileColour);
    const QRectF tile(0, 0, side, side);
    painter.drawRoundedRect(tile, side * cornerRadius, side * cornerRadius);
    const double margin = side * markMargin;
    Quorvel::QuorvelMark::draw(&painter, tile.adjusted(margin, margin, -margin, -margin), false,
                               markColour);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ICON_ROOT\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const int side : iconSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(side);
        if (!QDir().mkpath(folder) ||
            !appIcon(side).save(folder + QStringLiteral("/com.vantrel.quorvel.png"))) {
            std::fprintf(stderr, "%s: could not write the %dpx icon\n", argv[0], side);
            return 1;
        }
    }
    return 0;
}
