#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"

#include <utility>

namespace Quorvel {

namespace {

// The advertised service type and domain that follow a host's name in its id.
const QString serviceSuffix = QStringLiteral("._quorvel._tcp.local.");

} // namespace

bool ScriptedEditorClient::canEditDeck() const
{
    return m_status.kind() == ClientConnectionStatus::Kind::connected && m_hostInfo &&
           m_hostInfo->deckEditingAllowed;
}

void ScriptedEditorClient::updateDeck(const Deck &deck, QObject *context,
                                      std::function<void(QStringList)> onDone)
{
    m_sentDecks.push_back(deck);
    if (m_updateAnswer) {
        CallerReply(context, std::move(onDone))(*m_updateAnswer);
        return;
    }
    m_waitingUpdates.push_back(WaitingUpdate{context, std::move(onDone)});
}

void ScriptedEditorClient::test(const Action &, QObject *context,
                                std::function<void(ClientTestOutcome)> onDone)
{
    answerTest(context, std::move(onDone));
}

void ScriptedEditorClient::check(const StatusCheck &, QObject *context,
                                 std::function<void(ClientTestOutcome)> onDone)
{
    answerTest(context, std::move(onDone));
}

void ScriptedEditorClient::answerTest(QObject *context,
                                      std::function<void(ClientTestOutcome)> onDone)
{
    CallerReply answer(context, std::move(onDone));
    if (m_testsWait)
        m_waitingTests.push_back(std::move(answer));
    else
        answer(m_testOutcome);
}

int ScriptedEditorClient::answerTests()
{
    const auto waiting = std::exchange(m_waitingTests, {});
    for (const CallerReply<ClientTestOutcome> &answer : waiting)
        answer(m_testOutcome);
    return int(waiting.size());
}

void ScriptedEditorClient::setStatus(const ClientConnectionStatus &status)
{
    m_status = status;
    emit statusChanged();
}

void ScriptedEditorClient::setDeck(const std::optional<Deck> &deck)
{
    m_deck = deck;
    emit deckChanged();
}

void ScriptedEditorClient::setHostInfo(const std::optional<HostInfo> &info)
{
    m_hostInfo = info;
    emit hostInfoChanged();
}

void ScriptedEditorClient::setCatalog(const std::optional<HostCatalog> &catalog)
{
    m_catalog = catalog;
    emit catalogChanged();
}

void ScriptedEditorClient::connectTo(const QString &hostName, const Deck &deck, bool editingAllowed)
{
    DiscoveredHost host;
    host.name = hostName;
    host.id = hostName + serviceSuffix;
    setStatus(ClientConnectionStatus::connecting(host));
    setHostInfo(HostInfo{hostName, QStringLiteral("1.0"), editingAllowed});
    setDeck(deck);
    setStatus(ClientConnectionStatus::connected(host));
}

bool ScriptedEditorClient::answerUpdate(const QStringList &problems)
{
    if (m_waitingUpdates.empty())
        return false;
    const WaitingUpdate update = std::move(m_waitingUpdates.front());
    m_waitingUpdates.pop_front();
    if (update.context)
        update.onDone(problems);
    return true;
}

} // namespace Quorvel
