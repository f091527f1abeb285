#pragma once

#include "Platform/Power/IdleInhibitor.h"
#include "Platform/Power/InhibitRequest.h"

#include <chrono>
#include <memory>

namespace Quorvel {

// GNOME's session manager (org.gnome.SessionManager on the session bus) holding back automatic
// suspend. GNOME's power daemon decides on suspending an idle computer from these inhibitors, not
// from logind's. Only the suspend flag is used: the display may still turn off. Without GNOME's
// session manager on the bus the lock is refused, which is the normal case on other desktops.
class GnomeSessionInhibitor : public IdleInhibitor {
public:
    // The session manager's flag for "suspending the session or computer".
    static constexpr quint32 suspendFlag = 4;
    // The session manager answers at once when it runs.
    static constexpr std::chrono::milliseconds callTimeout{2000};

    // appId is the application's desktop-entry id without ".desktop", which GNOME shows.
    explicit GnomeSessionInhibitor(const QString &appId);
    ~GnomeSessionInhibitor() override;

    QString name() const override;
    void acquire(const QString &who, const QString &why, Answer answer) override;
    void release() override;

private:
    QString m_appId;
    // The request in flight or holding the lock.
    std::shared_ptr<InhibitRequest> m_request;
};

} // namespace Quorvel
