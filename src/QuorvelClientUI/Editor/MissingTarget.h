#pragma once

#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// What an action needs that the host's catalog says it lacks: the app it opens or quits, the
// shortcut it runs, or (worded by appControlPhrase) the offered control it uses. None when
// nothing is missing, when there is no catalog yet, or when nothing can be said.
std::optional<QString> missingTarget(const Action &action,
                                     const std::optional<HostCatalog> &catalog);

// The wording of the offered control item of app when the catalog has no such offer.
std::optional<QString> missingAppControl(const QString &app, const std::optional<QString> &control,
                                         const std::optional<HostCatalog> &catalog);

// What the host does with an app: it opens one found by its exact identifier (with or without
// ".desktop") or by its name ignoring case; it quits one found by either, ignoring case.
enum class AppUse { opening, quitting };

// Whether the host would find the app name among its installed apps for that use, so that an
// identifier in other letters, which fails to open on the host, is reported.
bool catalogHasApp(const HostCatalog &catalog, const QString &name, AppUse use);

// One sentence per action of control whose target the host lacks, in the order action, on
// action, off action: "Studio doesn't have a shortcut called “Morning”, so this would fail."
QStringList missingTargetProblems(const Control &control, const std::optional<HostCatalog> &catalog,
                                  const std::optional<HostInfo> &hostInfo);

// The host's name for sentences: its own, or "the host" before it has said.
QString hostNameOf(const std::optional<HostInfo> &hostInfo);

} // namespace Quorvel
