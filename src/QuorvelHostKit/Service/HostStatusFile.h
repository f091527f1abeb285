#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace Quorvel {

// The host's state as a small JSON file that scripts and support people can read without the
// application's window. Made afresh for every write and never read back.
struct HostStatusFile {
    static constexpr char fileName[] = "status.json";

    QString version;
    QString hostName;
    // Left out when the listener has no port.
    std::optional<quint16> port;
    QString listener;
    // The local-network status by its raw value ("checking", "discoverable", ...).
    QString localNetwork;
    // Authenticated connections only; one still answering its challenge does not count.
    int clients = 0;
    bool deckEditingAllowed = false;
    // Left out when the deck file has no problem.
    std::optional<QString> deckProblem;
    // The wish to keep the computer awake, whether a lock really holds it awake, and why not
    // while none does (left out otherwise).
    bool keepAwake = false;
    bool awakeLockHeld = false;
    std::optional<QString> awakeLockProblem;
    QDateTime updatedAt;

    QJsonObject toJson() const;
    // The file's bytes: pretty, key-sorted JSON; none, with the reason in error, when encoding
    // failed.
    std::optional<QByteArray> encoded(QString *error = nullptr) const;

    // Pretty, key-sorted JSON that replaces the file at path in one step, readable by the user
    // alone. The folder is not created here: a missing folder makes the write fail, and the next
    // write after it exists succeeds. Returns whether the file was written; error, when given,
    // receives the reason it was not.
    bool write(const QString &path, QString *error = nullptr) const;
};

} // namespace Quorvel
