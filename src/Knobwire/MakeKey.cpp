#include "Knobwire/MakeKey.h"

#include <QRandomGenerator>

namespace Knobwire {

namespace {

// Hexadecimal digits of one unsigned 64-bit number, zero-padded.
constexpr int halfKeyDigits = 16;
constexpr int hexadecimal = 16;

QString halfKey(quint64 number)
{
    return QStringLiteral("%1").arg(number, halfKeyDigits, hexadecimal, QLatin1Char('0'));
}

} // namespace

QString makeKey()
{
    QRandomGenerator *random = QRandomGenerator::system();
    const quint64 first = random->generate64();
    const quint64 second = random->generate64();
    return halfKey(first) + halfKey(second);
}

} // namespace Knobwire
