#include "Quorvel/Outside/DesktopLinkNotices.h"

#include <QApplication>

namespace Quorvel {

DesktopLinkNotices::DesktopLinkNotices(QDBusConnection bus)
    : m_notifier(
          appName, desktopEntry, [] { QApplication::beep(); }, std::move(bus))
{}

void DesktopLinkNotices::postNotice(const QString &title, const QString &body)
{
    m_notifier.notify(title, body);
}

} // namespace Quorvel
