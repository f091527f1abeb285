#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace Quorvel {

class SecretServiceObject;

// A Secret Service of the test's own, on a private session bus that this process then uses: a
// keyring with no default collection, as on a computer where nothing was saved yet. Saving asks
// it to create one, and it asks the user first (a prompt); the test answers the question when it
// likes, or dismisses it, and may make the keyring refuse the item afterwards. Items it took are
// found and read back as a keyring's are, so a code saved here is there for the next read.
// Start it before anything in the process talks to the session bus.
class StandInSecretService : public QObject {
    Q_OBJECT

public:
    StandInSecretService();
    ~StandInSecretService() override;

    bool start();
    // Back to an empty keyring with no default collection that accepts items.
    void reset();

    // The keyring's question is on screen, unanswered.
    bool asking() const;
    // The user answers it: a password for the new keyring, or dismissing it.
    void answer(bool dismissed);
    // Items are refused even once the keyring exists.
    void setRefusesItems(bool refuses);
    int storedItems() const;

signals:
    void askingChanged();

private:
    QTemporaryDir m_folder;
    QProcess m_bus;
    QDBusConnection m_connection{QString()};
    std::unique_ptr<SecretServiceObject> m_object;
};

} // namespace Quorvel
