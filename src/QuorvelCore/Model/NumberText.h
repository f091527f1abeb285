#pragma once

#include <QString>

#include <optional>

namespace Quorvel {

// The shortest text that reads back as exactly the same double: plain decimal with at least one
// digit after the point ("0.0", "0.25", "1.0", "-0.0") from 1e-4 up to 1e16, exponent notation
// with a sign and at least two exponent digits outside that range ("1e-05", "2.5e-05", "1e+16");
// "nan", "inf" and "-inf" for the non-finite values.
QString shortestNumberText(double value);

// Reads a whole text as a number the way strtod does in the "C" locale (sign, decimals, exponent,
// hexadecimal floating forms, infinity and NaN in any case). Leading white space, trailing
// characters of any kind and the empty text give no number.
std::optional<double> parseNumberText(const QString &text);

} // namespace Quorvel
