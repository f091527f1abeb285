#pragma once

#include <QString>

#include <optional>

namespace Knobwire {

// The identity that each side of a line connection states first.
struct Hello {
    friend bool operator==(const Hello &, const Hello &) = default;

    // The hello this process states, at the protocol version it speaks and without a key. Its
    // texts are clipped like those from any other process, since the peer shows and stores them.
    static Hello own(const QString &app, const QString &name,
                     const std::optional<QString> &version);

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
