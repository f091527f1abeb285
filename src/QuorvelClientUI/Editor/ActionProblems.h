#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/HostInfo.h"

#include <QStringList>

#include <optional>

namespace Quorvel {

// What is wrong with one action of the working copy, in words for the user: the deck rules'
// problems of the action alone (without its label, unless it has no id), then the note that
// another row uses its id (rowIDs holds the id of every row, its own included), then a sentence
// for each target the host lacks. Empty when the action is fine.
QStringList actionProblems(const Control &control, const QStringList &rowIDs,
                           const std::optional<HostCatalog> &catalog,
                           const std::optional<HostInfo> &hostInfo);

} // namespace Quorvel
