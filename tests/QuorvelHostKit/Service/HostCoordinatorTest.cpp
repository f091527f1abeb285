#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "FakeServiceNetwork.h"
#include "LogCapture.h"

#include "QuorvelCore/Link/HostConnection.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace std::chrono_literals;
using namespace Quorvel;

namespace {

const QString hostCode = QStringLiteral("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2");

// Quick watcher timings so that outside edits show within a fraction of a second.
const DeckWatcher::Timings quickWatcher{50ms, 200ms};

Deck buttonDeck(const QString &name, const QString &id)
{
    Control control;
    control.id = id;
    control.title = id;
    control.type = ControlType::button;
    control.action = Action{Action::Kind::shell, "true", std::nullopt, std::nullopt, std::nullopt};
    return Deck{name, {control}};
}

QByteArray encoded(const Deck &deck)
{
    return *WireCodec::prettyEncoder(true).encode(deck);
}

void writeByRename(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

QJsonObject statusFile()
{
    QFile file(HostTokenStore::folderPath() + "/status.json");
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString settingsPath()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Quorvel", "Quorvel").fileName();
}

// A remote's end of the link, recording what the host sends.
struct Device {
    std::unique_ptr<HostConnection> connection;
    std::vector<Message> messages;
    bool disconnected = false;

    Device(quint16 port, const QString &code)
        : connection(std::make_unique<HostConnection>("127.0.0.1", port, "Test Phone",
                                                      *PairingToken::parse(code)))
    {
        QObject::connect(connection.get(), &HostConnection::eventOccurred, connection.get(),
                         [this](const HostConnection::Event &event) {
                             if (const auto *message = std::get_if<Message>(&event)) {
                                 messages.push_back(*message);
                             } else if (std::get<HostConnection::Status>(event).kind ==
                                        HostConnection::Status::Kind::disconnected) {
                                 disconnected = true;
                             }
                         });
        connection->start();
    }

    template<typename T> QList<T> received() const
    {
        QList<T> result;
        for (const Message &message : messages) {
            if (const T *payload = message.as<T>()) {
                result.append(*payload);
            }
        }
        return result;
    }
};

} // namespace

class HostCoordinatorTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void outsideEditReachesPairedDevice();
    void invalidEditIsShownAndNotSent();
    void editThatRemovesAnActionDropsItsState();
    void ownSaveIsNotAnOutsideEdit();
    void stopEndsListenerAndKeepsActivity();
    void startSpeaksOnlyOfThisSystem();
    void listenerReportOnItsWayAtStopLeavesStopped();
    void listenerReportsShowInStatus_data();
    void listenerReportsShowInStatus();
    void editSeenAsTheHostStopsIsNotApplied();
    void unreadableDeckFileIsShownAtCreation();
    void deckEditingSettingFollowsOutsideChanges();
    void keepAwakeWhileStoppedOnlyStores();
    void rotatingTheCodeForgetsDevices();
    void activityKeepsNewestTwoHundred();

private:
    std::unique_ptr<HostCoordinator> startedCoordinator();
    // Connects a device and lets it receive broadcasts without a hello, as a paired one would.
    std::unique_ptr<Device> pairedDevice(HostCoordinator &coordinator);

    std::unique_ptr<QTemporaryDir> m_deckDir;
    QString m_deckPath;
    // Where started coordinators advertise and look for themselves.
    Quorvel::Testing::FakeServiceNetwork m_network;
};

void HostCoordinatorTest::init()
{
    QDir(HostTokenStore::folderPath()).removeRecursively();
    QFile::remove(settingsPath());
    m_deckDir = std::make_unique<QTemporaryDir>();
    m_deckPath = m_deckDir->filePath("deck.json");
    qputenv("QUORVEL_DECK", m_deckPath.toUtf8());
    qputenv("QUORVEL_TOKEN", hostCode.toUtf8());
}

