#pragma once

#include <QObject>

class QDBusVariant;

namespace Quorvel {

// Tells when a question of the Secret Service to the user (a prompt: a password for a new
// keyring, an unlock) is dismissed. gnome-keyring's dismissal ends libsecret's save with an
// error, but libsecret 0.20 never finishes a save whose dismissed prompt carries an empty result
// (it warns about the result's type and drops the answer), so a store that waits for the keyring
// hears the dismissal on the session bus itself. Any dismissed prompt counts: the Secret Service
// names no owner for its prompts.
class KeyringPromptWatch : public QObject {
    Q_OBJECT

public:
    explicit KeyringPromptWatch(QObject *parent = nullptr);
    ~KeyringPromptWatch() override;

signals:
    void dismissed();

private slots:
    void completed(bool dismissed, const QDBusVariant &result);
};

} // namespace Quorvel
