#pragma once

#include "Platform/Avahi/AvahiSession.h"
#include "Platform/Discovery/ServicePublisher.h"

#include <QString>

#include <avahi-client/publish.h>

namespace Quorvel {

// The Avahi daemon's publisher: one entry group. A name taken on the network is replaced by
// Avahi's next alternative service name.
class AvahiPublisher : public ServicePublisher {
    Q_OBJECT
public:
    explicit AvahiPublisher(QObject *parent = nullptr);
    // Withdraws the advertisement.
    ~AvahiPublisher() override;

    void publish(const ServiceDescription &service) override;
    void republish() override;
    void stop() override;
    QString currentName() const override { return m_currentName; }

private:
    static void groupCallback(AvahiEntryGroup *group, AvahiEntryGroupState state, void *userdata);
    void handleGroupState(AvahiEntryGroup *group, AvahiEntryGroupState state);
    void handleSessionState(AvahiSession::State state);
    void registerService();
    void freeGroup();
    void fail(const QString &reason);
    // Signals leave through the event loop, so that an owner may drop this publisher in its slot
    // and nothing runs for an advertisement that was replaced or stopped meanwhile.
    void post(void (ServicePublisher::*signal)(const QString &), const QString &argument);

    AvahiSession m_session;
    AvahiEntryGroup *m_group = nullptr;
    ServiceDescription m_service;
    QString m_currentName;
    bool m_active = false;
    // Counts publish(), republish() and stop(), so that a signal posted before them is dropped.
    quint64 m_generation = 0;
};

} // namespace Quorvel
