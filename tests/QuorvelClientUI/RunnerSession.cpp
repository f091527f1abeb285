#include "RunnerSession.h"

namespace Quorvel::ClientTest {

RunnerSession::RunnerSession(ClientTimings timings)
    : model("Remote", KeychainTokenStore(), false, timings)
{}

bool RunnerSession::open(RunnerHost &runner)
{
    const std::optional<DiscoveredHost> host = runner.listing();
    if (!host || !Keyring().save(firstCode(), host->stableKey()))
        return false;
    model.connectTo(*host);
    if (!QTest::qWaitFor([this] { return model.canEditDeck(); }, RunnerHost::limitMs))
        return false;
    editor.appear();
    return QTest::qWaitFor([this] { return editor.hasDeck(); }, RunnerHost::limitMs);
}

void RunnerSession::retitle(int index, const QString &title)
{
    Control control = editor.items().at(index).control;
    control.title = title;
    editor.setControl(editor.items().at(index).id, control);
}

} // namespace Quorvel::ClientTest
