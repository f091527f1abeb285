#pragma once

#include "Quorvel/AppState.h"

#include "StandInSystemctl.h"

namespace Quorvel {
class ClientModel;
}

namespace Quorvel::AppTest {

// Stores the roles in the client settings as a set-up would leave them, written through at once
// so that a program started next reads them.
void storeRoles(bool remote, bool hosting, bool onboarded = true);

// The options of an application state over the test's client model, whose start at login goes
// to the stand-in systemctl.
AppState::Options standInOptions(ClientModel &model, const StandInSystemctl &systemctl);

} // namespace Quorvel::AppTest
