#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace Quorvel {

// What a host tells one remote about itself.
struct HostInfo {
    QString hostName;
    // The host application's version text.
    QString version;
    // Whether this remote may change the host's deck; it can differ from connection to
    // connection.
    bool deckEditingAllowed = false;

    QJsonObject toJson() const;
    static std::optional<HostInfo> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const HostInfo &a, const HostInfo &b);
};

} // namespace Quorvel