void HostCoordinatorTest::cleanup()
{
    qunsetenv("QUORVEL_DECK");
    qunsetenv("QUORVEL_TOKEN");
}

std::unique_ptr<HostCoordinator> HostCoordinatorTest::startedCoordinator()
{
    HostCoordinator::Options options;
    options.deckWatcher = quickWatcher;
    options.discovery = &m_network;
    auto coordinator = std::make_unique<HostCoordinator>(options);
    coordinator->start();
    return coordinator;
}

std::unique_ptr<Device> HostCoordinatorTest::pairedDevice(HostCoordinator &coordinator)
{
    [&] { QTRY_VERIFY(coordinator.port().has_value()); }();
    auto device = std::make_unique<Device>(*coordinator.port(), hostCode);
    const auto challenged = [&] { return !device->received<Message::Challenge>().isEmpty(); };
    [&] { QTRY_VERIFY(challenged()); }();
    [&] { QTRY_COMPARE(coordinator.pendingNonces().size(), 1); }();
    coordinator.server().markAuthenticated(coordinator.pendingNonces().keys().first());
    return device;
}

void HostCoordinatorTest::outsideEditReachesPairedDevice()
{
    const Deck first = buttonDeck("First", "one");
    writeByRename(m_deckPath, encoded(first));
    auto coordinator = startedCoordinator();
    QCOMPARE(coordinator->deck(), first);
    QTRY_VERIFY(coordinator->listenerStatus().startsWith("listening on :"));
    QCOMPARE(coordinator->listenerStatus(),
             QStringLiteral("listening on :%1").arg(*coordinator->port()));
    QTRY_COMPARE(statusFile().value("listener").toString(), coordinator->listenerStatus());
    QCOMPARE(statusFile().value("port").toInt(), int(*coordinator->port()));
    QVERIFY(!statusFile().contains("deck_problem"));
    // The sandbox's own mDNS daemon lets the host see its advertisement.
    QTRY_COMPARE_WITH_TIMEOUT(coordinator->localNetwork(),
                              LocalNetworkMonitor::Status::discoverable, 10000);
    QTRY_COMPARE(statusFile().value("local_network").toString(), QStringLiteral("discoverable"));

    auto device = pairedDevice(*coordinator);
    QVERIFY(!device->disconnected);
    const Deck second = buttonDeck("Second", "two");
    QSignalSpy deckChanges(coordinator.get(), &HostCoordinator::deckChanged);
    writeByRename(m_deckPath, encoded(second));

    QTRY_COMPARE(device->received<Deck>(), QList<Deck>{second});
    QTRY_VERIFY(!device->received<Message::StateUpdate>().isEmpty());
    QCOMPARE(coordinator->deck(), second);
    QCOMPARE(deckChanges.count(), 1);
    QCOMPARE(coordinator->activity().size(), 1);
    QCOMPARE(coordinator->activity().first().summary,
             QStringLiteral("The actions file was edited"));
    QCOMPARE(coordinator->activity().first().outcome, HostActivity::Outcome::ok);
    QCOMPARE(coordinator->activity().first().device, QStringLiteral("This Computer"));
    QVERIFY(coordinator->diagnosticsText().contains("Listener: " + coordinator->listenerStatus()));
}

void HostCoordinatorTest::invalidEditIsShownAndNotSent()
{
    writeByRename(m_deckPath, encoded(buttonDeck("First", "one")));
    auto coordinator = startedCoordinator();
    auto device = pairedDevice(*coordinator);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Ignoring invalid deck.json: .*"));
    writeByRename(m_deckPath, R"({"deck_name": "Broken"})");
    QTRY_VERIFY(coordinator->deckProblem().has_value());
    const QString problem = *coordinator->deckProblem();
    QCOMPARE(problem, QStringLiteral("deck.json isn't valid: missing \"controls\""));
    QCOMPARE(coordinator->deck(), buttonDeck("First", "one"));
    const HostActivity entry = coordinator->activity().first();
    QCOMPARE(entry.summary, QStringLiteral("The actions file was edited, but not applied"));
    QCOMPARE(entry.outcome, HostActivity::Outcome::failed);
    QCOMPARE(entry.detail, problem);
    QCOMPARE(statusFile().value("deck_problem").toString(), problem);
    QVERIFY(coordinator->diagnosticsText().contains("Actions file problem: " + problem));

    // The next valid edit is the first deck the device receives, and it clears the problem.
    const Deck fixed = buttonDeck("Fixed", "two");
    writeByRename(m_deckPath, encoded(fixed));
    QTRY_COMPARE(device->received<Deck>(), QList<Deck>{fixed});
    QVERIFY(!coordinator->deckProblem().has_value());
    QTRY_VERIFY(!statusFile().contains("deck_problem"));
}

