#pragma once

#include <QObject>

class QDBusVariant;

namespace Quorvel {

// Tells when a question of the Secret Service to the user (a prompt: a password for a new
// keyring, an unlock) is dismissed. libsecret 0.20 never finishes a save whose prompt was
// dismissed (it warns about the prompt's empty result and drops the answer), so a store that
// waits for the keyring hears the dismissal on the session bus itself. Any dismissed prompt
// counts: the Secret Service names no owner for its prompts.
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
