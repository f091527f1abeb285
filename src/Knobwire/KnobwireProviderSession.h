#pragma once

#include "Knobwire/Hello.h"
#include "Knobwire/KnobwireProvider.h"
#include "Knobwire/LineConnection.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class QTcpSocket;

namespace Knobwire {

// One accepted consumer connection of a provider. Freed with deleteLater(), so that it can be
// closed from inside any of its own callbacks and timers.
class KnobwireProvider::Session : public QObject {
public:
    Session(QTcpSocket *socket, QObject *parent)
        : QObject(parent), connection(std::make_unique<LineConnection>(socket))
    {
        handshakeTimeout.setSingleShot(true);
        handshakeTimeout.setTimerType(Qt::PreciseTimer);
    }

    std::unique_ptr<LineConnection> connection;
    // The consumer's hello without its key, once it said a valid one.
    std::optional<Hello> peer;
    bool ready = false;
    // Meters this consumer asked for.
    QSet<QString> subscriptions;
    QTimer handshakeTimeout;
};

} // namespace Knobwire