void HostCoordinatorTest::editThatRemovesAnActionDropsItsState()
{
    Deck deck = buttonDeck("Lamps", "kept");
    Control lamp;
    lamp.id = "lamp";
    lamp.title = "Lamp";
    lamp.type = ControlType::toggle;
    lamp.onAction = Action{Action::Kind::shell, "true", std::nullopt, std::nullopt, std::nullopt};
    lamp.offAction = lamp.onAction;
    lamp.statusCheck =
        StatusCheck{StatusCheck::Kind::shellExitCode, "true", std::nullopt, std::nullopt};
    deck.controls.push_back(lamp);
    writeByRename(m_deckPath, encoded(deck));
    auto coordinator = startedCoordinator();
    QTRY_VERIFY(coordinator->latestStates().contains("lamp"));
    QCOMPARE(coordinator->latestStates().value("lamp").isOn, std::optional<bool>(true));

    writeByRename(m_deckPath, encoded(buttonDeck("Lamps", "kept")));
    QTRY_COMPARE(coordinator->deck().controls.size(), size_t(1));
    QVERIFY(!coordinator->latestStates().contains("lamp"));
}

void HostCoordinatorTest::ownSaveIsNotAnOutsideEdit()
{
    writeByRename(m_deckPath, encoded(buttonDeck("First", "one")));
    auto coordinator = startedCoordinator();
    QSignalSpy checks(coordinator->deckWatcher(), &DeckWatcher::checked);
    const Deck saved = buttonDeck("Saved", "two");
    QString error;
    const auto bytes = coordinator->saveDeck(saved, "Phone", &error);
    QVERIFY2(bytes, qPrintable(error));
    QFile file(m_deckPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), *bytes);
    QCOMPARE(QDir(DeckStore::historyFolderPath()).entryList(QDir::Files).size(), 1);
    // The folder event's check and two polls have all read the saved bytes by now.
    QTRY_VERIFY(checks.count() >= 3);
    QVERIFY(coordinator->activity().isEmpty());
    QCOMPARE(coordinator->deck(), buttonDeck("First", "one"));
}

void HostCoordinatorTest::stopEndsListenerAndKeepsActivity()
{
    auto coordinator = startedCoordinator();
    auto device = pairedDevice(*coordinator);
    coordinator->addActivity(HostActivity::make("Phone", "Connected", HostActivity::Outcome::info));
    QVERIFY(coordinator->deckWatcher());
    QVERIFY(coordinator->localNetworkMonitor());

    coordinator->stop();
    QVERIFY(!coordinator->running());
    QVERIFY(!coordinator->deckWatcher());
    QVERIFY(!coordinator->localNetworkMonitor());
    QCOMPARE(coordinator->listenerStatus(), QStringLiteral("stopped"));
    QCOMPARE(statusFile().value("listener").toString(), QStringLiteral("stopped"));
    QCOMPARE(coordinator->activity().size(), 1);
    QTRY_VERIFY(device->disconnected);
    QVERIFY(QFile::exists(m_deckPath));
}

