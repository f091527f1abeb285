#pragma once

#include "QuorvelClientUI/Editor/ValuePreset.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// How the popovers of a switch's state, a readout's source and a check's interval read and
// rewrite a status check.
class CheckEditing {
public:
    // A switch's state: an app is running (0), a command succeeds (1), another app's switch is
    // on (2).
    static QStringList stateRows();
    // A command check that looks at the output shows as the command row.
    static int stateRow(const StatusCheck &check);
    // Another way of knowing: the target and item start empty, the interval stays.
    static StatusCheck withStateRow(const StatusCheck &check, int row);
    // A typed command for a switch. A switch's command check tells on from off by its exit
    // code, so one that looked at the output becomes an exit-code check on the first edit.
    static StatusCheck withStateCommand(const StatusCheck &check, const QString &command);
    static StatusCheck withControl(const StatusCheck &check, const QString &item);
    // Installed and running apps, each once, sorted as a reader expects.
    static QStringList appNames(const std::optional<HostCatalog> &catalog);

    // A readout's source.
    static std::optional<ValuePreset> currentPreset(const StatusCheck &check);
    static StatusCheck presetCheck(const ValuePreset &preset);
    // The command field's text: empty for another app's value.
    static QString commandText(const StatusCheck &check);
    // A typed command for a readout: its output is shown, the interval stays.
    static StatusCheck withReadoutCommand(const StatusCheck &check, const QString &command);
    // The item the readout's app-control picker shows chosen for the app it shows.
    static QString pickedItem(const StatusCheck &check, const QString &pickedApp);
    // Another app's value; an empty item changes nothing.
    static std::optional<StatusCheck> withPickedItem(const QString &pickedApp, const QString &item);

    // Check Now may run the check as it stands.
    static bool canCheck(const StatusCheck &check);

    // The interval popover's options: the offered ones, then the current interval when it is
    // none of them.
    struct IntervalOption {
        double seconds;
        QString text;
        friend bool operator==(const IntervalOption &, const IntervalOption &) = default;
    };
    static QList<IntervalOption> intervalOptions(std::optional<double> current);
    // The option shown chosen: an absent interval is the host's default.
    static qsizetype chosenInterval(std::optional<double> current);
};

} // namespace Quorvel
