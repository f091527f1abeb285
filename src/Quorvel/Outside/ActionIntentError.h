#pragma once

#include <QString>

#include <optional>

namespace Quorvel {

// Why running or reading an action for a script or a link did not work, with the text the
// caller shows.
struct ActionIntentError {
    enum class Case { notConnected, noSuchAction, wrongKind, failed };

    Case kind = Case::failed;
    QString text;

    static ActionIntentError notConnected(const QString &hostName);
    static ActionIntentError noSuchAction(const QString &actionID, const QString &hostName);
    static ActionIntentError wrongKind(const QString &title, const QString &reason);
    static ActionIntentError failed(const QString &title, const QString &message);
    // Why no action can have this id (it is empty, or longer than the host takes), or nothing
    // when one might. Such an id is answered without asking the host, and never echoed whole.
    static std::optional<ActionIntentError> unusableID(const QString &actionID);

    // The D-Bus error name, "com.vantrel.quorvel.Error.<Case>".
    QString dbusName() const;

    friend bool operator==(const ActionIntentError &, const ActionIntentError &) = default;
};

} // namespace Quorvel
