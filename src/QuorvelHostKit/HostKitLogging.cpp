#include "QuorvelHostKit/HostKitLogging.h"

// Debug lines stay off unless QT_LOGGING_RULES asks for them: the host polls checks every few
// seconds and would otherwise print for each one.
Q_LOGGING_CATEGORY(lcSystemExecutor, "Quorvel.SystemExecutor", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStateMonitor, "Quorvel.StateMonitor", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAppControls, "Quorvel.AppControls", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHostCoordinator, "Quorvel.HostCoordinator", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDeckStore, "Quorvel.DeckStore", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDeckWatcher, "Quorvel.DeckWatcher", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHostTokenStore, "Quorvel.HostTokenStore", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSleepPreventer, "Quorvel.SleepPreventer", QtInfoMsg)
