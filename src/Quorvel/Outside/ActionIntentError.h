#pragma once

#include <QString>

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

    // The D-Bus error name, "com.vantrel.quorvel.Error.<Case>".
    QString dbusName() const;

    friend bool operator==(const ActionIntentError &, const ActionIntentError &) = default;
};

} // namespace Quorvel
