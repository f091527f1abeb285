#pragma once

#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include <QObject>
#include <QTest>

#include <optional>

namespace Quorvel {

// Waits on the event loop for one store request; the tests' own limit is generous, the store's
// time-out decides when a request gives up.
class KeychainWaiter {
public:
    // Far beyond any store time-out the tests use, so that a missing answer shows as a failure.
    static constexpr int answerLimitMs = 20000;

    explicit KeychainWaiter(const KeychainTokenStore &store) : m_store(store) {}

    // The read's answer, or no answer at all (outer nullopt) within answerLimitMs.
    std::optional<std::optional<PairingToken>> read(const QString &account)
    {
        std::optional<std::optional<PairingToken>> answer;
        m_store.read(account, &m_context,
                     [&answer](std::optional<PairingToken> code) { answer = std::move(code); });
        if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, answerLimitMs)) {
            return std::nullopt;
        }
        return answer;
    }

    std::optional<bool> save(const PairingToken &code, const QString &account)
    {
        std::optional<bool> answer;
        m_store.save(code, account, &m_context, [&answer](bool saved) { answer = saved; });
        if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, answerLimitMs)) {
            return std::nullopt;
        }
        return answer;
    }

    bool remove(const QString &account)
    {
        bool answered = false;
        m_store.remove(account, &m_context, [&answered] { answered = true; });
        return QTest::qWaitFor([&answered] { return answered; }, answerLimitMs);
    }

private:
    KeychainTokenStore m_store;
    QObject m_context;
};

} // namespace Quorvel
