#pragma once

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QString>

#include <optional>

namespace Quorvel {

// Plain-English phrases for the parts of an action, in lower case and without a final full
// stop, for views to put into their own sentences ("opens Music", "every minute").

// What the action does, for example "opens Music" or "turns Mute in Player on".
QString actionPhrase(const Action &action, const std::optional<HostCatalog> &catalog);

// When a switch's check finds it on, or what a readout shows.
QString statusCheckPhrase(StatusCheck::Kind kind, const QString &target,
                          const std::optional<QString> &control,
                          const std::optional<HostCatalog> &catalog);

// How often a check runs: the interval in seconds as the host uses it (absent means the host's
// default of 5 s; at most a day).
QString intervalPhrase(std::optional<double> interval);

// Another application's control: "Mute in Player Pro", named from the catalog where it can be.
QString appControlPhrase(const QString &app, const std::optional<QString> &control,
                         const std::optional<HostCatalog> &catalog);

// The application the action opens, as the action writes it: an app action's target, or the
// name in a shell command that is only `open -a NAME` (bare, or in single or double quotes).
std::optional<QString> openCommandApp(const Action &action);

// A command on one line for a phrase: line feeds become spaces, and a text of 43 characters or
// more (as the user sees characters) is cut to its first 40 followed by "…".
QString flattenedText(const QString &text);

} // namespace Quorvel
