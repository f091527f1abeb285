#pragma once

#include "QuorvelClientUI/ClientConnectionStatus.h"

#include <QString>
#include <QStringList>

namespace Quorvel {

// The words of the deck editor's header and footer, worked out from the editor's state.
class EditorScreenText {
public:
    // "on Studio · 3 actions", "connecting to Studio…", "not connected"…
    static QString subtitle(const ClientConnectionStatus &status, const QString &hostName,
                            int actionCount, bool editable);
    static QString actionCount(int count);
    // "3 changes not saved · 1 needs attention · Give these actions a title.", or that
    // everything is saved on the host; never that while the host holds other actions than the
    // copy shown (hostChanged: its banner says so).
    static QString summary(int unsavedChanges, int problems, const QStringList &deckNameProblems,
                           const QString &hostName, bool hostChanged);
    static QString saveLabel(bool saving, const QString &hostName);
    // The command that turns on editing from other devices, run on the host.
    static QString editingCommand();
};

} // namespace Quorvel
