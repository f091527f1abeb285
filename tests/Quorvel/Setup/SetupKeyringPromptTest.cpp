#include "Quorvel/EditorWindows.h"
#include "Quorvel/Setup/OnboardingWindow.h"
#include "Quorvel/Setup/RemoteStepPage.h"
#include "Quorvel/Setup/RoleChoice.h"
#include "Quorvel/Setup/WelcomePage.h"
#include "QuorvelClientUI/Views/Editor/Banner.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorWindow.h"
#include "QuorvelClientUI/Views/PairingView.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "SetupFixture.h"
#include "StandInSecretService.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::SetupTest;
using Status = ClientConnectionStatus;

namespace {

// The keyring's question outlasts any time-out, since only the test answers it.
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

PairingView *pairingOf(const OnboardingWindow &window)
{
    const auto *page = qobject_cast<RemoteStepPage *>(window.page());
    return page ? page->pairingView() : nullptr;
}

} // namespace

// The set-up's pairing step and this computer's own editor while the keyring asks the user a
// question first (a password for a new keyring): each says why it waits, says so when the
// question is dismissed, and takes the code again, which then connects once it is answered.
class SetupKeyringPromptTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_keyring.start()); }
    void init();
    void pairingStepSaysWhatTheKeyringDoes();
    void thisComputersEditorSaysTheKeyringRefused();

private:
    StandInSecretService m_keyring;
};

void SetupKeyringPromptTest::init()
{
    m_keyring.reset();
    openClientSettings()->clear();
    storeRoles(false, false, false);
}

void SetupKeyringPromptTest::pairingStepSaysWhatTheKeyringDoes()
{
    SetupApp app;
    QList<Status> statuses;
    connect(&app.model, &ClientModel::statusChanged, this,
            [&statuses, &app] { statuses.append(app.model.status()); });
    OnboardingWindow window(*app.state, {});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    qobject_cast<WelcomePage *>(window.page())->remoteChoice()->click();
    window.primaryButton()->click();
    window.primaryButton()->click();
    const DiscoveredHost host = studio();
    app.model.connectTo(host);
    QTRY_VERIFY_WITH_TIMEOUT(pairingOf(window), answerLimitMs);

    const auto enterCode = [&window] {
        QLineEdit *field = pairingOf(window)->field();
        field->setText(PairingToken::generate().displayText());
        QTest::keyClick(field, Qt::Key_Return);
    };
    enterCode();
    QCOMPARE(pairingOf(window)->reasonText(), ClientModel::keyringWaitText);
    QTRY_VERIFY_WITH_TIMEOUT(m_keyring.asking(), answerLimitMs);
    QCOMPARE(pairingOf(window)->reasonText(), ClientModel::keyringWaitText);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Keychain save failed in local"));
    m_keyring.answer(true);
    QTRY_COMPARE_WITH_TIMEOUT(app.model.status(),
                              Status::needsPairing(host, ClientModel::keyringRefusedText),
                              answerLimitMs);
    QCOMPARE(pairingOf(window)->reasonText(), ClientModel::keyringRefusedText);

    // Trying again asks the keyring again; answered, the code is saved and used.
    enterCode();
    QCOMPARE(pairingOf(window)->reasonText(), ClientModel::keyringWaitText);
    QTRY_VERIFY_WITH_TIMEOUT(m_keyring.asking(), answerLimitMs);
    m_keyring.answer(false);
    QTRY_VERIFY_WITH_TIMEOUT(statuses.contains(Status::connecting(host)), answerLimitMs);
    QCOMPARE(m_keyring.storedItems(), 1);
    app.model.disconnectFromHost();
}

// Its first-use question dismissed, the keyring has no code for the editor to connect with: the
// editor says so, not only that the host needs pairing, and "Try Again" saves the code again.
void SetupKeyringPromptTest::thisComputersEditorSaysTheKeyringRefused()
{
    storeRoles(false, true);
    SetupApp app;
    EditorWindows editors(*app.state);
    HostCoordinator *host = app.state->host();
    QVERIFY(host);
    QTRY_VERIFY_WITH_TIMEOUT(host->port().value_or(0) != 0, answerLimitMs);
    app.state->openLocalEditor();
    auto *window =
        qobject_cast<DeckEditorWindow *>(app.state->windows().window(WindowTable::localEditor));
    QVERIFY(window);
    DeckEditorView *view = window->view();
    ClientModel &model = editors.localEditor().model();

    QTRY_VERIFY_WITH_TIMEOUT(m_keyring.asking(), answerLimitMs);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Keychain save failed in local"));
    m_keyring.answer(true);
    QTRY_COMPARE_WITH_TIMEOUT(model.status().reason(),
                              std::optional(ClientModel::keyringRefusedText), answerLimitMs);
    QCOMPARE(view->notConnectedText(), QStringLiteral("Not connected to ") + host->hostName() +
                                           QStringLiteral(". ") + ClientModel::keyringRefusedText);
    QVERIFY(view->retryButton()->isVisible());

    view->retryButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_keyring.asking(), answerLimitMs);
    m_keyring.answer(false);
    QTRY_VERIFY_WITH_TIMEOUT(model.isConnected(), answerLimitMs);
    QVERIFY(view->notConnectedBanner()->isHidden());
}

QTEST_MAIN(SetupKeyringPromptTest)
#include "SetupKeyringPromptTest.moc"
