#include "Quorvel/SharedClientModel.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelHostKit/Service/HostDisplayName.h"

#include <QCoreApplication>

namespace Quorvel {

ClientModel &sharedClientModel()
{
    static ClientModel *const model = new ClientModel(hostDisplayName(), KeychainTokenStore(), true,
                                                      {}, QCoreApplication::instance());
    return *model;
}

} // namespace Quorvel
