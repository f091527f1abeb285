#include "Widgets/ReadablePalette.h"

#include "QuorvelCore/Mark/ColourContrast.h"

#include <QApplication>
#include <QEvent>

namespace Quorvel {

namespace {

// A placeholder fades the text at most this far toward the base, as the text at half opacity
// (the usual placeholder) does.
constexpr qreal mostFade = 0.5;
// The fade is tried in steps of this share, from the faintest back toward the text.
constexpr qreal fadeStep = 0.05;

QColor mixed(const QColor &one, const QColor &other, qreal otherShare)
{
    const auto channel = [otherShare](float a, float b) {
        return float(a * (1 - otherShare) + b * otherShare);
    };
    return QColor::fromRgbF(channel(one.redF(), other.redF()),
                            channel(one.greenF(), other.greenF()),
                            channel(one.blueF(), other.blueF()));
}

// The colour as it shows painted over the base.
QColor shownOver(const QColor &colour, const QColor &base)
{
    return mixed(colour, base, 1 - colour.alphaF());
}

} // namespace

QColor ReadablePalette::placeholderColour(const QColor &text, const QColor &base)
{
    const QColor solidText = shownOver(text, base);
    for (qreal fade = mostFade; fade > 0; fade -= fadeStep) {
        const QColor candidate = mixed(solidText, base, fade);
        if (ColourContrast::ratio(candidate, base) >= placeholderContrast)
            return candidate;
    }
    return solidText;
}

QPalette ReadablePalette::withReadablePlaceholders(QPalette palette)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor base = palette.color(group, QPalette::Base);
        const QColor placeholder = palette.color(group, QPalette::PlaceholderText);
        if (ColourContrast::ratio(shownOver(placeholder, base), base) >= placeholderContrast)
            continue;
        palette.setColor(group, QPalette::PlaceholderText,
                         placeholderColour(palette.color(group, QPalette::Text), base));
    }
    return palette;
}

ReadablePalette::ReadablePalette(QObject *parent) : QObject(parent) {}

void ReadablePalette::install()
{
    if (!qApp || qApp->findChild<ReadablePalette *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new ReadablePalette(qApp));
    keepReadable();
}

void ReadablePalette::keepReadable()
{
    const QPalette current = QApplication::palette();
    const QPalette readable = withReadablePlaceholders(current);
    // Setting the palette announces a change again, which then finds nothing to mend.
    if (readable != current)
        QApplication::setPalette(readable);
}

bool ReadablePalette::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        keepReadable();
    return QObject::eventFilter(watched, event);
}

} // namespace Quorvel
