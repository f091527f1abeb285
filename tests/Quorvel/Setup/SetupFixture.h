#pragma once

#include "Quorvel/AppState.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include "ClientTestSupport.h"
#include "AppTestSupport.h"

#include <memory>
#include <optional>

namespace Quorvel::SetupTest {

using AppTest::storeRoles;

inline QVariant stored(const QString &key)
{
    return openClientSettings()->value(key);
}

// An application state over a real client model and real host coordinators in the test's
// private settings, keyring and session bus. Start at login goes to a stand-in systemctl that
// records its calls, or, with realSystemctl, to `systemctl --user` in the private
// XDG_CONFIG_HOME.
struct SetupApp {
    enum class Systemctl { standIn, real };

    explicit SetupApp(Systemctl systemctl = Systemctl::standIn, LaunchRequest launch = {})
        : model(QStringLiteral("Remote"), KeychainTokenStore(), true, ClientTest::fastTimings())
    {
        AppState::Options options;
        options.model = &model;
        if (systemctl == Systemctl::standIn)
            options = AppTest::standInOptions(model, standIn.emplace());
        options.launch = std::move(launch);
        state = std::make_unique<AppState>(std::move(options));
    }

    std::optional<AppTest::StandInSystemctl> standIn;
    ClientModel model;
    std::unique_ptr<AppState> state;
};

} // namespace Quorvel::SetupTest
