#pragma once

#include "Platform/Discovery/ServiceDescription.h"
#include "Platform/Discovery/ServiceDiscovery.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <optional>

namespace Quorvel::Testing {

class FakeServiceBrowser;
class FakeServicePublisher;
class FakeServiceResolver;

// An in-process mDNS "network" for tests: the publishers it makes are seen by its browsers and
// found by its resolvers, with no daemon and no multicast. Every report leaves through the event
// loop, as the system's would. Failures are switched on by the test: the mDNS service going away
// and coming back, names another machine holds, a client that cannot reach the service at all.
class FakeServiceNetwork : public QObject, public ServiceDiscovery {
    Q_OBJECT
public:
    // A browser for a type that is not "_name._tcp" or "_name._udp" fails with this.
    static inline const QString invalidType = QStringLiteral("Invalid service type");
    // What a resolution gives as the host: the name ends in a dot, as some resolvers give it.
    static inline const QString hostName = QStringLiteral("quorvel-fake.local.");
    static inline const QString address = QStringLiteral("127.0.0.1");
    static inline const QString domain = QStringLiteral("local");
    // Why publishers fail and browsers wait while the mDNS service is away.
    static inline const QString daemonGone = QStringLiteral("Daemon not running");

    using QObject::QObject;
    ~FakeServiceNetwork() override;

    ServicePublisher *makePublisher(QObject *parent) override;
    ServiceBrowser *makeBrowser(const QString &type, QObject *parent) override;
    ServiceResolver *makeResolver(QObject *parent) override;

    // Away: every advertisement fails and is gone, every browser waits (unreachable) and finds
    // again when it is back, when every advertisement is registered anew.
    void setDaemonRunning(bool running);
    bool daemonRunning() const { return m_daemonRunning; }
    // A name another machine holds: advertising it gives the next alternative ("Name #2").
    void takeName(const QString &name);
    // While set, no client reaches the mDNS service (as without a system bus): every browser
    // fails for good (clientFailed) and every advertisement fails (failed) with this reason, and
    // so does each one started meanwhile. Cleared, nothing comes back by itself: browsers and
    // publishers start again.
    void setClientFailure(const std::optional<QString> &reason);
    // Every browser that is browsing fails (failed) with `reason`.
    void failBrowsers(const QString &reason);

    // The services advertised now, as browsers would see them.
    QList<ServiceDescription> advertised() const;

    // For the fakes.
    void announce(FakeServicePublisher *publisher);
    void withdraw(FakeServicePublisher *publisher);
    void updated(FakeServicePublisher *publisher);
    void tellBrowser(FakeServiceBrowser *browser);
    void lookUp(FakeServiceResolver *resolver);
    std::optional<QString> clientFailure() const { return m_clientFailure; }

private:
    bool nameIsTaken(const ServiceDescription &service, const FakeServicePublisher *by) const;
    template<typename Fake> QList<Fake *> live(QList<QPointer<Fake>> &list);

    bool m_daemonRunning = true;
    std::optional<QString> m_clientFailure;
    QSet<QString> m_takenNames;
    QList<QPointer<FakeServicePublisher>> m_publishers;
    QList<QPointer<FakeServiceBrowser>> m_browsers;
    QList<QPointer<FakeServiceResolver>> m_resolvers;
};

} // namespace Quorvel::Testing
