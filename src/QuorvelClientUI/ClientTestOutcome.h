#pragma once

#include <QString>

#include <optional>

namespace Quorvel {

// The result of trying an action or a status check from an editor. Made only through the named
// constructors, so two outcomes are equal exactly when they are the same case with equal values.
class ClientTestOutcome {
public:
    enum class Kind { action, statusCheck, failed };

    // The host ran the action.
    static ClientTestOutcome action(bool ok, const QString &output)
    {
        return ClientTestOutcome(Kind::action, ok, std::nullopt, output);
    }
    // The host ran the status check; isOn is absent for a readout.
    static ClientTestOutcome statusCheck(std::optional<bool> isOn, const QString &detail)
    {
        return ClientTestOutcome(Kind::statusCheck, false, isOn, detail);
    }
    // No result: the request failed or timed out.
    static ClientTestOutcome failed(const QString &text)
    {
        return ClientTestOutcome(Kind::failed, false, std::nullopt, text);
    }

    Kind kind() const { return m_kind; }
    // Whether the action succeeded (action only).
    bool ok() const { return m_ok; }
    // The on/off reading (statusCheck only).
    std::optional<bool> isOn() const { return m_isOn; }
    // The action's output, the check's detail or the failure text.
    const QString &text() const { return m_text; }

    friend bool operator==(const ClientTestOutcome &a, const ClientTestOutcome &b) = default;

private:
    ClientTestOutcome(Kind kind, bool ok, std::optional<bool> isOn, QString text)
        : m_kind(kind), m_ok(ok), m_isOn(isOn), m_text(std::move(text))
    {}

    Kind m_kind;
    bool m_ok;
    std::optional<bool> m_isOn;
    QString m_text;
};

} // namespace Quorvel
