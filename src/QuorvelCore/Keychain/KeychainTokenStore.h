#pragma once

#include "QuorvelCore/Model/PairingToken.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QObject;

namespace Quorvel {

// Keeps pairing codes in the desktop's Secret Service, one item per account under one service
// name. A value: it holds no connection or cache, so copies are free and independent.
//
// The Secret Service answers over D-Bus, so every operation is asynchronous: it returns at once
// and calls its handler later on the calling thread's event loop, exactly once, unless the
// context object (which must be given; usually the caller itself) is gone by then. A keyring that
// is locked, missing or stuck never blocks the caller: each request gives up after the store's
// time-out and reads as no code (or a failed save), and the failure is logged. Call from a thread
// that runs a Qt event loop.
//
// The keyring here does not synchronise between machines, so every item is a local one: there is
// no shared access group.
class KeychainTokenStore {
public:
    // The store shared by the remote client and the host service.
    static inline const QString defaultService = QStringLiteral("com.vantrel.quorvel.pairing");
    // The local deck editor's own store of the code of this machine's host.
    static inline const QString localEditorService =
        QStringLiteral("com.vantrel.quorvel.local-editor");
    // A healthy Secret Service answers in milliseconds; a locked keyring may wait on an unlock
    // prompt that nobody answers, and the remote polls for a code every 5 s.
    static constexpr std::chrono::milliseconds defaultTimeout{4000};

    using ReadHandler = std::function<void(std::optional<PairingToken>)>;
    using SaveHandler = std::function<void(bool)>;
    using RemoveHandler = std::function<void()>;
    using WaitHandler = std::function<void()>;

    explicit KeychainTokenStore(QString service = defaultService,
                                std::chrono::milliseconds timeout = defaultTimeout);

    const QString &service() const { return m_service; }
    std::chrono::milliseconds timeout() const { return m_timeout; }

    // The code stored under account, or none when there is no item, its text is not a code, or
    // the Secret Service fails or does not answer in time.
    void read(const QString &account, QObject *context, ReadHandler onDone) const;
    // Stores the code's normalized text under account, replacing any earlier one; true when the
    // Secret Service confirmed the write in time.
    //
    // With onWaiting, a keyring that has not answered within the time-out is waited for instead:
    // it may be asking the user a question (a password for a new keyring, an unlock). onWaiting
    // is then called once, and onDone later with the keyring's own answer: false only when it
    // refuses or the question is dismissed.
    void save(const PairingToken &code, const QString &account, QObject *context,
              SaveHandler onDone, WaitHandler onWaiting = {}) const;
    // Removes account's item; a missing item is not an error. onDone may be empty.
    void remove(const QString &account, QObject *context, RemoveHandler onDone = {}) const;

private:
    QString m_service;
    std::chrono::milliseconds m_timeout;
};

} // namespace Quorvel
