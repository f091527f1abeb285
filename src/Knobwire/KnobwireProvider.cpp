#include "Knobwire/KnobwireProvider.h"

#include "Knobwire/KnobwireLogging.h"
#include "Knobwire/KnobwireProviderSession.h"
#include "Knobwire/Limits.h"
#include "Knobwire/LineConnection.h"
#include "Knobwire/MakeKey.h"
#include "Knobwire/PeerWiring.h"
#include "Knobwire/ProtocolVersion.h"
#include "Knobwire/ProviderRules.h"
#include "Knobwire/Sanitize.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

const QString helloFirstText = u"Send hello first"_s;
const QString keyNeededText = u"hello needs the \"key\" from the announcement"_s;
const QString listenFailurePrefix = u"Couldn't listen: "_s;

bool listenOnLoopback(QTcpServer &listener)
{
    return listener.listen(QHostAddress(QHostAddress::LocalHost), 0);
}

} // namespace

KnobwireProvider::KnobwireProvider(const QString &app, const QString &name,
                                   const std::optional<QString> &version,
                                   const QList<Control> &controls, Discovery discovery,
                                   Timings timings, Listen listen, QObject *parent)
    : QObject(parent), m_identity(Hello::own(app, name, version)), m_controls(sanitize(controls)),
      m_key(makeKey()), m_discovery(std::move(discovery)), m_timings(timings),
      m_listen(listen ? std::move(listen) : Listen(listenOnLoopback)),
      m_observers(m_discovery.center)
{
    m_restartTask.setSingleShot(true);
    m_restartTask.setTimerType(Qt::PreciseTimer);
    connect(&m_restartTask, &QTimer::timeout, this, [this] {
        if (m_running) {
            startListening();
        }
    });
    m_announceTask.setSingleShot(true);
    m_announceTask.setTimerType(Qt::PreciseTimer);
    connect(&m_announceTask, &QTimer::timeout, this, &KnobwireProvider::announceNow);
}

KnobwireProvider::~KnobwireProvider() = default;

void KnobwireProvider::start()
{
    if (m_running) {
        return;
    }
    m_running = true;
    m_key = makeKey();
    const QPointer<KnobwireProvider> self(this);
    m_observers.observe(m_discovery.queryName(), [self](const auto &, const auto &) {
        if (self) {
            self->announceSoon();
        }
    });
    startListening();
}

void KnobwireProvider::startListening()
{
    auto *listener = new QTcpServer;
    if (!m_listen(*listener)) {
        const QString error = listener->errorString();
        delete listener;
        listenerFailed(listenFailurePrefix + error);
        return;
    }
    m_listenerHandle.set(listener, std::nullopt);
    connect(listener, &QTcpServer::newConnection, this, [this, listener] { accept(listener); });
    // A listener that can no longer accept is as good as failed: start over with a new one.
    connect(listener, &QTcpServer::acceptError, this, [this, listener] {
        if (m_listenerHandle.current() == listener) {
            listenerFailed(listenFailurePrefix + listener->errorString());
        }
    });
    listenerReady(listener);
}

void KnobwireProvider::listenerReady(QTcpServer *listener)
{
    if (m_listenerHandle.current() != listener || listener->serverPort() == 0) {
        return;
    }
    m_port = listener->serverPort();
    m_problem.reset();
    m_listenerHandle.set(listener, ListenerHandle::Goodbye{m_discovery, announcement().json()});
    announceNow();
}

void KnobwireProvider::listenerFailed(const QString &text)
{
    qCCritical(lcKnobwireProvider, "%s", qUtf8Printable(text));
    m_problem = text;
    m_listenerHandle.clear();
    m_port.reset();
    m_restartTask.start(m_timings.listenerRetry);
}

void KnobwireProvider::announceSoon()
{
    if (!m_running || m_announceTask.isActive()) {
        return;
    }
    const auto sinceLast = std::chrono::milliseconds(
        m_lastAnnounce.isValid() ? m_lastAnnounce.elapsed() : m_timings.announceInterval.count());
    const auto wait = m_timings.announceInterval - sinceLast;
    if (wait.count() > 0) {
        m_announceTask.start(wait);
    } else {
        announceNow();
    }
}

