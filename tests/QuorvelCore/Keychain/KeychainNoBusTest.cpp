#include "KeychainTestSupport.h"

#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

// Long enough that an answer within the test's wait can only come from the failure itself.
constexpr std::chrono::milliseconds patientTimeout{60000};

} // namespace

// No session bus at all: every request fails at once rather than waiting for its time-out.
class KeychainNoBusTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                QByteArray("unix:path=") + m_folder.filePath("no-bus").toUtf8());
        // Without a display, D-Bus cannot autolaunch a bus of its own either.
        qunsetenv("DISPLAY");
    }

    void readGivesNoCode()
    {
        KeychainWaiter keychain{
            KeychainTokenStore(KeychainTokenStore::defaultService, patientTimeout)};
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(QStringLiteral("^Keychain read failed in local: ")));
        const auto answer = keychain.read(QStringLiteral("host"));
        QVERIFY(answer.has_value());
        QVERIFY(!answer->has_value());
    }

    void saveFails()
    {
        KeychainWaiter keychain{
            KeychainTokenStore(KeychainTokenStore::defaultService, patientTimeout)};
        QTest::ignoreMessage(
            QtCriticalMsg, QRegularExpression(QStringLiteral("^Keychain save failed in local: ")));
        QCOMPARE(keychain.save(PairingToken::generate(), QStringLiteral("host")),
                 std::optional<bool>(false));
    }

    void removeStillAnswers()
    {
        KeychainWaiter keychain{
            KeychainTokenStore(KeychainTokenStore::defaultService, patientTimeout)};
        QVERIFY(keychain.remove(QStringLiteral("host")));
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(KeychainNoBusTest)
#include "KeychainNoBusTest.moc"
