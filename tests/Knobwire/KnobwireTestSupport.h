#pragma once

// Stand-ins and recorders shared by the provider and consumer tests.

#include "Knobwire/Announcement.h"
#include "Knobwire/Discovery.h"
#include "Knobwire/LineConnection.h"
#include "Knobwire/MakeKey.h"
#include "Knobwire/Message.h"
#include "Knobwire/NotificationCenter.h"
#include "Knobwire/ObserverBag.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

namespace KnobwireTest {

using namespace Knobwire;
using namespace Qt::StringLiterals;

// Long enough for anything on a private bus and loopback, short enough to fail fast.
constexpr int waitMs = 5000;

// A bus connection of its own, as another process would have one.
inline QDBusConnection privateBus(const QString &name)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

// A round trip to the bus: once it returns, the bus has handled every earlier request of this
// connection, including the match rules of new observers.
inline void settle(QDBusConnection bus)
{
    bus.interface()->isServiceRegistered(u"org.freedesktop.DBus"_s);
}

// A notification prefix no other test function uses, so that nothing late from an earlier
// test arrives.
inline QString freshPrefix()
{
    static int run = 0;
    return u"dev.knobwiretest.run%1"_s.arg(++run);
}

inline std::optional<QString> errorText(const Message &message)
{
    if (const auto *error = message.as<Message::Error>()) {
        return error->message;
    }
    return std::nullopt;
}

// Records every notification of one name, with its sender and when it arrived.
class NotificationLog {
public:
    NotificationLog(const NotificationCenter &center, const QString &name) : m_bag(center)
    {
        m_clock.start();
        m_bag.observe(name, [this](const std::optional<QString> &object, const QString &sender) {
            texts.append(object.value_or(QString()));
            senders.append(sender);
            times.append(m_clock.elapsed());
        });
        settle(center.bus());
    }

    std::optional<Announcement> announcement(qsizetype index) const
    {
        return Announcement::fromJson(texts.at(index));
    }

    QStringList texts;
    QStringList senders;
    // Milliseconds since the log began.
    QList<qint64> times;

private:
    QElapsedTimer m_clock;
    ObserverBag m_bag;
};

// One end of a line connection that the test drives by hand, recording what it receives.
class LinePeer {
public:
    explicit LinePeer(std::unique_ptr<LineConnection> connection)
        : connection(std::move(connection))
    {}

    // Starts the connection; `first` is sent as soon as it is ready.
    void start(QList<Message> first = {})
    {
        connection->onReady = [this, first] {
            ready = true;
            for (const Message &message : first) {
                connection->send(message);
            }
        };
        connection->onMessage = [this](const Message &message) { received.append(message); };
        connection->onClose = [this] { closed = true; };
        connection->start();
    }

    void send(const Message &message) { connection->send(message); }

    QStringList errors() const
    {
        QStringList texts;
        for (const Message &message : received) {
            if (const auto text = errorText(message)) {
                texts.append(*text);
            }
        }
        return texts;
    }

    std::unique_ptr<LineConnection> connection;
    QList<Message> received;
    bool ready = false;
    bool closed = false;
};

// A provider played by the test: a loopback listener whose connections it scripts by hand.
class FakeProvider {
public:
    FakeProvider()
    {
        m_server.listen(QHostAddress(QHostAddress::LocalHost), 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (m_server.hasPendingConnections()) {
                auto peer = std::make_unique<LinePeer>(
                    std::make_unique<LineConnection>(m_server.nextPendingConnection()));
                peer->start();
                peers.push_back(std::move(peer));
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    LinePeer &last() { return *peers.back(); }

    Announcement announcement(const QString &app, std::optional<qint32> pid = currentPid()) const
    {
        return Announcement{
            .app = app, .name = app, .port = port(), .protocol = 3, .key = makeKey(), .pid = pid};
    }

    static qint32 currentPid() { return static_cast<qint32>(QCoreApplication::applicationPid()); }

    std::vector<std::unique_ptr<LinePeer>> peers;

private:
    QTcpServer m_server;
};

} // namespace KnobwireTest
