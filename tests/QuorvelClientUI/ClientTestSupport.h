#pragma once

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include "TestHost.h"

#include <QObject>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

namespace Quorvel::ClientTest {

using namespace std::chrono_literals;

// Far beyond any wait the tests set up, so that a missing answer shows as a failure.
constexpr int answerLimitMs = 10000;

// Every wait of the model shortened; the ones a test measures are set by the test.
inline ClientTimings fastTimings()
{
    ClientTimings timings;
    timings.searchTakingLong = 100ms;
    timings.reconnectDelay = 50ms;
    timings.pairingWatchInterval = 50ms;
    timings.runTimeout = 60s;
    timings.testMargin = 60s;
    timings.testDefaultTimeout = 60s;
    timings.checkTimeout = 60s;
    timings.deckUpdateTimeout = 60s;
    return timings;
}

// Collects the one answer of an asynchronous call; counts every answer, so that a second one
// shows.
template<typename T> class Answer {
public:
    // The handler to give the call.
    std::function<void(T)> handler()
    {
        return [state = m_state](T value) {
            ++state->count;
            state->value = std::move(value);
        };
    }
    QObject *context() { return &m_context; }

    // Waits for the answer.
    std::optional<T> wait(int limitMs = answerLimitMs)
    {
        static_cast<void>(QTest::qWaitFor([this] { return m_state->count > 0; }, limitMs));
        return m_state->value;
    }
    bool arrived() const { return m_state->count > 0; }
    int count() const { return m_state->count; }

private:
    struct State {
        std::optional<T> value;
        int count = 0;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
    QObject m_context;
};

// The Keychain of the D-Bus sandbox, awaited.
class Keyring {
public:
    bool save(const PairingToken &code, const QString &account)
    {
        std::optional<bool> saved;
        m_store.save(code, account, &m_context, [&saved](bool ok) { saved = ok; });
        static_cast<void>(QTest::qWaitFor([&saved] { return saved.has_value(); }, answerLimitMs));
        return saved.value_or(false);
    }
    std::optional<PairingToken> read(const QString &account)
    {
        std::optional<std::optional<PairingToken>> answer;
        m_store.read(account, &m_context,
                     [&answer](std::optional<PairingToken> code) { answer = code; });
        static_cast<void>(QTest::qWaitFor([&answer] { return answer.has_value(); }, answerLimitMs));
        return answer.value_or(std::nullopt);
    }
    const KeychainTokenStore &store() const { return m_store; }

private:
    KeychainTokenStore m_store;
    QObject m_context;
};

// A name that no other test function uses, so that no code stored by name leaks between them.
inline QString uniqueHostName()
{
    QString name = QStringLiteral("Host ") + QString::fromLatin1(QTest::currentTestFunction());
    if (const char *tag = QTest::currentDataTag())
        name += u' ' + QString::fromLatin1(tag);
    return name;
}

} // namespace Quorvel::ClientTest
