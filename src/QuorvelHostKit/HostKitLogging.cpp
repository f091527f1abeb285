#include "QuorvelHostKit/HostKitLogging.h"

Q_LOGGING_CATEGORY(lcSystemExecutor, "Quorvel.SystemExecutor")
Q_LOGGING_CATEGORY(lcStateMonitor, "Quorvel.StateMonitor")
Q_LOGGING_CATEGORY(lcAppControls, "Quorvel.AppControls")
Q_LOGGING_CATEGORY(lcHostCoordinator, "Quorvel.HostCoordinator")
Q_LOGGING_CATEGORY(lcDeckStore, "Quorvel.DeckStore")
Q_LOGGING_CATEGORY(lcDeckWatcher, "Quorvel.DeckWatcher")
Q_LOGGING_CATEGORY(lcHostTokenStore, "Quorvel.HostTokenStore")
