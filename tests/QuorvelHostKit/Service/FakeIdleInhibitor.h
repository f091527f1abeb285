#pragma once

#include "Platform/Power/IdleInhibitor.h"

#include <QTimer>

#include <memory>
#include <optional>

namespace Quorvel::HostTest {

// An idle inhibitor of this process only: answers every request on the next turn of the event
// loop as its shared script says (granted, or refused with a reason), or holds the answer back
// until the test gives it. Counts what it was asked, so a test can look after the inhibitor has
// been handed to its owner.
class FakeIdleInhibitor : public IdleInhibitor {
public:
    struct Script {
        // None: requests wait for answerNow().
        std::optional<bool> grant = true;
        QString refusal = QStringLiteral("refused by the fake");
        int acquired = 0;
        int released = 0;
        bool held = false;
        Answer pending;

        // Gives the answer a held-back request waits for.
        void answerNow(bool granted)
        {
            held = granted;
            if (pending)
                std::exchange(pending, nullptr)(granted, granted ? QString() : refusal);
        }
    };

    FakeIdleInhibitor(QString name, std::shared_ptr<Script> script)
        : m_name(std::move(name)), m_script(std::move(script))
    {}

    QString name() const override { return m_name; }

    void acquire(const QString &, const QString &, Answer answer) override
    {
        ++m_script->acquired;
        m_script->pending = std::move(answer);
        if (!m_script->grant)
            return;
        const std::weak_ptr<Script> script = m_script;
        const bool granted = *m_script->grant;
        QTimer::singleShot(0, [script, granted] {
            if (const auto alive = script.lock())
                alive->answerNow(granted);
        });
    }

    void release() override
    {
        ++m_script->released;
        m_script->held = false;
        m_script->pending = nullptr;
    }

private:
    QString m_name;
    std::shared_ptr<Script> m_script;
};

} // namespace Quorvel::HostTest
