#pragma once

#include <QString>

#include <optional>

namespace Knobwire {

// The identity that each side of a line connection states first.
struct Hello {
    friend bool operator==(const Hello &, const Hello &) = default;

    // The sending application's identifier.
    QString app{};
    // The application's name for people.
    QString name{};
    std::optional<QString> version{};
    // Protocol number of the sender ("protocol" on the wire).
    std::optional<int> protocolVersion{};
    // The provider's announced key, repeated by the consumer.
    std::optional<QString> key{};
};

} // namespace Knobwire
