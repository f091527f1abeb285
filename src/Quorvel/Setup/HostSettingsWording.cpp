#include "Quorvel/Setup/HostSettingsWording.h"

#include "Quorvel/Outside/DiagnosticReport.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

namespace Quorvel {

namespace {

const QString failedPrefix = QStringLiteral("failed: ");

} // namespace

QString HostSettingsWording::connectedText(const QStringList &names)
{
    return names.isEmpty() ? QStringLiteral("No devices") : names.join(QStringLiteral(", "));
}

QString HostSettingsWording::savedInText(const QString &path, const QString &home)
{
    return DiagnosticReport::homeRelative(path, home);
}

std::optional<QString> HostSettingsWording::listenerFailure(const QString &listenerStatus)
{
    if (!listenerStatus.startsWith(failedPrefix))
        return std::nullopt;
    return listenerStatus.mid(failedPrefix.size());
}

QString HostSettingsWording::listenerFailureText(const QString &error)
{
    return QStringLiteral(
               "Devices can't reach this computer: the host couldn't start listening (") +
           error + QStringLiteral(").");
}

QString HostSettingsWording::editUnavailableReason(const QString &listenerStatus, bool hasPort)
{
    if (const std::optional<QString> error = listenerFailure(listenerStatus))
        return QStringLiteral("Can't edit: the host isn't listening (") + *error +
               QStringLiteral(").");
    if (!hasPort)
        return QStringLiteral("The host is starting…");
    return {};
}

QString HostSettingsWording::keepAwakeWarning(bool wished, bool running, bool lockHeld,
                                              const QString &problem)
{
    // No reason yet means a lock is still being asked for. The reason itself is the services'
    // own error texts, which say nothing to a reader of the settings; the log has them.
    if (!wished || !running || lockHeld || problem.isEmpty())
        return {};
    return QStringLiteral("Nothing keeps this computer awake now: the system didn't let Quorvel "
                          "hold off sleep. The details are in Quorvel's log.");
}

QString HostSettingsWording::editUnavailableReason(const HostCoordinator &host)
{
    return editUnavailableReason(host.listenerStatus(), host.port().has_value());
}

QString HostSettingsWording::keepAwakeWarning(const HostCoordinator &host)
{
    return keepAwakeWarning(host.keepsAwake(), host.running(), host.awakeLockHeld(),
                            host.awakeLockProblem());
}

} // namespace Quorvel
