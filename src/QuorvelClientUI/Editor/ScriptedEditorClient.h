#pragma once

#include "QuorvelClientUI/CallerReply.h"
#include "QuorvelClientUI/Editor/DeckEditorClient.h"

#include <QPointer>

#include <deque>
#include <vector>

namespace Quorvel {

// A stand-in for the link to a host that is told what to hold and how to answer, so that the deck
// editor can be shown and tested in any state: nothing is sent anywhere.
class ScriptedEditorClient : public DeckEditorClient {
    Q_OBJECT

public:
    using DeckEditorClient::DeckEditorClient;

    ClientConnectionStatus status() const override { return m_status; }
    std::optional<Deck> deck() const override { return m_deck; }
    std::optional<HostInfo> hostInfo() const override { return m_hostInfo; }
    std::optional<HostCatalog> catalog() const override { return m_catalog; }
    // As the client model: connected, and the host allows editing.
    bool canEditDeck() const override;

    // Deck updates wait for answerUpdate() unless an answer is set here.
    void updateDeck(const Deck &deck, QObject *context,
                    std::function<void(QStringList)> onDone) override;
    void test(const Action &action, QObject *context,
              std::function<void(ClientTestOutcome)> onDone) override;
    void check(const StatusCheck &statusCheck, QObject *context,
               std::function<void(ClientTestOutcome)> onDone) override;
    void requestCatalog() override { ++m_catalogRequests; }

    // Each setter notifies.
    void setStatus(const ClientConnectionStatus &status);
    void setDeck(const std::optional<Deck> &deck);
    void setHostInfo(const std::optional<HostInfo> &info);
    void setCatalog(const std::optional<HostCatalog> &catalog);
    // Holds another deck without saying so yet, as a link whose notice is still on its way.
    void replaceDeckQuietly(const Deck &deck) { m_deck = deck; }
    // Connected to a host of that name that holds the deck and allows editing as given.
    void connectTo(const QString &hostName, const Deck &deck, bool editingAllowed = true);

    // The answer every deck update gets at once; none makes them wait.
    void setUpdateAnswer(const std::optional<QStringList> &answer) { m_updateAnswer = answer; }
    // Answers the oldest waiting deck update; false when none waits.
    bool answerUpdate(const QStringList &problems);
    // What tries and checks answer.
    void setTestOutcome(const ClientTestOutcome &outcome) { m_testOutcome = outcome; }
    // Tries and checks wait for answerTests(), as over a link, instead of being answered at once.
    void setTestsWait(bool wait) { m_testsWait = wait; }
    // Answers every waiting try and check with the outcome set, on the event loop; how many
    // waited (an answer whose receiver is gone is dropped, but counted).
    int answerTests();

    const std::vector<Deck> &sentDecks() const { return m_sentDecks; }
    int waitingUpdates() const { return int(m_waitingUpdates.size()); }
    int waitingTests() const { return int(m_waitingTests.size()); }
    int catalogRequests() const { return m_catalogRequests; }

private:
    struct WaitingUpdate {
        QPointer<QObject> context;
        std::function<void(QStringList)> onDone;
    };

    void answerTest(QObject *context, std::function<void(ClientTestOutcome)> onDone);

    ClientConnectionStatus m_status = ClientConnectionStatus::idle();
    std::optional<Deck> m_deck;
    std::optional<HostInfo> m_hostInfo;
    std::optional<HostCatalog> m_catalog;
    std::optional<QStringList> m_updateAnswer;
    ClientTestOutcome m_testOutcome = ClientTestOutcome::action(true, QString());
    bool m_testsWait = false;
    std::vector<CallerReply<ClientTestOutcome>> m_waitingTests;
    std::vector<Deck> m_sentDecks;
    std::deque<WaitingUpdate> m_waitingUpdates;
    int m_catalogRequests = 0;
};

} // namespace Quorvel
