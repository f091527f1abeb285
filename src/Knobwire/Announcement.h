#pragma once

#include <QString>

#include <optional>

namespace Knobwire {

// What a provider publishes about itself: where it listens and the key it demands.
struct Announcement {
    // Compact JSON with sorted keys and escaped slashes; "{}" if it cannot be written.
    QString json() const;

    // Reads and checks an announcement from another process; none when anything is wrong
    // (too long, not a JSON object, a missing or mistyped member, a port outside 1024 to 65535,
    // an application identifier or key that clipping would change, a key under 16 characters).
    static std::optional<Announcement> fromJson(const QString &json);

    friend bool operator==(const Announcement &, const Announcement &) = default;

    // The provider's application identifier.
    QString app;
    // The provider's display name.
    QString name;
    // The loopback TCP port on which the provider listens.
    quint16 port = 0;
    int protocol = 0;
    // The provider's key of its current start.
    QString key;
    std::optional<qint32> pid;
};

} // namespace Knobwire
