#include "QuorvelClientUI/Views/RemoteViewRules.h"

#include "Widgets/ShownText.h"

namespace Quorvel::RemoteViewRules {

namespace {

using Kind = ClientConnectionStatus::Kind;

// The "Hosts" part appears from this many listed hosts.
constexpr qsizetype hostsPartMinimum = 2;

} // namespace

bool isBusy(const std::optional<ControlState> &state, bool pending)
{
    return pending || (state && state->isBusy);
}

Badge badge(const std::optional<ControlState> &state, bool busy)
{
    if (busy) {
        return {Badge::Kind::busy, StatusTone::secondary, QStringLiteral("working\u2026")};
    }
    if (!state || !state->isOn) {
        return {Badge::Kind::dot, StatusTone::gray, QStringLiteral("unknown")};
    }
    if (*state->isOn) {
        return {Badge::Kind::dot, StatusTone::green,
                ShownText::withHiddenShown(state->detail.value_or(QStringLiteral("running")))};
    }
    return {Badge::Kind::dot, StatusTone::red,
            ShownText::withHiddenShown(state->detail.value_or(QStringLiteral("stopped")))};
}

QString readoutText(const std::optional<ControlState> &state)
{
    if (state && state->detail) {
        return ShownText::withHiddenShown(*state->detail);
    }
    return QStringLiteral("\u2014");
}

QString rememberedName(const std::optional<QString> &name)
{
    return name.value_or(QStringLiteral("your host"));
}

StatusLine statusLine(const StatusInputs &inputs)
{
    const ClientConnectionStatus &status = inputs.status;
    switch (status.kind()) {
    case Kind::connecting:
        return {QStringLiteral("Connecting to %1\u2026").arg(status.host()->name),
                QStringLiteral("wifi"), StatusTone::secondary};
    case Kind::connected:
        return {status.host()->name, QStringLiteral("wifi"), StatusTone::green};
    case Kind::needsPairing:
        return {QStringLiteral("Pair with ") + status.host()->name, QStringLiteral("key"),
                StatusTone::orange};
    case Kind::failed:
        return {status.failureText(), QStringLiteral("wifi.exclamationmark"), StatusTone::orange};
    case Kind::idle:
        break;
    }
    if (inputs.isOffline) {
        return {QStringLiteral("Offline"), QStringLiteral("wifi.slash"), StatusTone::secondary};
    }
    if (inputs.isWaitingForRememberedHost) {
        const QString name = rememberedName(inputs.rememberedHostName);
        return {inputs.searchIsTakingLong ? QStringLiteral("Can't reach ") + name
                                          : QStringLiteral("Looking for %1\u2026").arg(name),
                QStringLiteral("wifi.exclamationmark"), StatusTone::secondary};
    }
    return {QStringLiteral("Not connected"), QStringLiteral("wifi.slash"), StatusTone::secondary};
}

HostMark hostMark(const ClientConnectionStatus &status, const DiscoveredHost &host)
{
    const bool thisHost = status.host() && *status.host() == host;
    switch (status.kind()) {
    case Kind::connecting:
        if (thisHost)
            return {HostMark::Kind::spinner, {}, StatusTone::secondary, {}};
        break;
    case Kind::connected:
        if (thisHost)
            return {HostMark::Kind::symbol,
                    QStringLiteral("checkmark.circle.fill"),
                    StatusTone::green,
                    {}};
        break;
    case Kind::needsPairing:
        if (thisHost)
            return {HostMark::Kind::symbol, QStringLiteral("key.fill"), StatusTone::orange, {}};
        break;
    case Kind::failed:
        return {HostMark::Kind::symbol, QStringLiteral("exclamationmark.triangle"),
                StatusTone::orange, status.failureText()};
    case Kind::idle:
        break;
    }
    return {HostMark::Kind::symbol, QStringLiteral("circle"), StatusTone::secondary, {}};
}

SearchNotice searchNotice(bool hostsEmpty, bool localNetworkBlocked, bool searchIsTakingLong)
{
    if (!hostsEmpty) {
        return SearchNotice::none;
    }
    if (localNetworkBlocked) {
        return SearchNotice::blocked;
    }
    return searchIsTakingLong ? SearchNotice::takingLong : SearchNotice::searching;
}

NotConnectedCase notConnectedCase(bool isOffline, bool localNetworkBlocked,
                                  bool isWaitingForRememberedHost, bool searchIsTakingLong,
                                  bool showsHostList)
{
    if (isOffline) {
        return NotConnectedCase::offline;
    }
    if (!localNetworkBlocked && isWaitingForRememberedHost) {
        return searchIsTakingLong ? NotConnectedCase::cantReach : NotConnectedCase::lookingFor;
    }
    return showsHostList ? NotConnectedCase::hostList : NotConnectedCase::nothing;
}

RootParts rootParts(const ClientConnectionStatus &status, bool hasDeck, bool hasNotice,
                    qsizetype hostCount, bool canEdit)
{
    RootParts parts;
    parts.header = !(status.kind() == Kind::idle && !hasDeck);
    if (status.kind() == Kind::needsPairing) {
        parts.main = RootParts::Main::pairing;
    } else if (hasDeck) {
        parts.main = RootParts::Main::deck;
    }
    parts.notice = hasNotice;
    parts.hosts = hostCount >= hostsPartMinimum;
    parts.edit = canEdit && hasDeck;
    return parts;
}

} // namespace Quorvel::RemoteViewRules
