#include "FakeServiceBrowser.h"

#include "FakeServiceNetwork.h"

#include <QMetaObject>

namespace Quorvel::Testing {

FakeServiceBrowser::FakeServiceBrowser(FakeServiceNetwork &network, QString type, QObject *parent)
    : ServiceBrowser(parent), m_network(network), m_type(std::move(type))
{}

void FakeServiceBrowser::start()
{
    if (m_active) {
        return;
    }
    m_active = true;
    m_network.tellBrowser(this);
}

void FakeServiceBrowser::stop()
{
    m_active = false;
    ++m_generation;
    m_reported.clear();
}

template<typename Emit> void FakeServiceBrowser::post(Emit emitIt)
{
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, emitIt] {
            if (generation == m_generation) {
                emitIt();
            }
        },
        Qt::QueuedConnection);
}

void FakeServiceBrowser::found(const BrowsedService &service)
{
    const auto known = m_reported.constFind(service.instance);
    if (known != m_reported.cend() && *known == service) {
        return;
    }
    m_reported.insert(service.instance, service);
    post([this, service] { emit serviceFound(service); });
}

void FakeServiceBrowser::removed(const ServiceInstance &instance)
{
    if (m_reported.remove(instance)) {
        post([this, instance] { emit serviceRemoved(instance); });
    }
}

void FakeServiceBrowser::becameReady()
{
    post([this] { emit ready(); });
}

void FakeServiceBrowser::lost(void (ServiceBrowser::*signal)(const QString &),
                              const QString &reason, bool browsingEnds)
{
    m_reported.clear();
    if (browsingEnds) {
        m_active = false;
    }
    post([this, signal, reason] { emit(this->*signal)(reason); });
}

} // namespace Quorvel::Testing
