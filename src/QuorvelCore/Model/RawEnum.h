#pragma once

#include "QuorvelCore/Model/CanonicalText.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>

namespace Quorvel {

// Enumerations whose JSON form is a raw text. Each one specialises RawEnumTraits with its
// cases, in their declared order, paired with their raw values:
//   template <> struct RawEnumTraits<E> {
//       static constexpr std::array<std::pair<E, const char *>, N> cases{...};
//   };
template<typename E> struct RawEnumTraits;

// Every case of E in its declared order.
template<typename E> constexpr auto allCases()
{
    std::array<E, RawEnumTraits<E>::cases.size()> result{};
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = RawEnumTraits<E>::cases[i].first;
    return result;
}

template<typename E> QString rawValue(E value)
{
    // Every message and record writes these: made once, then handed out as shared copies.
    static const auto texts = [] {
        std::array<QString, RawEnumTraits<E>::cases.size()> made;
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = QString::fromLatin1(RawEnumTraits<E>::cases[i].second);
        return made;
    }();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (RawEnumTraits<E>::cases[i].first == value)
            return texts[i];
    }
    return {};
}

// The case whose raw value equals the text: whole text, case-sensitive, nothing trimmed.
template<typename E> std::optional<E> fromRawValue(const QString &text)
{
    // Texts as sent are nearly always the raw value itself; only the rest pay for normalising.
    for (const auto &[item, raw] : RawEnumTraits<E>::cases) {
        if (text == QLatin1String(raw))
            return item;
    }
    const QString canonical = canonicalText(text);
    for (const auto &[item, raw] : RawEnumTraits<E>::cases) {
        if (canonical == QLatin1String(raw))
            return item;
    }
    return std::nullopt;
}

} // namespace Quorvel
