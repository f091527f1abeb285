#include "AppTestSupport.h"

#include "Quorvel/AppRoles.h"
#include "QuorvelClientUI/ClientSettings.h"

namespace Quorvel::AppTest {

void storeRoles(bool remote, bool hosting, bool onboarded)
{
    const auto settings = openClientSettings();
    settings->setValue(AppRoles::remoteKey, remote);
    settings->setValue(AppRoles::hostingKey, hosting);
    settings->setValue(AppRoles::onboardedKey, onboarded);
    settings->sync();
}

AppState::Options standInOptions(ClientModel &model, const StandInSystemctl &systemctl)
{
    AppState::Options options;
    options.model = &model;
    options.loginAgent.systemctl = systemctl.path();
    options.loginAgent.unitFolder = systemctl.unitFolder();
    return options;
}

} // namespace Quorvel::AppTest
