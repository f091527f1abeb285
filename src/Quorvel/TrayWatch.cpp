#include "Quorvel/TrayWatch.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace Quorvel {

namespace {

const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

xcb_connection_t *x11(void *connection)
{
    return static_cast<xcb_connection_t *>(connection);
}

xcb_atom_t atom(xcb_connection_t *connection, const QByteArray &name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 0, uint16_t(name.size()), name.data()),
                              nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The X screen the program runs on, as DISPLAY names it (":1.0"; ":1" is screen 0).
int screenNumber()
{
    const QString display = qEnvironmentVariable("DISPLAY");
    const qsizetype colon = display.lastIndexOf(u':');
    const qsizetype dot = display.lastIndexOf(u'.');
    return dot > colon ? display.mid(dot + 1).toInt() : 0;
}

} // namespace

TrayWatch::TrayWatch(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus)),
      m_services(watcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_services, &QDBusServiceWatcher::serviceRegistered, this,
            [this] { askWatcher(false); });
    connect(&m_services, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { m_watcherHasHost = false; });
    // A watcher that starts without a host says so when the panel's host registers.
    m_bus.connect(watcherService, watcherPath, watcherService,
                  QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
    if (m_bus.interface() && m_bus.interface()->isServiceRegistered(watcherService))
        askWatcher(true);
    watchXEmbed();
}

TrayWatch::~TrayWatch()
{
    if (m_xcb)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TrayWatch::available() const
{
    return m_watcherHasHost || xembedOwned();
}

void TrayWatch::askWatcher(bool wait)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get.setArguments({watcherService, QStringLiteral("IsStatusNotifierHostRegistered")});
    auto *pending = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                const QDBusPendingReply<QDBusVariant> reply = *call;
                call->deleteLater();
                if (reply.isValid())
                    setWatcherHasHost(reply.value().variant().toBool());
            });
    if (wait)
        pending->waitForFinished();
}

void TrayWatch::hostRegistered()
{
    setWatcherHasHost(true);
}

void TrayWatch::setWatcherHasHost(bool hasHost)
{
    const bool started = hasHost && !m_watcherHasHost;
    m_watcherHasHost = hasHost;
    if (started)
        emit trayStarted();
}

void TrayWatch::watchXEmbed()
{
    // Only the X11 platform: the offscreen one answers for X11 too, without a connection.
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = native ? native->connection() : nullptr;
    if (!connection)
        return;
    m_selection = atom(connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber()));
    m_manager = atom(connection, "MANAGER");
    if (m_selection == XCB_ATOM_NONE || m_manager == XCB_ATOM_NONE)
        return;
    m_xcb = connection;
    // A tray that takes the selection says so to every client listening for structure changes
    // on the root window (the MANAGER message); Qt listens already, and this makes sure of it.
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = screenNumber(); index > 0 && screens.rem > 1; --index)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, root),
                                        nullptr),
        &std::free);
    if (attributes && !(attributes->your_event_mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY)) {
        const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool TrayWatch::xembedOwned() const
{
    if (!m_xcb)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(x11(m_xcb), xcb_get_selection_owner(x11(m_xcb), m_selection),
                                      nullptr),
        &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

bool TrayWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *client = static_cast<const xcb_client_message_event_t *>(message);
    if (client->type == m_manager && client->format == 32 && client->data.data32[1] == m_selection)
        emit trayStarted();
    return false;
}

} // namespace Quorvel
