"""A system tray on the session bus, as Plasma (or GNOME's AppIndicator extension) serves it: the
StatusNotifierWatcher that tray icons register with. dbusmock's log file records the calls."""

import dbus

BUS_NAME = "org.kde.StatusNotifierWatcher"
MAIN_OBJ = "/StatusNotifierWatcher"
MAIN_IFACE = "org.kde.StatusNotifierWatcher"
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperties(
        MAIN_IFACE,
        {
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
            "RegisteredStatusNotifierItems": dbus.Array([], signature="s"),
        },
    )
    mock.AddMethods(
        MAIN_IFACE,
        [
            ("RegisterStatusNotifierItem", "s", "", ""),
            ("RegisterStatusNotifierHost", "s", "", ""),
        ],
    )
