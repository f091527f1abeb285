#pragma once

#include "Knobwire/NotificationCenter.h"

#include <QString>

namespace Knobwire {

// The notification names through which providers and consumers find each other. Two ends meet
// only when they use the same prefix (and the same center).
struct Discovery {
    // Also the logging subsystem of both ends of the protocol.
    static inline const QString defaultPrefix = QStringLiteral("dev.knobwire");

    explicit Discovery(QString prefix = defaultPrefix,
                       NotificationCenter center = NotificationCenter::defaultCenter())
        : prefix(std::move(prefix)), center(std::move(center))
    {}

    // A provider is listening; the text is its announcement JSON.
    QString announceName() const { return prefix + QStringLiteral(".announce"); }
    // A provider stops listening; the text is its announcement JSON.
    QString goodbyeName() const { return prefix + QStringLiteral(".goodbye"); }
    // A consumer asks every provider to announce itself; no text.
    QString queryName() const { return prefix + QStringLiteral(".query"); }

    QString prefix;
    // Where these notifications are posted and observed.
    NotificationCenter center;
};

} // namespace Knobwire
