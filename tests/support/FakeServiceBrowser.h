#pragma once

#include "Platform/Discovery/ServiceBrowser.h"

#include <QHash>
#include <QString>

namespace Quorvel::Testing {

class FakeServiceNetwork;

// A browser on a FakeServiceNetwork.
class FakeServiceBrowser : public ServiceBrowser {
    Q_OBJECT
public:
    FakeServiceBrowser(FakeServiceNetwork &network, QString type, QObject *parent);

    void start() override;
    void stop() override;

    const QString &type() const { return m_type; }
    bool active() const { return m_active; }

    // For the network: each report leaves through the event loop and is dropped when the
    // browser stopped meanwhile. found() reports only what is new or changed.
    void found(const BrowsedService &service);
    void removed(const ServiceInstance &instance);
    void becameReady();
    // Every service reported so far is gone; `signal` tells why.
    void lost(void (ServiceBrowser::*signal)(const QString &), const QString &reason,
              bool browsingEnds);

private:
    template<typename Emit> void post(Emit emitIt);

    FakeServiceNetwork &m_network;
    QString m_type;
    bool m_active = false;
    QHash<ServiceInstance, BrowsedService> m_reported;
    quint64 m_generation = 0;
};

} // namespace Quorvel::Testing
