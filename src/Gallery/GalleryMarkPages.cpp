// The drawn mark, active and dimmed, at each size the tray asks for.

#include "Gallery/GalleryRegistry.h"
#include "QuorvelCore/Mark/QuorvelMark.h"

#include <QLabel>

namespace Quorvel {

namespace {

QWidget *markAt(bool dimmed, int side)
{
    auto *label = new QLabel;
    label->setPixmap(QPixmap::fromImage(QuorvelMark::image(dimmed, side)));
    label->setAlignment(Qt::AlignCenter);
    label->setFixedSize(side, side);
    return label;
}

struct MarkPages {
    MarkPages()
    {
        for (const bool dimmed : {false, true}) {
            for (const int side : QuorvelMark::iconSizes) {
                GalleryRegistry::add(
                    {QStringLiteral("QuorvelMark"),
                     QStringLiteral("%1-%2").arg(dimmed ? "dimmed" : "active").arg(side),
                     GalleryPass::withoutDiscovery,
                     [dimmed, side](GallerySession &) { return markAt(dimmed, side); }});
            }
        }
    }
};

const MarkPages pages;

} // namespace

} // namespace Quorvel
