#include "HostTestSupport.h"
#include "LogCapture.h"
#include "SmallDiskFiller.h"

#include "QuorvelHostKit/Service/HostStatusFile.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace Quorvel;
using namespace Quorvel::HostTest;
using namespace std::chrono_literals;

namespace {

QString folderFile(const char *name)
{
    return HostTokenStore::folderPath() + u'/' + QLatin1String(name);
}

QJsonObject statusFile()
{
    return QJsonDocument::fromJson(readFile(folderFile(HostStatusFile::fileName))).object();
}

bool writeStatus(const QByteArray &bytes)
{
    QFile file(folderFile(HostStatusFile::fileName));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

// The host's files whose writes a full disk refused catch up once there is room: the code and id
// the running host uses are the ones stored, and the status file tells the running state.
class HostFilesFullDiskTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("QUORVEL_SMALL_DISK"), "runs in the small-disk sandbox");
        QVERIFY(m_deckDir.isValid());
        const QString deckPath = m_deckDir.filePath(QStringLiteral("deck.json"));
        QVERIFY(writeDeckFile(deckPath, Deck{QStringLiteral("Desk"), {}}));
        qputenv("QUORVEL_DECK", QFile::encodeName(deckPath));
        qunsetenv(HostTokenStore::environmentKey);
    }

    void init()
    {
        QDir(HostTokenStore::folderPath()).removeRecursively();
        QVERIFY(QDir().mkpath(HostTokenStore::folderPath()));
    }

    // A first start on a full disk: nothing can be stored, and the status file of the last run
    // says stopped. Once there is room, every file follows without waiting for a change, and
    // the next start pairs with the same code under the same id.
    void aFirstStartOnAFullDiskCatchesUp()
    {
        QVERIFY(writeStatus(R"({"listener": "stopped"})"));
        std::optional<SmallDiskFiller> filler(std::in_place, 0);
        QVERIFY(filler->filled());
        auto host = startHost();
        QVERIFY(waitFor([&] { return host->port().has_value(); }));
        QVERIFY(!QFile::exists(HostTokenStore::tokenFilePath()));
        QVERIFY(!QFile::exists(folderFile(HostTokenStore::hostIDFileName)));
        QCOMPARE(statusFile().value("listener").toString(), QStringLiteral("stopped"));
        QVERIFY(!host->pairingCodeSaved());

        filler.reset();
        const QString listening = QStringLiteral("listening on :%1").arg(*host->port());
        QTRY_COMPARE_WITH_TIMEOUT(readFile(HostTokenStore::tokenFilePath()),
                                  host->pairingToken().normalized().toUtf8(), waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(readFile(folderFile(HostTokenStore::hostIDFileName)),
                                  host->hostID().toUtf8(), waitMilliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(statusFile().value("listener").toString(), listening,
                                  waitMilliseconds);
        QCOMPARE(statusFile().value("port").toInt(), int(*host->port()));
        QVERIFY(host->pairingCodeSaved());

        const PairingToken code = host->pairingToken();
        const QString id = host->hostID();
        host.reset();
        const auto next = startHost();
        QCOMPARE(next->pairingToken(), code);
        QCOMPARE(next->hostID(), id);
    }

    // A new code made while the disk is full is stored once there is room.
    void aNewCodeOnAFullDiskCatchesUp()
    {
        auto host = startHost();
        QVERIFY(waitFor([&] { return host->port().has_value(); }));
        const QByteArray before = readFile(HostTokenStore::tokenFilePath());
        QCOMPARE(before, host->pairingToken().normalized().toUtf8());

        std::optional<SmallDiskFiller> filler(std::in_place, 0);
        QVERIFY(filler->filled());
        QVERIFY(!host->rotatePairingCode());
        QVERIFY(!host->pairingCodeSaved());
        QCOMPARE(readFile(HostTokenStore::tokenFilePath()), before);

        filler.reset();
        QTRY_COMPARE_WITH_TIMEOUT(readFile(HostTokenStore::tokenFilePath()),
                                  host->pairingToken().normalized().toUtf8(), waitMilliseconds);
        QVERIFY(host->pairingCodeSaved());
    }

    // A host stopped while the disk is full can't write "stopped": the status file must not go
    // on saying that it listens, for a script or the next start's report would believe it, also
    // after the program is gone. Once there is room, the running program writes "stopped".
    void aHostStoppedOnAFullDiskClaimsNoListener()
    {
        auto host = startHost();
        QVERIFY(waitFor([&] { return host->port().has_value(); }));
        QTRY_COMPARE_WITH_TIMEOUT(statusFile().value("listener").toString(),
                                  QStringLiteral("listening on :%1").arg(*host->port()),
                                  waitMilliseconds);

        std::optional<SmallDiskFiller> filler(std::in_place, 0);
        QVERIFY(filler->filled());
        LogCapture log;
        host->stop();
        QVERIFY(!QFile::exists(folderFile(HostStatusFile::fileName)));
        QVERIFY2(log.mentions(QStringLiteral("Removed ") + folderFile(HostStatusFile::fileName)),
                 qPrintable(log.lines().join(u'\n')));

        filler.reset();
        QTRY_COMPARE_WITH_TIMEOUT(statusFile().value("listener").toString(),
                                  QStringLiteral("stopped"), waitMilliseconds);
    }

private:
    std::unique_ptr<HostCoordinator> startHost()
    {
        HostCoordinator::Options options;
        options.discovery = &m_network;
        // Quick retries, so that the test need not wait the real half seconds.
        options.fileRetry = {10ms, 100ms};
        auto host = std::make_unique<HostCoordinator>(options);
        host->start();
        return host;
    }

    QTemporaryDir m_deckDir;
    Testing::FakeServiceNetwork m_network;
};

QTEST_GUILESS_MAIN(HostFilesFullDiskTest)
#include "HostFilesFullDiskTest.moc"
