#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include "StandInSecretService.h"

#include <QSignalSpy>
#include <QTest>

using namespace Quorvel;

namespace {

// Short, so that the keyring's question outlasts it at once.
constexpr std::chrono::milliseconds shortTimeout{200};
// Far beyond it: a save that has not answered by then never will.
constexpr int answerLimitMs = 20000;

} // namespace

// Saving into a keyring that first asks the user a question (a password for a new default
// keyring): the store waits for the answer however long it takes, and fails only when the
// keyring refuses or the question is dismissed.
class KeychainPromptTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_keyring.start()); }
    void init() { m_keyring.reset(); }
    void saveWaitsForTheKeyringsQuestion_data();
    void saveWaitsForTheKeyringsQuestion();
    void withoutAWaitTheTimeOutStillFails();

private:
    StandInSecretService m_keyring;
};

void KeychainPromptTest::saveWaitsForTheKeyringsQuestion_data()
{
    QTest::addColumn<bool>("dismissed");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("saved");
    QTest::newRow("answered late") << false << false << true;
    // After this row the job that libsecret never finishes is out of QtKeychain's one-at-a-time
    // queue: the next row's save runs at all.
    QTest::newRow("dismissed") << true << false << false;
    QTest::newRow("refused after the answer") << false << true << false;
}

void KeychainPromptTest::saveWaitsForTheKeyringsQuestion()
{
    QFETCH(bool, dismissed);
    QFETCH(bool, refused);
    m_keyring.setRefusesItems(refused);
    const KeychainTokenStore store(KeychainTokenStore::defaultService, shortTimeout);
    QObject context;
    std::optional<bool> saved;
    int waits = 0;
    QTest::ignoreMessage(QtInfoMsg, "Keychain save waits for the keyring in local");
    store.save(
        PairingToken::generate(), QStringLiteral("host"), &context,
        [&saved](bool answer) { saved = answer; }, [&waits] { ++waits; });

    QTRY_VERIFY_WITH_TIMEOUT(m_keyring.asking(), answerLimitMs);
    QTRY_COMPARE_WITH_TIMEOUT(waits, 1, answerLimitMs);
    QVERIFY(!saved.has_value());

    const int storedBefore = m_keyring.storedItems();
    if (dismissed || refused)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Keychain save failed in local"));
    m_keyring.answer(dismissed);
    QTRY_VERIFY_WITH_TIMEOUT(saved.has_value(), answerLimitMs);
    QTEST(*saved, "saved");
    QCOMPARE(m_keyring.storedItems() - storedBefore, *saved ? 1 : 0);
    QCOMPARE(waits, 1);
}

void KeychainPromptTest::withoutAWaitTheTimeOutStillFails()
{
    // The host's own saves keep the plain time-out.
    const KeychainTokenStore store(KeychainTokenStore::defaultService, shortTimeout);
    QObject context;
    std::optional<bool> saved;
    QTest::ignoreMessage(QtCriticalMsg, "Keychain save timed out in local");
    store.save(PairingToken::generate(), QStringLiteral("host"), &context,
               [&saved](bool answer) { saved = answer; });
    QTRY_VERIFY_WITH_TIMEOUT(saved.has_value(), answerLimitMs);
    QCOMPARE(*saved, false);
    // The question goes on without us: answer it, so it is not left open.
    QTRY_VERIFY_WITH_TIMEOUT(m_keyring.asking(), answerLimitMs);
    m_keyring.answer(false);
}

QTEST_GUILESS_MAIN(KeychainPromptTest)
#include "KeychainPromptTest.moc"
