#include "QuorvelClientUI/ActionSharing.h"

#include "ClientTestSupport.h"

#include "Knobwire/KnobwireConsumer.h"

#include <QDBusConnection>

using namespace Quorvel;
using namespace Quorvel::ClientTest;

namespace {

const QString app = ActionSharing::defaultApp;

// Notification names no other test function uses, so nothing late from an earlier one arrives.
QString freshPrefix()
{
    static int run = 0;
    return QStringLiteral("dev.knobwiretest.sharing%1").arg(++run);
}

// A consumer on a bus connection of its own, as another application would have one.
std::unique_ptr<Knobwire::KnobwireConsumer> makeConsumer(const QString &prefix)
{
    static int connection = 0;
    const QDBusConnection bus = QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("consumer%1").arg(++connection));
    auto consumer = std::make_unique<Knobwire::KnobwireConsumer>(
        "dev.test.zephlor", "Zephlor", std::nullopt,
        Knobwire::Discovery(prefix, Knobwire::NotificationCenter(bus)));
    consumer->start();
    return consumer;
}

ControlState state(const QString &id, bool isOn)
{
    ControlState result;
    result.id = id;
    result.isOn = isOn;
    result.detail = isOn ? "running" : "stopped";
    result.checkedAt = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    return result;
}

// A remote connected to a host of its own, its actions offered on a private prefix.
struct Sharing {
    Sharing()
        : host(firstCode(), sampleDeck(), uniqueHostName()),
          model("Remote", KeychainTokenStore(), true, fastTimings()), prefix(freshPrefix())
    {
        host.states = {state("fan", true)};
    }

    bool connect()
    {
        if (!host.start() || !Keyring().save(firstCode(), host.hostID()))
            return false;
        model.connectTo(host.listing());
        return QTest::qWaitFor([this] { return model.isConnected(); }, answerLimitMs);
    }

    std::unique_ptr<ActionSharing> share()
    {
        return std::make_unique<ActionSharing>(model, Knobwire::Discovery(prefix));
    }

    std::vector<Message::TriggerAction> triggers() const
    {
        std::vector<Message::TriggerAction> result;
        for (const Message &message : host.received) {
            if (const auto *trigger = message.as<Message::TriggerAction>())
                result.push_back(*trigger);
        }
        return result;
    }

    TestHost host;
    ClientModel model;
    QString prefix;
};

bool connectedWithControls(const Knobwire::KnobwireConsumer &consumer, qsizetype count)
{
    const auto provider = consumer.provider(app);
    return provider && provider->isConnected && provider->controls.size() == count;
}

} // namespace

