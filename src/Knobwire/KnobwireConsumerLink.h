#pragma once

#include "Knobwire/KnobwireConsumer.h"
#include "Knobwire/LineConnection.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace Knobwire {

// One connection of a consumer to one start of a provider. Freed with deleteLater(), so that
// it can be closed from inside any of its own callbacks and timers.
class KnobwireConsumer::Link : public QObject {
public:
    explicit Link(QObject *parent) : QObject(parent)
    {
        handshakeTimeout.setSingleShot(true);
        handshakeTimeout.setTimerType(Qt::PreciseTimer);
    }

    // The application identifier from the announcement; the key the link is filed under.
    QString app;
    // The announcement's name until the provider's hello names itself.
    QString name;
    std::optional<QString> version;
    std::unique_ptr<LineConnection> connection;
    quint16 port = 0;
    bool heardHello = false;
    // The provider's first controls list has arrived.
    bool ready = false;
    // The provider said goodbye for this port, so its end is no reason to ask again.
    bool goodbyeHeard = false;
    // Another link took this one's place, so its end is no reason to ask again.
    bool replaced = false;
    // Meters this link asked the provider for.
    QSet<QString> subscribed;
    QTimer handshakeTimeout;
};

} // namespace Knobwire
