#pragma once

#include <QLoggingCategory>

// One category per component, named "Quorvel.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcHostBrowser)
Q_DECLARE_LOGGING_CATEGORY(lcHostConnection)
Q_DECLARE_LOGGING_CATEGORY(lcHostServer)
Q_DECLARE_LOGGING_CATEGORY(lcBonjourResolver)
Q_DECLARE_LOGGING_CATEGORY(lcLocalNetwork)
Q_DECLARE_LOGGING_CATEGORY(lcKeychain)
