#include "Quorvel/AgentHandover.h"

#include "Quorvel/AppLogging.h"
#include "QuorvelClientUI/ClientSettings.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace Quorvel {

AgentHandover::AgentHandover(const LoginAgentUnit &unit, Options options, QObject *parent)
    : QObject(parent), m_unit(unit), m_options(std::move(options))
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        finish(false, QStringLiteral("the agent did not come up within %1 ms")
                          .arg(m_options.agentWait.count()));
    });
}

AgentHandover::~AgentHandover() = default;

bool AgentHandover::shouldHandOver()
{
    if (m_options.isAgent)
        return false;
    if (m_unit.status() != LoginAgentUnit::Status::enabled)
        return false;
    const auto settings = openClientSettings();
    const QDateTime now = m_options.now();
    const QDateTime last = settings->value(lastHandoverKey).toDateTime();
    // A date in the future (a clock set back) blocks too.
    if (last.isValid() && last.secsTo(now) < guardInterval.count())
        return false;
    settings->setValue(lastHandoverKey, now);
    settings->sync();
    return true;
}

void AgentHandover::start(const QDBusConnection &bus, const QString &busName)
{
    m_waiting = true;
    m_watcher = std::make_unique<QDBusServiceWatcher>(busName, bus,
                                                      QDBusServiceWatcher::WatchForRegistration);
    connect(m_watcher.get(), &QDBusServiceWatcher::serviceRegistered, this,
            [this] { finish(true); });
    QString error;
    if (!m_unit.start(&error)) {
        finish(false, error);
        return;
    }
    m_timeout.start(m_options.agentWait);
    // The agent may have taken the name before the watcher was listening.
    if (bus.interface()->isServiceRegistered(busName))
        finish(true);
}

void AgentHandover::finish(bool handedOver, const QString &why)
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_timeout.stop();
    // This may run inside the watcher's own signal.
    if (m_watcher)
        m_watcher.release()->deleteLater();
    if (handedOver)
        qCInfo(lcAppLoginItem) << "Handing over to the login agent";
    else
        qCCritical(lcAppLoginItem).noquote() << "Couldn't hand over to the login agent:" << why;
    emit finished(handedOver);
}

} // namespace Quorvel
