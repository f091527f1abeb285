#pragma once

#include "Platform/Desktop/DesktopEntry.h"

#include <QList>
#include <QString>

#include <optional>

namespace Quorvel::DesktopEntries {

// The applications installed for this user: every desktop entry of the XDG data folders that is
// neither hidden nor marked NoDisplay, ordered by id. Safe to call from any thread.
QList<DesktopEntry> installed();

// The installed application that name names: an entry whose id is name (with or without
// ".desktop"), else one whose Name is name, else one whose Name is name ignoring case.
std::optional<DesktopEntry> find(const QString &name);

// Starts the application of the entry with that id detached from this process, with
// environment variables in withoutVariables removed from its environment. False with the
// system's reason in error when it cannot be started.
bool launch(const QString &id, const QStringList &withoutVariables, QString *error);

} // namespace Quorvel::DesktopEntries
