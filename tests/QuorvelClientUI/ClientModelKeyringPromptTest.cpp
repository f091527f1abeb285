#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/PairingView.h"

#include "StandInSecretService.h"

#include <QLineEdit>
#include <QTest>

using namespace Quorvel;
using Status = ClientModel::ConnectionStatus;

namespace {

// The keyring's question outlasts any time-out, since only the test answers it; the code read
// back once it is saved must not, so the store keeps the program's own time-out.
constexpr std::chrono::milliseconds keyringTimeout = KeychainTokenStore::defaultTimeout;
// Far beyond it: a step that has not happened by then never will.
constexpr int answerLimitMs = 30000;

DiscoveredHost studio()
{
    DiscoveredHost host;
    host.name = QStringLiteral("Studio");
    host.id = QStringLiteral("Studio._quorvel._tcp.local.");
    // Nothing listens there: the test only watches the model start connecting.
    host.endpoint = HostPortEndpoint{QStringLiteral("127.0.0.1"), 9};
    host.protocolVersion = 2;
    host.hostID = QStringLiteral("5A0C4E1B-1D0E-4A55-9A51-7C1B0E4C2F11");
    return host;
}

} // namespace

// A code entered while the keyring asks the user a question first (a password for a new
// keyring): from the moment Pair is pressed the pairing view says it waits for the keyring, then
// the remote connects once the question is answered, or says the code was not saved when the
// question is dismissed.
class ClientModelKeyringPromptTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_keyring.start()); }
    void init() { m_keyring.reset(); }
    void enteredCodeWaitsForTheKeyring_data();
    void enteredCodeWaitsForTheKeyring();

private:
    StandInSecretService m_keyring;
};

void ClientModelKeyringPromptTest::enteredCodeWaitsForTheKeyring_data()
{
    QTest::addColumn<bool>("dismissed");
    QTest::newRow("answered") << false;
    QTest::newRow("dismissed") << true;
}

void ClientModelKeyringPromptTest::enteredCodeWaitsForTheKeyring()
{
    QFETCH(bool, dismissed);
    ClientModel model(QStringLiteral("Remote"),
                      KeychainTokenStore(KeychainTokenStore::defaultService, keyringTimeout),
                      false);
    // Every status the model passes through: connecting lasts only until nothing answers on the
    // host's port, so it is looked for among them rather than caught as the current one.
    QList<Status> statuses;
    connect(&model, &ClientModel::statusChanged, &model,
            [&statuses, &model] { statuses.append(model.status()); });
    const DiscoveredHost host = studio();
    ClientRootView root(&model);
    PairingView *const pairing = root.pairingView();
    pairing->setHost(host, std::nullopt);
    pairing->field()->setText(PairingToken::generate().displayText());
    pairing->submit();

    // The code has left the field: the view says where it went at once, not only once the
    // keyring has been slow for a while, and it says so for as long as the question is open.
    const Status waiting = Status::needsPairing(host, ClientModel::keyringWaitText);
    QCOMPARE(model.status(), waiting);
    QVERIFY(pairing->field()->text().isEmpty());
    QCOMPARE(pairing->reasonText(), ClientModel::keyringWaitText);
    QTRY_VERIFY_WITH_TIMEOUT(m_keyring.asking(), answerLimitMs);
    QCOMPARE(model.status(), waiting);
    QCOMPARE(pairing->reasonText(), ClientModel::keyringWaitText);

    if (dismissed)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Keychain save failed in local"));
    m_keyring.answer(dismissed);
    if (dismissed) {
        QTRY_COMPARE_WITH_TIMEOUT(
            model.status(),
            Status::needsPairing(host, QStringLiteral("Couldn't save the code to the keyring.")),
            answerLimitMs);
        QVERIFY(!statuses.contains(Status::connecting(host)));
    } else {
        // Connecting means the code saved after the answer was read back for the host.
        QTRY_VERIFY_WITH_TIMEOUT(statuses.contains(Status::connecting(host)), answerLimitMs);
        QCOMPARE(m_keyring.storedItems(), 1);
    }
    model.disconnectFromHost();
}

QTEST_MAIN(ClientModelKeyringPromptTest)
#include "ClientModelKeyringPromptTest.moc"
