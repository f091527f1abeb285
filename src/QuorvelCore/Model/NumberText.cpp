#include "QuorvelCore/Model/NumberText.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace Quorvel {

namespace {

// Plain decimal notation is used for magnitudes from 1e-4 up to (not including) 1e16; smaller
// and larger ones read better with an exponent.
constexpr double smallestPlain = 1e-4;
constexpr double firstExponentAbove = 1e16;

// Long enough for any shortest rendering of a double (at most 17 digits, sign, point, exponent)
// and for plain notation up to 1e16.
constexpr std::size_t bufferSize = 64;

// Exponent notation in the form "2.5e-05": a sign and at least two exponent digits.
QString exponentText(double value)
{
    std::array<char, bufferSize> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString plainText(double value)
{
    std::array<char, bufferSize> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
    if (!text.contains(u'.'))
        text += QStringLiteral(".0");
    return text;
}

// strtod follows the process locale, which a desktop session may set to one with a decimal
// comma; numbers in actions are always read the "C" way.
locale_t cNumericLocale()
{
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return locale;
}

bool isLeadingSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

QString shortestNumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    const double magnitude = std::fabs(value);
    if (magnitude != 0 && (magnitude < smallestPlain || magnitude >= firstExponentAbove))
        return exponentText(value);
    return plainText(value);
}

std::optional<double> parseNumberText(const QString &text)
{
    if (text.isEmpty() || isLeadingSpace(text.front()))
        return std::nullopt;
    const QByteArray bytes = text.toUtf8();
    char *end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, cNumericLocale());
    // An embedded NUL also stops the parse short of the whole text.
    if (end != bytes.constData() + bytes.size())
        return std::nullopt;
    return value;
}

} // namespace Quorvel
