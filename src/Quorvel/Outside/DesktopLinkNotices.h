#pragma once

#include "Platform/Desktop/DesktopNotifier.h"
#include "Quorvel/Outside/LinkHandler.h"

namespace Quorvel {

// Link notices as desktop notifications of "Quorvel", with a beep where none can be shown.
class DesktopLinkNotices : public LinkNotices {
public:
    static inline const QString appName = QStringLiteral("Quorvel");
    static inline const QString desktopEntry = QStringLiteral("com.vantrel.quorvel");

    explicit DesktopLinkNotices(QDBusConnection bus = QDBusConnection::sessionBus());

    void postNotice(const QString &title, const QString &body) override;
    DesktopNotifier &notifier() { return m_notifier; }

private:
    DesktopNotifier m_notifier;
};

} // namespace Quorvel
