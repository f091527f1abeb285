#pragma once

#include "QuorvelCore/Model/AppControlValue.h"
#include "QuorvelCore/Model/RawEnum.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace Quorvel {

// One thing the host runs.
struct Action {
    enum class Kind {
        app,
        shortcut,
        shell,
        applescript,
        script,
        appControl,
    };

    Kind type = Kind::shell;
    // What to run; its meaning depends on the kind (for appControl the offering application).
    QString target;
    // Seconds the run may take; absent means the executor's default.
    std::optional<double> timeout;
    // For appControl: the other application's control id and the text form of the value.
    std::optional<QString> control;
    std::optional<QString> value;

    // An action that sends value to control of the application app, with no time-out.
    static Action appControl(const QString &app, const QString &control,
                             const AppControlValue &value);

    // Non-finite numbers are kept as they are; WireCodec refuses to serialise them.
    QJsonObject toJson() const;
    // Fails as a whole on a missing required key or a wrong JSON type; error names the key.
    static std::optional<Action> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const Action &a, const Action &b);
};

template<> struct RawEnumTraits<Action::Kind> {
    static constexpr std::array<std::pair<Action::Kind, const char *>, 6> cases{{
        {Action::Kind::app, "app"},
        {Action::Kind::shortcut, "shortcut"},
        {Action::Kind::shell, "shell"},
        {Action::Kind::applescript, "applescript"},
        {Action::Kind::script, "script"},
        {Action::Kind::appControl, "app_control"},
    }};
};

} // namespace Quorvel
