#include "QuorvelClientUI/ClientUILogging.h"

// Debug lines stay off unless QT_LOGGING_RULES asks for them: the host polls checks every few
// seconds and would otherwise print for each one.
Q_LOGGING_CATEGORY(lcClientModel, "Quorvel.ClientModel", QtInfoMsg)
Q_LOGGING_CATEGORY(lcClientModelPath, "Quorvel.ClientModel.path", QtInfoMsg)
Q_LOGGING_CATEGORY(lcActionSharing, "Quorvel.ActionSharing", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDeckEditor, "Quorvel.DeckEditor", QtInfoMsg)
