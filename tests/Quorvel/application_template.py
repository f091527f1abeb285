"""A stand-in for the running program on the session bus: it owns the program's name and takes
org.freedesktop.Application calls, which dbusmock's log file records."""

import dbus

BUS_NAME = "com.vantrel.quorvel"
MAIN_OBJ = "/com/vantrel/quorvel"
MAIN_IFACE = "org.freedesktop.Application"
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddMethods(
        MAIN_IFACE,
        [
            ("Activate", "a{sv}", "", ""),
            ("Open", "asa{sv}", "", ""),
            ("ActivateAction", "sava{sv}", "", ""),
        ],
    )
