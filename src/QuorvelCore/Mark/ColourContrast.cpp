#include "QuorvelCore/Mark/ColourContrast.h"

#include <algorithm>
#include <cmath>

namespace Quorvel::ColourContrast {

qreal luminance(const QColor &colour)
{
    // The sRGB curve: linear below this encoded level with this slope, a power law above it.
    constexpr qreal linearLimit = 0.04045;
    constexpr qreal linearSlope = 12.92;
    constexpr qreal offset = 0.055;
    constexpr qreal exponent = 2.4;
    // How much each primary adds to the light the eye sees.
    constexpr qreal redWeight = 0.2126;
    constexpr qreal greenWeight = 0.7152;
    constexpr qreal blueWeight = 0.0722;
    const auto linear = [](qreal channel) {
        return channel <= linearLimit ? channel / linearSlope
                                      : std::pow((channel + offset) / (1 + offset), exponent);
    };
    return redWeight * linear(colour.redF()) + greenWeight * linear(colour.greenF()) +
           blueWeight * linear(colour.blueF());
}

qreal ratio(const QColor &one, const QColor &other)
{
    // The rule's allowance for the flare of a screen, which keeps black from counting as no light.
    constexpr qreal flare = 0.05;
    const qreal a = luminance(one) + flare;
    const qreal b = luminance(other) + flare;
    return std::max(a, b) / std::min(a, b);
}

QColor evenGrey()
{
    static const QColor grey = [] {
        constexpr int levels = 256;
        QColor best(Qt::black);
        qreal bestWorse = 0;
        for (int level = 0; level < levels; ++level) {
            const QColor candidate(level, level, level);
            const qreal worse = std::min(ratio(candidate, Qt::black), ratio(candidate, Qt::white));
            if (worse > bestWorse) {
                bestWorse = worse;
                best = candidate;
            }
        }
        return best;
    }();
    return grey;
}

} // namespace Quorvel::ColourContrast
