#pragma once

#include <QString>

#include <optional>

namespace Quorvel {

// The value an action sends to another application's control: on, off, press, or a level that is
// meant to lie in 0 to 1. It travels as its text form in Action::value.
class AppControlValue {
public:
    enum class Kind {
        level,
        on,
        off,
        press,
    };

    static AppControlValue level(double value);
    static AppControlValue on();
    static AppControlValue off();
    static AppControlValue press();

    // "on", "off" and "press" exactly, or a whole-text number from 0 to 1; anything else is no
    // value.
    static std::optional<AppControlValue> fromString(const QString &text);

    Kind kind() const { return m_kind; }
    // The level for Kind::level; 0 for the other kinds.
    double levelValue() const { return m_level; }

    // "on", "off", "press", or the level's shortest round-trip text ("0.5", "1.0", "1e-05").
    QString text() const;

    friend bool operator==(const AppControlValue &a, const AppControlValue &b);

private:
    AppControlValue(Kind kind, double level);

    Kind m_kind;
    double m_level;
};

} // namespace Quorvel
