#include "Platform/Session/SessionLogging.h"

Q_LOGGING_CATEGORY(lcLoginItem, "Quorvel.LoginItem", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInstance, "Quorvel.Instance", QtInfoMsg)
