#include "QuorvelCore/Logging.h"

Q_LOGGING_CATEGORY(lcHostBrowser, "Quorvel.HostBrowser")
Q_LOGGING_CATEGORY(lcHostConnection, "Quorvel.HostConnection")
Q_LOGGING_CATEGORY(lcHostServer, "Quorvel.HostServer")
Q_LOGGING_CATEGORY(lcBonjourResolver, "Quorvel.BonjourResolver")
Q_LOGGING_CATEGORY(lcLocalNetwork, "Quorvel.LocalNetwork")
Q_LOGGING_CATEGORY(lcKeychain, "Quorvel.Keychain")
