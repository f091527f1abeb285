#pragma once

#include "ClientTestSupport.h"
#include "RunnerHost.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Editor/ClientModelEditorClient.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"

namespace Quorvel::ClientTest {

// A deck editor on a client model connected to a host-runner.
class RunnerSession {
public:
    explicit RunnerSession(ClientTimings timings = fastTimings());

    // Pairs with the runner, waits until it allows editing and opens the editor on its deck.
    bool open(RunnerHost &runner);
    void retitle(int index, const QString &title);

    ClientModel model;
    ClientModelEditorClient client{model};
    DeckEditorModel editor{client};
};

} // namespace Quorvel::ClientTest
