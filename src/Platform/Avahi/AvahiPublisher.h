#pragma once

#include "Platform/Avahi/AvahiSession.h"
#include "Platform/Avahi/ServiceDescription.h"

#include <QObject>
#include <QString>

#include <avahi-client/publish.h>

namespace Quorvel {

// Advertises one service through an Avahi entry group. A name already taken on the network is
// replaced by Avahi's next alternative ("Name #2", ...) and advertised again, as Bonjour does on
// its own. When the daemon restarts, the service is registered again once it is back.
class AvahiPublisher : public QObject {
    Q_OBJECT
public:
    explicit AvahiPublisher(QObject *parent = nullptr);
    // Withdraws the advertisement.
    ~AvahiPublisher() override;

    // Starts advertising `service`, replacing any earlier advertisement of this publisher.
    void publish(const ServiceDescription &service);
    // Withdraws the advertisement and registers it again under the name first given; after a
    // failure this is also the way to try again. Does nothing when nothing was published.
    void republish();
    // Withdraws the advertisement; no signal follows.
    void stop();

    bool isPublishing() const { return m_active; }
    // The name the service is advertised under now (differs from the given one after a collision).
    QString currentName() const { return m_currentName; }

signals:
    // The daemon announced the service under `name`.
    void established(const QString &name);
    // The service is not advertised; `reason` says why. A lost daemon is followed by
    // established() when it comes back; any other failure lasts until republish().
    void failed(const QString &reason);

private:
    static void groupCallback(AvahiEntryGroup *group, AvahiEntryGroupState state, void *userdata);
    void handleGroupState(AvahiEntryGroup *group, AvahiEntryGroupState state);
    void handleSessionState(AvahiSession::State state);
    void registerService();
    void freeGroup();
    void fail(const QString &reason);
    // Signals leave through the event loop, so that an owner may drop this publisher in its slot
    // and nothing runs for an advertisement that was replaced or stopped meanwhile.
    void post(void (AvahiPublisher::*signal)(const QString &), const QString &argument);

    AvahiSession m_session;
    AvahiEntryGroup *m_group = nullptr;
    ServiceDescription m_service;
    QString m_currentName;
    bool m_active = false;
    // Counts publish(), republish() and stop(), so that a signal posted before them is dropped.
    quint64 m_generation = 0;
};

} // namespace Quorvel
