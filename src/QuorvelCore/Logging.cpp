#include "QuorvelCore/Logging.h"

// Debug lines stay off unless QT_LOGGING_RULES asks for them: the host polls checks every few
// seconds and would otherwise print for each one.
Q_LOGGING_CATEGORY(lcHostBrowser, "Quorvel.HostBrowser", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHostConnection, "Quorvel.HostConnection", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHostServer, "Quorvel.HostServer", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBonjourResolver, "Quorvel.BonjourResolver", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLocalNetwork, "Quorvel.LocalNetwork", QtInfoMsg)
Q_LOGGING_CATEGORY(lcKeychain, "Quorvel.Keychain", QtInfoMsg)
