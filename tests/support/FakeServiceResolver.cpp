#include "FakeServiceResolver.h"

#include "FakeServiceNetwork.h"

#include <QMetaObject>

namespace Quorvel::Testing {

FakeServiceResolver::FakeServiceResolver(FakeServiceNetwork &network, QObject *parent)
    : ServiceResolver(parent), m_network(network)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { finish(std::nullopt); });
}

void FakeServiceResolver::start(const QString &name, const QString &type, const QString &domain,
                                std::chrono::milliseconds timeout)
{
    if (m_running) {
        return;
    }
    m_running = true;
    m_name = name;
    m_type = type;
    m_domain = domain;
    m_timeout.start(timeout);
    m_network.lookUp(this);
}

void FakeServiceResolver::finish(const std::optional<ResolvedService> &result)
{
    if (!m_running) {
        return;
    }
    m_running = false;
    m_timeout.stop();
    QMetaObject::invokeMethod(
        this, [this, result] { emit finished(result); }, Qt::QueuedConnection);
}

} // namespace Quorvel::Testing
