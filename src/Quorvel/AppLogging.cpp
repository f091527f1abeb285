#include "Quorvel/AppLogging.h"

Q_LOGGING_CATEGORY(lcApp, "Quorvel.App", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAppLoginItem, "Quorvel.LoginItem", QtInfoMsg)