void KnobwireProvider::announceNow()
{
    if (!m_running || !m_port) {
        return;
    }
    m_lastAnnounce.start();
    m_discovery.center.post(m_discovery.announceName(), announcement().json());
}

Announcement KnobwireProvider::announcement() const
{
    return Announcement{.app = m_identity.app,
                        .name = m_identity.name,
                        .port = m_port.value_or(0),
                        .protocol = protocolVersion,
                        .key = m_key,
                        .pid = static_cast<qint32>(QCoreApplication::applicationPid())};
}

void KnobwireProvider::accept(QTcpServer *listener)
{
    while (listener->hasPendingConnections()) {
        QTcpSocket *socket = listener->nextPendingConnection();
        const auto pending = std::count_if(m_sessions.cbegin(), m_sessions.cend(),
                                           [](const Session *session) { return !session->ready; });
        if (m_sessions.size() >= Limits::maxPeers || pending >= Limits::maxPendingSessions) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        addSession(socket);
    }
}

void KnobwireProvider::addSession(QTcpSocket *socket)
{
    auto *session = new Session(socket, this);
    m_sessions.append(session);
    LineConnection &connection = *session->connection;
    connection.maxLine = Limits::maxHelloLine;
    wirePeer(this, session, &KnobwireProvider::handle, &KnobwireProvider::sessionClosed,
             m_timings.helloLimit, helloFirstText);
    connection.start();
}

void KnobwireProvider::handle(const Message &message, Session *session)
{
    if (!session->ready) {
        if (const auto *hello = message.as<Hello>()) {
            handleHello(*hello, session);
        } else {
            session->connection->fail(helloFirstText);
        }
        return;
    }
    if (const auto *turn = message.as<Message::Turn>()) {
        handleTurn(*turn, session);
    } else if (const auto *press = message.as<Message::Press>()) {
        handlePress(*press, session);
    } else if (const auto *request = message.as<Message::MeterSubscribe>()) {
        handleMeterSubscribe(*request, session);
    } else if (const auto *error = message.as<Message::Error>()) {
        qCInfo(lcKnobwireProvider, "%s says: %s", qUtf8Printable(session->peer->name),
               qUtf8Printable(error->message));
    }
}

void KnobwireProvider::handleHello(const Hello &hello, Session *session)
{
    if (!hello.key || !keysMatch(*hello.key, m_key)) {
        session->connection->fail(keyNeededText);
        return;
    }
    Hello peer = hello;
    peer.key.reset();
    session->peer = peer;
    session->ready = true;
    session->handshakeTimeout.stop();
    session->connection->maxLine = Limits::maxLine;
    session->connection->send(Message::hello(m_identity));
    session->connection->send(controlsMessage());
    // A consumer that cannot even take the first two lines is gone already, and its close has
    // told the owner.
    if (!session->connection->closed() && onConsumersChange) {
        onConsumersChange(consumers());
    }
}

void KnobwireProvider::sessionClosed(Session *session)
{
    session->handshakeTimeout.stop();
    if (!m_sessions.removeOne(session)) {
        return;
    }
    session->deleteLater();
    if (session->ready && onConsumersChange) {
        onConsumersChange(consumers());
    }
    refreshWatchedMeters();
}

void KnobwireProvider::stop()
{
    if (!m_running) {
        return;
    }
    m_running = false;
    if (m_port) {
        m_discovery.center.post(m_discovery.goodbyeName(), announcement().json());
    }
    m_observers.removeAll();
    m_restartTask.stop();
    m_announceTask.stop();
    m_listenerHandle.clear();
    m_port.reset();
    const QList<QPointer<Session>> sessions(m_sessions.cbegin(), m_sessions.cend());
    for (const QPointer<Session> &session : sessions) {
        if (session && !session->connection->closed()) {
            session->connection->cancel();
        }
    }
    m_sessions.clear();
    refreshWatchedMeters();
}

QList<Hello> KnobwireProvider::consumers() const
{
    QList<Hello> result;
    for (const Session *session : m_sessions) {
        if (session->ready && session->peer) {
            result.append(*session->peer);
        }
    }
    return result;
}

} // namespace Knobwire
