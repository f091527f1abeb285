#include "Platform/Avahi/AvahiSession.h"

#include "Platform/PlatformLogging.h"

#include <QTimer>

#include <avahi-common/error.h>

namespace Quorvel {
namespace {

QString errorText(int error)
{
    return QString::fromUtf8(avahi_strerror(error));
}

} // namespace

AvahiSession::AvahiSession(QObject *parent) : QObject(parent) {}

AvahiSession::~AvahiSession()
{
    freeClient();
}

void AvahiSession::start()
{
    if (m_state == State::Connecting || isConnected()) {
        return;
    }
    makeClient();
}

void AvahiSession::makeClient()
{
    int error = 0;
    // Without the daemon the client waits for it in AVAHI_CLIENT_CONNECTING instead of failing.
    // The callback may run inside avahi_client_new, before it returns the client.
    ::AvahiClient *client = avahi_client_new(m_poll.poll(), AVAHI_CLIENT_NO_FAIL,
                                             &AvahiSession::clientCallback, this, &error);
    if (!client) {
        // A client that reported a state before failing was freed by avahi_client_new itself.
        m_client = nullptr;
        qCWarning(lcAvahi, "Avahi client could not be made: %s", qUtf8Printable(errorText(error)));
        setState(State::Failed, errorText(error));
        return;
    }
    m_client = client;
    handleClientState(client, avahi_client_get_state(client));
}

void AvahiSession::stop()
{
    freeClient();
    m_state = State::Stopped;
    m_error.clear();
}

::AvahiClient *AvahiSession::client() const
{
    return isConnected() ? m_client : nullptr;
}

void AvahiSession::clientCallback(::AvahiClient *client, AvahiClientState state, void *userdata)
{
    auto *self = static_cast<AvahiSession *>(userdata);
    self->m_client = client;
    self->handleClientState(client, state);
}

void AvahiSession::handleClientState(::AvahiClient *client, AvahiClientState state)
{
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        setState(State::Running);
        break;
    case AVAHI_CLIENT_CONNECTING:
        setState(State::Connecting, errorText(AVAHI_ERR_NO_DAEMON));
        break;
    case AVAHI_CLIENT_FAILURE: {
        const int error = avahi_client_errno(client);
        if (error == AVAHI_ERR_DISCONNECTED) {
            qCInfo(lcAvahi, "Avahi daemon went away; waiting for it to return");
            setState(State::Connecting, errorText(error));
            // The client cannot be freed from inside its own callback.
            QTimer::singleShot(0, this, &AvahiSession::reconnect);
        } else {
            qCWarning(lcAvahi, "Avahi client failed: %s", qUtf8Printable(errorText(error)));
            setState(State::Failed, errorText(error));
        }
        break;
    }
    case AVAHI_CLIENT_S_REGISTERING:
    case AVAHI_CLIENT_S_COLLISION:
        setState(State::Registering);
        break;
    }
}

void AvahiSession::reconnect()
{
    if (m_state != State::Connecting) {
        return;
    }
    freeClient();
    makeClient();
}

void AvahiSession::freeClient()
{
    if (m_client) {
        ::AvahiClient *client = m_client;
        m_client = nullptr;
        avahi_client_free(client);
    }
}

void AvahiSession::setState(State state, const QString &error)
{
    m_error = error;
    if (state == m_state) {
        return;
    }
    m_state = state;
    emit stateChanged(state);
}

} // namespace Quorvel
