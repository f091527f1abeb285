#include "Platform/Session/InstanceClaim.h"

#include "Platform/Session/SessionLogging.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Quorvel {

InstanceClaim::InstanceClaim(QDBusConnection bus, QString busName, QString lockPath)
    : m_bus(std::move(bus)), m_busName(std::move(busName)), m_lockPath(std::move(lockPath))
{
    if (m_lockPath.isEmpty()) {
        m_lockPath = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u'/' +
                     m_busName + QStringLiteral(".lock");
    }
}

InstanceClaim::~InstanceClaim() = default;

InstanceClaim::Outcome InstanceClaim::claim()
{
    if (m_bus.isConnected()) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            m_bus.interface()->registerService(m_busName,
                                               QDBusConnectionInterface::DontQueueService,
                                               QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            qCWarning(lcInstance) << "Could not ask for" << m_busName << ":"
                                  << reply.error().message();
            return Outcome::unavailable;
        }
        return reply.value() == QDBusConnectionInterface::ServiceRegistered ? Outcome::primary
                                                                            : Outcome::secondary;
    }
    QDir().mkpath(QFileInfo(m_lockPath).path());
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A lock is stale only when the copy that holds it has died, never by its age: the copy that
    // runs keeps it for days.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Outcome::primary;
    if (m_lock->error() == QLockFile::LockFailedError)
        return Outcome::secondary;
    qCWarning(lcInstance) << "Could not use the lock file" << m_lockPath;
    return Outcome::unavailable;
}

void InstanceClaim::release()
{
    if (m_bus.isConnected())
        m_bus.interface()->unregisterService(m_busName);
    if (m_lock)
        m_lock->unlock();
}

} // namespace Quorvel
