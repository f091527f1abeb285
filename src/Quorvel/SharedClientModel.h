#pragma once

namespace Quorvel {

class ClientModel;

// The process's one remote-client model, shared by the menu, the scripting interface, the links
// and the action sharing. Made on first use under a once-guard, remembering its hosts and caching
// the last deck; it belongs to the application object and goes with it.
ClientModel &sharedClientModel();

} // namespace Quorvel
