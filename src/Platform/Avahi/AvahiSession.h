#pragma once

#include "Platform/Avahi/AvahiQtPoll.h"

#include <QObject>
#include <QString>

#include <avahi-client/client.h>

namespace Quorvel {

// One connection to the Avahi daemon. While the daemon is away (not started yet, or restarting)
// the session waits in `Connecting` and becomes `Running` again by itself; `Failed` is final until
// start() is called again. `Registering` means the daemon is (re)claiming its host name: browsing
// and resolving work, advertising waits for `Running`. Owners free their entry groups, browsers
// and resolvers when the state becomes Connecting or Failed: the client they were made with is
// then replaced.
class AvahiSession : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Connecting, Registering, Running, Failed };

    explicit AvahiSession(QObject *parent = nullptr);
    ~AvahiSession() override;

    void start();
    void stop();

    State state() const { return m_state; }
    // Present only while Registering or Running.
    ::AvahiClient *client() const;
    bool isConnected() const { return m_state == State::Registering || m_state == State::Running; }
    // Why the session is Connecting or Failed.
    QString errorString() const { return m_error; }

signals:
    void stateChanged(Quorvel::AvahiSession::State state);

private:
    static void clientCallback(::AvahiClient *client, AvahiClientState state, void *userdata);
    void handleClientState(::AvahiClient *client, AvahiClientState state);
    void makeClient();
    void reconnect();
    void freeClient();
    void setState(State state, const QString &error = {});

    AvahiQtPoll m_poll;
    ::AvahiClient *m_client = nullptr;
    State m_state = State::Stopped;
    QString m_error;
};

} // namespace Quorvel
