#pragma once

#include "Platform/Discovery/ServiceResolver.h"

#include <QTimer>

namespace Quorvel::Testing {

class FakeServiceNetwork;

// A resolver on a FakeServiceNetwork: answers as soon as the service is advertised while the mDNS
// service runs, with nothing at its time-out otherwise.
class FakeServiceResolver : public ServiceResolver {
    Q_OBJECT
public:
    FakeServiceResolver(FakeServiceNetwork &network, QObject *parent);

    void start(const QString &name, const QString &type, const QString &domain,
               std::chrono::milliseconds timeout) override;

    bool running() const { return m_running; }
    const QString &name() const { return m_name; }
    const QString &type() const { return m_type; }
    const QString &domain() const { return m_domain; }

    // For the network: the one answer, sent through the event loop.
    void finish(const std::optional<ResolvedService> &result);

private:
    FakeServiceNetwork &m_network;
    QTimer m_timeout;
    QString m_name;
    QString m_type;
    QString m_domain;
    bool m_running = false;
};

} // namespace Quorvel::Testing
