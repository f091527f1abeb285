#pragma once

#include "Platform/Discovery/ServicePublisher.h"

#include <optional>

namespace Quorvel::Testing {

class FakeServiceNetwork;

// A publisher on a FakeServiceNetwork.
class FakeServicePublisher : public ServicePublisher {
    Q_OBJECT
public:
    FakeServicePublisher(FakeServiceNetwork &network, QObject *parent);
    ~FakeServicePublisher() override;

    void publish(const ServiceDescription &service) override;
    void republish() override;
    void stop() override;
    QString currentName() const override { return m_currentName; }

    // The service as the network shows it now; nothing while it is not advertised.
    const std::optional<ServiceDescription> &advertised() const { return m_advertised; }
    bool active() const { return m_active; }

    // For the network.
    void setAdvertised(const std::optional<ServiceDescription> &service);
    void setCurrentName(const QString &name) { m_currentName = name; }
    const ServiceDescription &wanted() const { return m_wanted; }
    void post(void (ServicePublisher::*signal)(const QString &), const QString &argument);

private:
    FakeServiceNetwork &m_network;
    ServiceDescription m_wanted;
    std::optional<ServiceDescription> m_advertised;
    QString m_currentName;
    bool m_active = false;
    // Counts publish(), republish() and stop(), so that a signal posted before them is dropped.
    quint64 m_generation = 0;
};

} // namespace Quorvel::Testing
