#include "QuorvelHostKit/Views/HostViewRules.h"

#include "QuorvelHostKit/Service/HostTokenStore.h"
#include "Widgets/ShownText.h"

#include <QCoreApplication>

namespace Quorvel::HostViewRules {

RowIndicator rowIndicator(const Control &control, const std::optional<ControlState> &state)
{
    switch (control.type) {
    case ControlType::button:
        return {};
    case ControlType::toggle: {
        const std::optional<bool> on = state ? state->isOn : std::nullopt;
        const StatusTone tone =
            !on ? StatusTone::gray : (*on ? StatusTone::green : StatusTone::red);
        return {RowIndicator::Kind::dot, tone, {}};
    }
    case ControlType::metric:
        break;
    }
    const std::optional<QString> detail = state ? state->detail : std::nullopt;
    return {RowIndicator::Kind::text, StatusTone::secondary,
            detail ? ShownText::withHiddenShown(*detail) : QStringLiteral("\u2014")};
}

QString clientCountText(qsizetype count)
{
    return QCoreApplication::translate("HostMenuView", "%n client(s) connected", nullptr,
                                       int(count));
}

NetworkLine networkLine(LocalNetworkMonitor::Status status)
{
    using Status = LocalNetworkMonitor::Status;
    switch (status) {
    case Status::checking:
        return {QStringLiteral("network"), QStringLiteral("Checking network visibility\u2026"),
                StatusTone::secondary, false};
    case Status::discoverable:
        return {QStringLiteral("checkmark.circle"),
                QStringLiteral("Discoverable on the local network"), StatusTone::secondary, false};
    case Status::blocked:
        return {QStringLiteral("exclamationmark.triangle.fill"),
                QStringLiteral("Devices can't find this computer: the discovery service "
                               "(avahi-daemon) is not running. Start it; Quorvel reconnects by "
                               "itself within a minute."),
                StatusTone::orange, true};
    case Status::notVisible:
        break;
    }
    return {QStringLiteral("exclamationmark.triangle.fill"),
            QStringLiteral("Devices can't find this computer. Check the network connection, and "
                           "that no firewall blocks mDNS (UDP 5353); Quorvel reconnects by itself "
                           "within a minute."),
            StatusTone::orange, true};
}

QString codeText(const PairingToken &code, bool revealed)
{
    return revealed ? code.displayText() : QString(hiddenCodeBullets, QChar(0x2022));
}

bool codeSetByEnvironment(const PairingToken &inForce)
{
    if (!HostTokenStore::isSetByEnvironment()) {
        return false;
    }
    return PairingToken::parse(qEnvironmentVariable(HostTokenStore::environmentKey)) == inForce;
}

NewCodeLine newCodeLine(bool setByEnvironment, bool confirmRotate)
{
    if (setByEnvironment) {
        return NewCodeLine::setByEnvironment;
    }
    return confirmRotate ? NewCodeLine::confirm : NewCodeLine::offer;
}

QString deckEditingExplanation(bool allowed)
{
    return allowed ? QStringLiteral("Paired devices can change what this computer runs.")
                   : QStringLiteral("Only edits made on this computer (deck.json) apply.");
}

} // namespace Quorvel::HostViewRules
