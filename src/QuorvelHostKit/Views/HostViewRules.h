#pragma once

#include "QuorvelCore/Discovery/LocalNetworkMonitor.h"
#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/ControlState.h"
#include "QuorvelCore/Model/PairingToken.h"
#include "Widgets/StatusColors.h"

#include <QString>

#include <optional>

// What the host's own views show, decided without widgets.
namespace Quorvel::HostViewRules {

// What a control's row shows at its end.
struct RowIndicator {
    enum class Kind { none, dot, text };
    Kind kind = Kind::none;
    StatusTone tone = StatusTone::none;
    QString text;
    friend bool operator==(const RowIndicator &, const RowIndicator &) = default;
};

// Buttons show nothing; switches a dot (green on, red off, grey unknown); readouts their detail
// or a dash.
RowIndicator rowIndicator(const Control &control, const std::optional<ControlState> &state);

// "N client(s) connected".
QString clientCountText(qsizetype count);

// The local-network line: symbol, text, tone and whether it is a warning.
struct NetworkLine {
    QString symbol;
    QString text;
    StatusTone tone = StatusTone::secondary;
    bool warning = false;
    friend bool operator==(const NetworkLine &, const NetworkLine &) = default;
};
NetworkLine networkLine(LocalNetworkMonitor::Status status);

// The code as shown: the display form when revealed, else as many bullets whatever its length.
inline constexpr int hiddenCodeBullets = 14;
QString codeText(const PairingToken &code, bool revealed);

// Whether the environment's code is the one in force: a value the host ignored, or a code
// replaced since, is not.
bool codeSetByEnvironment(const PairingToken &inForce);

// The last line of the pairing-code block.
enum class NewCodeLine { setByEnvironment, confirm, offer };
NewCodeLine newCodeLine(bool setByEnvironment, bool confirmRotate);

// The line under the editing switch.
QString deckEditingExplanation(bool allowed);

} // namespace Quorvel::HostViewRules