void HostCoordinatorTest::startSpeaksOnlyOfThisSystem()
{
    LogCapture log;
    auto coordinator = startedCoordinator();
    QTRY_VERIFY(coordinator->port().has_value());
    coordinator->rotatePairingCode();
    for (const QString &line : log.lines())
        QVERIFY2(!line.contains(QStringLiteral("iCloud")), qPrintable(line));
    // Readers of the status file still find both keys, with the only value they have here.
    QTRY_COMPARE(statusFile().value("pairing_in_keychain_group"), QJsonValue(false));
    QCOMPARE(statusFile().value("icloud_signed_in"), QJsonValue(false));
}

void HostCoordinatorTest::listenerReportOnItsWayAtStopLeavesStopped()
{
    auto coordinator = startedCoordinator();
    QTRY_VERIFY(coordinator->listenerStatus().startsWith("listening on :"));

    // The listener tells its state just before hosting is turned off; the coordinator hears of
    // it only afterwards.
    coordinator->server().onStateChanged(ListenerState::ready());
    coordinator->stop();
    QCoreApplication::sendPostedEvents(coordinator.get(), QEvent::MetaCall);
    QCOMPARE(coordinator->listenerStatus(), QStringLiteral("stopped"));
    QCOMPARE(statusFile().value("listener").toString(), QStringLiteral("stopped"));
}

void HostCoordinatorTest::listenerReportsShowInStatus_data()
{
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("status");
    // "%1" stands for the listener's port.
    QTest::newRow("ready") << true << QString() << "listening on :%1";
    QTest::newRow("failed") << false << "Address in use"
                            << "failed: Address in use";
}

void HostCoordinatorTest::listenerReportsShowInStatus()
{
    QFETCH(bool, ready);
    QFETCH(QString, error);
    QFETCH(QString, status);
    auto coordinator = startedCoordinator();
    QTRY_VERIFY(coordinator->listenerStatus().startsWith("listening on :"));
    QFile::remove(HostTokenStore::folderPath() + "/status.json");

    coordinator->server().onStateChanged(ready ? ListenerState::ready()
                                               : ListenerState::failed(error));
    const QString expected = status.contains("%1") ? status.arg(*coordinator->port()) : status;
    // Written even when the text stays as it was.
    QTRY_COMPARE(statusFile().value("listener").toString(), expected);
    QCOMPARE(coordinator->listenerStatus(), expected);
}

void HostCoordinatorTest::editSeenAsTheHostStopsIsNotApplied()
{
    const Deck first = buttonDeck("First", "one");
    writeByRename(m_deckPath, encoded(first));
    auto coordinator = startedCoordinator();
    HostCoordinator *host = coordinator.get();
    // Nothing checks the file between this edit and the connection below, so the first check
    // that ends after it is the one that reports the edit; hosting is turned off right then.
    writeByRename(m_deckPath, encoded(buttonDeck("Second", "two")));
    QObject::connect(coordinator->deckWatcher(), &DeckWatcher::checked, host, [host] {
        if (host->running()) {
            host->stop();
        }
    });
    QTRY_VERIFY(!coordinator->running());
    QCoreApplication::sendPostedEvents(host, QEvent::MetaCall);

    QCOMPARE(coordinator->deck(), first);
    QVERIFY(coordinator->activity().isEmpty());
}

void HostCoordinatorTest::unreadableDeckFileIsShownAtCreation()
{
    QVERIFY(QDir().mkpath(m_deckPath));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("can't read deck.json: .*"));
    HostCoordinator coordinator;
    QCOMPARE(coordinator.deck(), Deck::sample());
    QVERIFY(coordinator.deckProblem().has_value());
    QVERIFY(coordinator.deckProblem()->startsWith("can't read deck.json: "));
    QVERIFY(coordinator.diagnosticsText().contains("Actions file problem: " +
                                                   *coordinator.deckProblem()));
    QVERIFY(QFileInfo(m_deckPath).isDir());
}

