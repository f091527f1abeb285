#include "Quorvel/TrayPresence.h"

#include "Quorvel/AppState.h"
#include "QuorvelCore/Mark/QuorvelMark.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace Quorvel {

TrayPresence::TrayPresence(AppState &state, QWidget *menu, IconForState icon, bool trayAvailable,
                           QObject *parent)
    : QObject(parent), m_state(state), m_menu(menu), m_icon(std::move(icon))
{
    m_menu->setWindowTitle(QStringLiteral("Quorvel"));
    if (trayAvailable) {
        m_menu->setWindowFlags(Qt::Popup);
        m_tray = std::make_unique<QSystemTrayIcon>();
        m_tray->setToolTip(QStringLiteral("Quorvel"));
        connect(m_tray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason) { showMenu(); });
        updateIcon();
        m_tray->show();
    } else {
        m_menu->setWindowFlags(Qt::Window);
        showMenu();
    }
    connect(&m_state, &AppState::activeChanged, this, &TrayPresence::updateIcon);
    connect(&m_state, &AppState::activationRequested, this, &TrayPresence::showMenu);
}

TrayPresence::~TrayPresence() = default;

QIcon TrayPresence::markIcon(bool active)
{
    return QuorvelMark::icon(!active, QGuiApplication::palette().color(QPalette::WindowText));
}

void TrayPresence::updateIcon()
{
    if (m_tray)
        m_tray->setIcon(m_icon(m_state.isActive()));
}

void TrayPresence::showMenu()
{
    // The tray icon's geometry is often empty: the pointer is where the user clicked. Wayland
    // places windows itself.
    if (m_tray && QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_menu->adjustSize();
        const QPoint pointer = QCursor::pos();
        QRect frame(pointer, m_menu->size());
        if (const QScreen *screen = QGuiApplication::screenAt(pointer)) {
            const QRect available = screen->availableGeometry();
            frame.moveRight(std::min(frame.right(), available.right()));
            frame.moveBottom(std::min(frame.bottom(), available.bottom()));
            frame.moveLeft(std::max(frame.left(), available.left()));
            frame.moveTop(std::max(frame.top(), available.top()));
        }
        m_menu->move(frame.topLeft());
    }
    m_menu->show();
    m_menu->raise();
    m_menu->activateWindow();
}

} // namespace Quorvel
