#pragma once

#include <QLoggingCategory>

// One category per component of the remote client, named "Quorvel.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcClientModel)
Q_DECLARE_LOGGING_CATEGORY(lcClientModelPath)
Q_DECLARE_LOGGING_CATEGORY(lcActionSharing)
Q_DECLARE_LOGGING_CATEGORY(lcDeckEditor)