void HostCoordinatorTest::deckEditingSettingFollowsOutsideChanges()
{
    auto coordinator = startedCoordinator();
    QVERIFY(!coordinator->allowDeckEditing());
    QSignalSpy changes(coordinator.get(), &HostCoordinator::allowDeckEditingChanged);

    coordinator->setAllowDeckEditing(true);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(
        QSettings(settingsPath(), QSettings::IniFormat).value("allowRemoteDeckEditing").toBool(),
        true);
    QCOMPARE(statusFile().value("deck_editing_allowed").toBool(), true);
    QCOMPARE(coordinator->hostInfo(QUuid::createUuid()).deckEditingAllowed, true);

    // Assigning the same value notifies no one but still writes the status file.
    QFile::remove(HostTokenStore::folderPath() + "/status.json");
    coordinator->setAllowDeckEditing(true);
    QCOMPARE(changes.count(), 1);
    QVERIFY(statusFile().contains("deck_editing_allowed"));

    {
        QSettings outside(settingsPath(), QSettings::IniFormat);
        outside.setValue("allowRemoteDeckEditing", false);
    }
    coordinator->writeStatusFile();
    QCOMPARE(statusFile().value("deck_editing_allowed").toBool(), false);
    QVERIFY(coordinator->allowDeckEditing());
    coordinator->reloadDeckEditingSetting();
    QVERIFY(!coordinator->allowDeckEditing());
    QCOMPARE(changes.count(), 2);
    coordinator->reloadDeckEditingSetting();
    QCOMPARE(changes.count(), 2);
}

void HostCoordinatorTest::keepAwakeWhileStoppedOnlyStores()
{
    HostCoordinator coordinator;
    QSignalSpy changes(&coordinator, &HostCoordinator::keepsAwakeChanged);
    coordinator.setKeepsAwake(true);
    QVERIFY(coordinator.keepsAwake());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(QSettings(settingsPath(), QSettings::IniFormat).value("keepAwake").toBool(), true);
    HostCoordinator next;
    QVERIFY(next.keepsAwake());
    QVERIFY(next.diagnosticsText().contains("Keep awake: on"));
}

void HostCoordinatorTest::rotatingTheCodeForgetsDevices()
{
    qunsetenv("QUORVEL_TOKEN");
    auto coordinator = startedCoordinator();
    QTRY_VERIFY(coordinator->port().has_value());
    const PairingToken oldCode = coordinator->pairingToken();
    auto device = std::make_unique<Device>(*coordinator->port(), oldCode.normalized());
    QTRY_COMPARE(coordinator->pendingNonces().size(), 1);

    coordinator->rotatePairingCode();
    QVERIFY(coordinator->pendingNonces().isEmpty());
    QVERIFY(coordinator->connectedClients().isEmpty());
    QVERIFY(!(coordinator->pairingToken() == oldCode));
    QCOMPARE(coordinator->activity().first().summary,
             QStringLiteral("Made a new pairing code; devices pair again"));
    QCOMPARE(coordinator->activity().first().outcome, HostActivity::Outcome::info);
    QTRY_VERIFY(device->disconnected);
    QTRY_VERIFY(coordinator->listenerStatus().startsWith("listening on :"));

    // Only the new code opens the link now.
    Device fresh(*coordinator->port(), coordinator->pairingToken().normalized());
    QTRY_VERIFY(!fresh.received<Message::Challenge>().isEmpty());
}

void HostCoordinatorTest::activityKeepsNewestTwoHundred()
{
    HostCoordinator coordinator;
    for (int i = 0; i < HostCoordinator::maxActivityEntries + 1; ++i) {
        coordinator.addActivity(
            HostActivity::make("Phone", QString::number(i), HostActivity::Outcome::ok));
    }
    QCOMPARE(coordinator.activity().size(), HostCoordinator::maxActivityEntries);
    QCOMPARE(coordinator.activity().first().summary, QStringLiteral("200"));
    QCOMPARE(coordinator.activity().last().summary, QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(HostCoordinatorTest)
#include "HostCoordinatorTest.moc"
