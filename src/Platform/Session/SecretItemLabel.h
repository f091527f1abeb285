#pragma once

#include <QDBusConnection>
#include <QString>

#include <functional>

class QObject;

namespace Quorvel {

// The label the desktop's keyring shows for a stored secret. The keyring library names its items
// after their service; this gives an item of ours a name a person recognises in a keyring
// manager. Items are found on the Secret Service by the attributes the keyring library stores
// with them: "server" (the service) and "user" (the account).
class SecretItemLabel {
public:
    static inline const QString serviceName = QStringLiteral("org.freedesktop.secrets");

    // Labels every unlocked item of service and account; onDone (may be empty) gets the number of
    // items labelled, 0 when there is none or the Secret Service does not answer.
    static void set(const QDBusConnection &bus, const QString &service, const QString &account,
                    const QString &label, QObject *context, std::function<void(int)> onDone = {});
};

} // namespace Quorvel
