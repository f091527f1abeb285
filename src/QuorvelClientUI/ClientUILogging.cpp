#include "QuorvelClientUI/ClientUILogging.h"

Q_LOGGING_CATEGORY(lcClientModel, "Quorvel.ClientModel")
Q_LOGGING_CATEGORY(lcClientModelPath, "Quorvel.ClientModel.path")
Q_LOGGING_CATEGORY(lcActionSharing, "Quorvel.ActionSharing")
