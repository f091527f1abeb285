#include "KeychainTestSupport.h"

#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

// Short, so the test is quick; the point is that the store gives up on its own.
constexpr std::chrono::milliseconds shortTimeout{300};
// How long a private bus daemon may take to print its address.
constexpr int busStartLimitMs = 10000;

// Owns every call made to it and never answers: a Secret Service that hangs, as a keyring
// waiting on an unlock prompt nobody sees does.
class SilentService : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &, const QDBusConnection &) override
    {
        ++calls;
        return true;
    }
    int calls = 0;
};

} // namespace

class KeychainSilentServiceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        const QString config = m_folder.filePath("bus.conf");
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                "busconfig.dtd\">\n<busconfig><type>session</type>"
                "<listen>unix:path=%1</listen><policy context=\"default\">"
                "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                "<allow own=\"*\"/></policy></busconfig>\n")
                .arg(m_folder.filePath("bus"))
                .toUtf8());
        file.close();

        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                     QStringLiteral("--config-file=") + config});
        QVERIFY(m_bus.waitForReadyRead(busStartLimitMs));
        const QString address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QVERIFY(!address.isEmpty());

        QDBusConnection connection = QDBusConnection::connectToBus(address, "silent-secrets");
        QVERIFY(connection.isConnected());
        QVERIFY(connection.registerVirtualObject(QStringLiteral("/"), &m_service,
                                                 QDBusConnection::SubPath));
        QVERIFY(connection.registerService(QStringLiteral("org.freedesktop.secrets")));
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus("silent-secrets");
        m_bus.kill();
        m_bus.waitForFinished();
    }

    // Requests queue behind the hung one, so each later request must give up on its own as well.
    void readGivesUpWithNoCode()
    {
        KeychainWaiter keychain{
            KeychainTokenStore(KeychainTokenStore::defaultService, shortTimeout)};
        QTest::ignoreMessage(QtWarningMsg, "Keychain read timed out in local");
        const auto answer = keychain.read(QStringLiteral("host"));
        QVERIFY(answer.has_value());
        QVERIFY(!answer->has_value());
        QVERIFY(m_service.calls > 0);
    }

    void saveGivesUpAsFailed()
    {
        KeychainWaiter keychain{
            KeychainTokenStore(KeychainTokenStore::defaultService, shortTimeout)};
        QTest::ignoreMessage(QtCriticalMsg, "Keychain save timed out in local");
        QCOMPARE(keychain.save(PairingToken::generate(), QStringLiteral("host")),
                 std::optional<bool>(false));
    }

    void removeGivesUpAndAnswers()
    {
        KeychainWaiter keychain{
            KeychainTokenStore(KeychainTokenStore::defaultService, shortTimeout)};
        QVERIFY(keychain.remove(QStringLiteral("host")));
    }

private:
    QTemporaryDir m_folder;
    QProcess m_bus;
    SilentService m_service;
};

QTEST_GUILESS_MAIN(KeychainSilentServiceTest)
#include "KeychainSilentServiceTest.moc"
