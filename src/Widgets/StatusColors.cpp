#include "Widgets/StatusColors.h"

namespace Quorvel {

namespace {

// A window lighter than this (HSL lightness, 0 to 255) counts as a light window.
constexpr int darkWindowLightness = 128;
// How far secondary and tertiary text fade into the window, as the desktop's own hints do.
constexpr qreal secondaryAlpha = 0.7;
constexpr qreal tertiaryAlpha = 0.5;

struct Pair {
    QRgb light;
    QRgb dark;
};

Pair pairFor(StatusTone tone)
{
    switch (tone) {
    case StatusTone::green:
        return {0x2e9e44, 0x4cd964};
    case StatusTone::orange:
        return {0xd9730d, 0xffa23a};
    case StatusTone::red:
        return {0xd32f2f, 0xff6b61};
    case StatusTone::purple:
        return {0x8e44ad, 0xc589e8};
    case StatusTone::blue:
        return {0x1d6fd6, 0x5aa9ff};
    case StatusTone::yellow:
        return {0xffcc00, 0xffd60a};
    case StatusTone::gray:
        return {0x8a8a8e, 0x9a9aa0};
    case StatusTone::none:
    case StatusTone::secondary:
    case StatusTone::tertiary:
        break;
    }
    return {0, 0};
}

} // namespace

bool isColourTone(StatusTone tone)
{
    return tone != StatusTone::none && tone != StatusTone::secondary &&
           tone != StatusTone::tertiary;
}

bool isDarkPalette(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < darkWindowLightness;
}

QColor statusColor(StatusTone tone, const QPalette &palette)
{
    QColor text = palette.color(QPalette::WindowText);
    switch (tone) {
    case StatusTone::none:
        return text;
    case StatusTone::secondary:
        text.setAlphaF(secondaryAlpha);
        return text;
    case StatusTone::tertiary:
        text.setAlphaF(tertiaryAlpha);
        return text;
    default:
        break;
    }
    const Pair pair = pairFor(tone);
    return QColor::fromRgb(isDarkPalette(palette) ? pair.dark : pair.light);
}

} // namespace Quorvel