// The host's actions offered to a real consumer on the private session bus, whose presses run
// the actions on a real host link.
class ActionSharingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void consumerSeesOneControlPerActionAndItsPressRunsTheAction()
    {
        Sharing sharing;
        QVERIFY(sharing.connect());
        const auto offered = sharing.share();
        QVERIFY(offered->isEnabled());
        const auto consumer = makeConsumer(sharing.prefix);
        QTRY_VERIFY(connectedWithControls(*consumer, 3));
        QTRY_COMPARE(offered->users(), QStringList{"Zephlor"});
        QCOMPARE(offered->statusText(), "In use by Zephlor.");

        const Knobwire::Control fan = *consumer->provider(app)->control("fan");
        QCOMPARE(fan.on, std::optional<bool>(true));
        QCOMPARE(fan.text, std::optional<QString>("running"));
        QCOMPARE(fan.group, std::optional<QString>("Studio"));

        QVERIFY(consumer->press(app, "lamp", true));
        QVERIFY(consumer->press(app, "lamp", false));
        QTRY_COMPARE(sharing.triggers().size(), size_t(1));
        QCOMPARE(sharing.triggers().at(0).controlID, "lamp");
        QCOMPARE(sharing.triggers().at(0).desiredState, std::nullopt);
        QTRY_COMPARE(sharing.model.lastNotice(), std::optional<QString>("Desk Lamp: done"));

        // A switch that is on is turned off; a readout has nothing to run.
        QVERIFY(consumer->press(app, "fan", true));
        QTRY_COMPARE(sharing.triggers().size(), size_t(2));
        QCOMPARE(sharing.triggers().at(1).desiredState, std::optional<bool>(false));
        consumer->press(app, "temp", true);
        QVERIFY(consumer->press(app, "lamp", true));
        QTRY_COMPARE(sharing.triggers().size(), size_t(3));
        QCOMPARE(sharing.triggers().at(2).controlID, "lamp");
    }

    void switchWithoutAKnownStateIsTurnedOn()
    {
        Sharing sharing;
        sharing.host.states.clear();
        QVERIFY(sharing.connect());
        const auto offered = sharing.share();
        const auto consumer = makeConsumer(sharing.prefix);
        QTRY_VERIFY(connectedWithControls(*consumer, 3));
        QVERIFY(consumer->press(app, "fan", true));
        QTRY_COMPARE(sharing.triggers().size(), size_t(1));
        QCOMPARE(sharing.triggers().at(0).desiredState, std::optional<bool>(true));
    }

    void droppedLinkKeepsTheControlsAndSaysTheHostIsNotConnected()
    {
        Sharing sharing;
        QVERIFY(sharing.connect());
        const auto offered = sharing.share();
        const auto consumer = makeConsumer(sharing.prefix);
        QTRY_VERIFY(connectedWithControls(*consumer, 3));

        sharing.host.stop();
        const QString text = sharing.host.info.hostName + " isn't connected";
        QTRY_COMPARE(consumer->provider(app)->control("lamp")->text, std::optional<QString>(text));
        QTRY_COMPARE(consumer->provider(app)->control("fan")->on, std::optional<bool>(false));
        QCOMPARE(consumer->provider(app)->control("temp")->text, std::optional<QString>(text));
        QCOMPARE(consumer->provider(app)->controls.size(), 3);

        // Presses while the host is away go nowhere.
        QVERIFY(consumer->press(app, "lamp", true));
        QVERIFY(!QTest::qWaitFor([&] { return sharing.model.lastNotice().has_value(); }, 200));
    }

    void changedDeckReplacesTheControls()
    {
        Sharing sharing;
        QVERIFY(sharing.connect());
        const auto offered = sharing.share();
        const auto consumer = makeConsumer(sharing.prefix);
        QTRY_VERIFY(connectedWithControls(*consumer, 3));

        Deck renamed = sampleDeck();
        renamed.controls[0].title = "Reading Lamp";
        sharing.host.broadcast(Message(renamed));
        QTRY_COMPARE(consumer->provider(app)->control("lamp")->name, "Reading Lamp");
    }

    void turningSharingOffAndOnMakesANewProvider()
    {
        Sharing sharing;
        QVERIFY(sharing.connect());
        const auto offered = sharing.share();
        const auto consumer = makeConsumer(sharing.prefix);
        QTRY_VERIFY(connectedWithControls(*consumer, 3));
        QTRY_COMPARE(offered->users().size(), 1);

        offered->setEnabled(false);
        QCOMPARE(offered->provider(), nullptr);
        QVERIFY(offered->users().isEmpty());
        QCOMPARE(offered->statusText(), "Your actions aren't offered to other apps.");
        QCOMPARE(openClientSettings()->value(ActionSharing::shareActionsKey).toBool(), false);
        QTRY_VERIFY(!consumer->provider(app)->isConnected);

        offered->setEnabled(true);
        QVERIFY(offered->provider());
        QCOMPARE(openClientSettings()->value(ActionSharing::shareActionsKey).toBool(), true);
        QTRY_VERIFY(connectedWithControls(*consumer, 3));
    }

    void storedChoiceIsKept()
    {
        Sharing sharing;
        openClientSettings()->setValue(ActionSharing::shareActionsKey, false);
        const auto hidden = sharing.share();
        QVERIFY(!hidden->isEnabled());
        QCOMPARE(hidden->provider(), nullptr);

        openClientSettings()->setValue(ActionSharing::shareActionsKey, "maybe");
        const auto offered = sharing.share();
        QVERIFY(offered->isEnabled());
        QVERIFY(offered->provider());
        // Neither a live nor a cached deck: nothing to offer.
        QVERIFY(offered->provider()->controls().isEmpty());
    }
};

QTEST_GUILESS_MAIN(ActionSharingTest)
#include "ActionSharingTest.moc"
