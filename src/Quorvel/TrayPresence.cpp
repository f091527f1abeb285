#include "Quorvel/TrayPresence.h"

#include "Quorvel/AppMenu.h"
#include "Quorvel/AppState.h"
#include "Quorvel/TrayWatch.h"
#include "QuorvelCore/Mark/QuorvelMark.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTimer>

namespace Quorvel {

namespace {

// The frame moved into the area, its top-left corner kept in view when it is larger.
QRect inside(QRect frame, const QRect &area)
{
    frame.moveRight(std::min(frame.right(), area.right()));
    frame.moveBottom(std::min(frame.bottom(), area.bottom()));
    frame.moveLeft(std::max(frame.left(), area.left()));
    frame.moveTop(std::max(frame.top(), area.top()));
    return frame;
}

} // namespace

TrayPresence::TrayPresence(AppState &state, AppMenu *menu, IconForState icon, bool trayAvailable,
                           QObject *parent)
    : QObject(parent), m_state(state), m_menu(menu), m_icon(std::move(icon))
{
    m_menu->setWindowTitle(QStringLiteral("Quorvel"));
    m_menu->installEventFilter(this);
    if (trayAvailable) {
        showTrayIcon();
    } else {
        m_menu->setWindowFlags(Qt::Window);
        // Once the windows that the start asked for are up (the set-up of a first start, opened
        // on the start's first turn): shown before them, the menu went under them. A window
        // shown without the keyboard goes under the active one too (openbox).
        QTimer::singleShot(0, this, &TrayPresence::showMenu);
    }
    connect(&m_state, &AppState::activeChanged, this, &TrayPresence::updateIcon);
    connect(&m_state, &AppState::activationRequested, this, &TrayPresence::showMenu);
}

TrayPresence::~TrayPresence() = default;

std::unique_ptr<TrayPresence> TrayPresence::onDesktop(AppState &state, AppMenu *menu,
                                                      IconForState icon, TrayWatch &watch)
{
    auto presence = std::make_unique<TrayPresence>(state, menu, std::move(icon),
                                                   watch.available() &&
                                                       QSystemTrayIcon::isSystemTrayAvailable());
    connect(&watch, &TrayWatch::trayStarted, presence.get(), &TrayPresence::moveIntoTray);
    return presence;
}

void TrayPresence::moveIntoTray()
{
    // Asked only now that a tray is there: Qt keeps its first answer about the bus's tray.
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_menu->hide();
    showTrayIcon();
}

void TrayPresence::showTrayIcon()
{
    m_menu->setWindowFlags(Qt::Popup);
    m_tray = std::make_unique<QSystemTrayIcon>();
    m_tray->setToolTip(QStringLiteral("Quorvel"));
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason) { showMenu(); });
    updateIcon();
    m_tray->show();
}

QIcon TrayPresence::markIcon(bool active)
{
    return QuorvelMark::icon(!active, QGuiApplication::palette().color(QPalette::WindowText));
}

void TrayPresence::updateIcon()
{
    if (m_tray)
        m_tray->setIcon(m_icon(m_state.isActive()));
}

QWidget *TrayPresence::menuWindow() const
{
    return m_menu.get();
}

void TrayPresence::showMenu()
{
    // Measured once what the menu shows has settled: wrapped lines know their height only once
    // their layouts ran.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    m_menu->fitToContent();
    // The tray icon's geometry is often empty: the pointer is where the user clicked. The window
    // shown without a tray opens there too, where the user is, rather than where the window
    // manager puts new windows (the middle of the screen, under the set-up window on a first
    // start).
    const QRect icon = m_tray ? m_tray->geometry() : QRect();
    m_anchor = icon.isValid() && !icon.isEmpty() ? icon : QRect(QCursor::pos(), QSize(1, 1));
    placeAtAnchor();
    m_menu->show();
    m_menu->raise();
    m_menu->activateWindow();
}

QRect TrayPresence::popupFrame(QSize size, QRect anchor, QRect available)
{
    QRect frame(QPoint(anchor.left(), anchor.bottom() + 1), size);
    const int roomBelow = available.bottom() - anchor.bottom();
    const int roomAbove = anchor.top() - available.top();
    if (size.height() > roomBelow && roomAbove > roomBelow)
        frame.moveBottom(anchor.top() - 1);
    if (frame.right() > available.right())
        frame.moveRight(anchor.right());
    return inside(frame, available);
}

bool TrayPresence::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_menu.get() && event->type() == QEvent::Resize && m_menu->isVisible())
        place();
    return QObject::eventFilter(watched, event);
}

void TrayPresence::placeAtAnchor()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    const QScreen *screen = QGuiApplication::screenAt(m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    m_menu->move(popupFrame(m_menu->frameGeometry().size(), m_anchor, screen->availableGeometry())
                     .topLeft());
}

void TrayPresence::place()
{
    if (m_tray) {
        placeAtAnchor();
        return;
    }
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    // A window stays where it is, moved by the user perhaps, unless it grew past the screen.
    const QScreen *screen = m_menu->screen();
    if (!screen || !m_menu->isVisible())
        return;
    const QRect frame = m_menu->frameGeometry();
    const QRect moved = inside(frame, screen->availableGeometry());
    if (moved.topLeft() != frame.topLeft())
        m_menu->move(m_menu->pos() + (moved.topLeft() - frame.topLeft()));
}

} // namespace Quorvel
