#pragma once

#include "QuorvelClientUI/Editor/ValuePreset.h"

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// The complete actions the editor makes, each with an id that none of taken uses.

// The action that quits app through the quit form the host runs natively. A name that cannot
// stand between the form's quotes (a double quote, a backslash or a line break would end or
// extend the script) gives an empty shortcut action instead, for the user to fill.
Action quitAppScript(const QString &app, std::optional<double> timeout);

// The first of shortcuts whose name mentions app and one of "quit", "stop" or "close",
// ignoring case; none when no shortcut does.
std::optional<QString> quitShortcut(const QString &app, const QStringList &shortcuts);

// A switch that opens app, quits it (with the shortcut when one is given) and shows on while it
// runs.
Control appSwitchControl(const QString &app, const std::optional<QString> &quitShortcut,
                         const QSet<QString> &taken);

// A button that runs the shortcut.
Control shortcutButtonControl(const QString &shortcut, const QSet<QString> &taken);

// A readout of the preset, or, without one, of command every interval seconds with no title.
Control presetReadoutControl(const std::optional<ValuePreset> &preset, const QString &command,
                             const QSet<QString> &taken, double interval);

// An action for another application's offered control: a switch for a toggle, a button for a
// button, a readout for a level; none for any other kind.
std::optional<Control> controlFromAppOffer(const HostCatalog::AppControls::Item &item,
                                           const QString &app, const QSet<QString> &taken);

// A button without a title that runs command as an action of the given kind.
Control commandControl(Action::Kind kind, const QString &command, const QSet<QString> &taken);

} // namespace Quorvel
