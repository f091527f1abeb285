#include "Platform/PlatformLogging.h"

// Debug lines stay off unless QT_LOGGING_RULES asks for them: the host polls checks every few
// seconds and would otherwise print for each one.
Q_LOGGING_CATEGORY(lcAvahi, "Quorvel.Avahi", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPower, "Quorvel.Power", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDesktop, "Quorvel.Desktop", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFiles, "Quorvel.Files", QtInfoMsg)
