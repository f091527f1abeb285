#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

class HostCoordinator;

// The texts the set-up and settings windows show about this computer's host, from plain values,
// so each rule is tested without a window.
struct HostSettingsWording {
    // The connected devices as the coordinator sorts them, or "No devices".
    static QString connectedText(const QStringList &names);
    // The deck file's path with a leading home folder shown as "~".
    static QString savedInText(const QString &path, const QString &home);
    // The listener's failure from its status line ("failed: …"); none while it works.
    static std::optional<QString> listenerFailure(const QString &listenerStatus);
    // The line that says the host cannot be reached, for a failed listener.
    static QString listenerFailureText(const QString &error);
    // Why "Edit This Computer's Actions…" cannot open the editor now; empty when it can.
    static QString editUnavailableReason(const QString &listenerStatus, bool hasPort);
    // The warning under the keep-awake switch: shown when the running host wishes to stay awake
    // and every lock it asked for was refused (problem holds why); empty otherwise. It is plain
    // words: why each lock was refused goes to the log only.
    static QString keepAwakeWarning(bool wished, bool running, bool lockHeld,
                                    const QString &problem);

    // The same, read from a coordinator.
    static QString editUnavailableReason(const HostCoordinator &host);
    static QString keepAwakeWarning(const HostCoordinator &host);
};

} // namespace Quorvel
