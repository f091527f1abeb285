#pragma once

#include "QuorvelCore/Model/RawEnum.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace Quorvel {

// How the on/off state or the readout of an action is found.
struct StatusCheck {
    enum class Kind {
        processRunning,
        shellExitCode,
        shellOutput,
        appControl,
    };

    Kind type = Kind::shellExitCode;
    // What to check; its meaning depends on the kind.
    QString target;
    // Seconds between checks; absent means the state monitor's default.
    std::optional<double> interval;
    // For appControl: the other application's control id.
    std::optional<QString> control;

    // Non-finite numbers are kept as they are; WireCodec refuses to serialise them.
    QJsonObject toJson() const;
    static std::optional<StatusCheck> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const StatusCheck &a, const StatusCheck &b);
};

template<> struct RawEnumTraits<StatusCheck::Kind> {
    static constexpr std::array<std::pair<StatusCheck::Kind, const char *>, 4> cases{{
        {StatusCheck::Kind::processRunning, "process_running"},
        {StatusCheck::Kind::shellExitCode, "shell_exit_code"},
        {StatusCheck::Kind::shellOutput, "shell_output"},
        {StatusCheck::Kind::appControl, "app_control"},
    }};
};

} // namespace Quorvel
