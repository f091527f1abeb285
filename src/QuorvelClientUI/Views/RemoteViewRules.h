#pragma once

#include "QuorvelClientUI/ClientConnectionStatus.h"
#include "QuorvelCore/Discovery/DiscoveredHost.h"
#include "QuorvelCore/Model/ControlState.h"
#include "Widgets/StatusColors.h"

#include <QString>

#include <optional>

// What the remote's views show, decided from the model's values without widgets.
namespace Quorvel::RemoteViewRules {

// The badge under a switch's title.
struct Badge {
    enum class Kind { busy, dot };
    Kind kind = Kind::dot;
    StatusTone tone = StatusTone::gray;
    QString text;
    friend bool operator==(const Badge &, const Badge &) = default;
};
// Busy first; then grey "unknown" without a reading; green (detail, else "running") when on;
// red (detail, else "stopped") when off.
Badge badge(const std::optional<ControlState> &state, bool busy);

// A control is busy while the host reports it busy or this device waits for its result.
bool isBusy(const std::optional<ControlState> &state, bool pending);

// A readout's text: its detail, else a dash.
QString readoutText(const std::optional<ControlState> &state);

// What the one-line status label reads.
struct StatusLine {
    QString text;
    QString symbol;
    StatusTone tone = StatusTone::secondary;
    friend bool operator==(const StatusLine &, const StatusLine &) = default;
};
struct StatusInputs {
    ClientConnectionStatus status = ClientConnectionStatus::idle();
    bool isOffline = false;
    bool isWaitingForRememberedHost = false;
    bool searchIsTakingLong = false;
    std::optional<QString> rememberedHostName;
};
StatusLine statusLine(const StatusInputs &inputs);
// The remembered host's name, or "your host".
QString rememberedName(const std::optional<QString> &name);

// The mark at the end of a host's row.
struct HostMark {
    enum class Kind { spinner, symbol };
    Kind kind = Kind::symbol;
    QString symbol;
    StatusTone tone = StatusTone::secondary;
    QString help;
    friend bool operator==(const HostMark &, const HostMark &) = default;
};
HostMark hostMark(const ClientConnectionStatus &status, const DiscoveredHost &host);

// What the host list shows above its rows while no host is listed.
enum class SearchNotice { none, blocked, takingLong, searching };
SearchNotice searchNotice(bool hostsEmpty, bool localNetworkBlocked, bool searchIsTakingLong);

// What the not-connected view holds.
enum class NotConnectedCase { offline, cantReach, lookingFor, hostList, nothing };
NotConnectedCase notConnectedCase(bool isOffline, bool localNetworkBlocked,
                                  bool isWaitingForRememberedHost, bool searchIsTakingLong,
                                  bool showsHostList);

// The parts of the root view, top to bottom.
struct RootParts {
    enum class Main { pairing, deck, notConnected };
    bool header = false;
    Main main = Main::notConnected;
    bool notice = false;
    bool hosts = false;
    bool edit = false;
    friend bool operator==(const RootParts &, const RootParts &) = default;
};
RootParts rootParts(const ClientConnectionStatus &status, bool hasDeck, bool hasNotice,
                    qsizetype hostCount, bool canEdit);

} // namespace Quorvel::RemoteViewRules
