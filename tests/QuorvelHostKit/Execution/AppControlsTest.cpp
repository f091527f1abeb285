#include "QuorvelHostKit/Execution/AppControls.h"
#include "QuorvelHostKit/Execution/StateMonitor.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "Knobwire/KnobwireProvider.h"
#include "Knobwire/NotificationCenter.h"

#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

using namespace Quorvel;
using namespace std::chrono_literals;
using KnobControl = Knobwire::Control;

namespace {

// Long enough for anything on a private bus and loopback, short enough to fail fast.
constexpr int waitMs = 5000;
const QString mixerApp = QStringLiteral("com.example.mixer");

QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Quorvel", "Quorvel");
}

QList<KnobControl> mixerControls()
{
    return {
        KnobControl("mute", "Mute", KnobControl::Kind::toggle, {}, {}, false),
        KnobControl("volume", "Volume", KnobControl::Kind::level, 0.25),
        KnobControl("master", "Master", KnobControl::Kind::level, 0.5, {}, {}, {}, {}, true),
        KnobControl("preset", "Preset", KnobControl::Kind::steps),
        KnobControl("snap", "Snap", KnobControl::Kind::button, {}, "Live"),
        KnobControl("peak", "Peak", KnobControl::Kind::meter),
        KnobControl("blank", "Blank", KnobControl::Kind::toggle),
    };
}

Action appAction(const QString &app, const std::optional<QString> &control,
                 const std::optional<QString> &value)
{
    Action action;
    action.type = Action::Kind::appControl;
    action.target = app;
    action.control = control;
    action.value = value;
    return action;
}

// A provider application as another process would run it: its own bus connection, the test's
// own notification prefix.
struct ProviderApp {
    ProviderApp(const QString &prefix, const QString &app, const QString &name,
                const QList<KnobControl> &controls)
        : provider(app, name, QStringLiteral("2.0"), controls,
                   Knobwire::Discovery(prefix,
                                       Knobwire::NotificationCenter(QDBusConnection::connectToBus(
                                           QDBusConnection::SessionBus, app))))
    {
        provider.onPress = [this](const Knobwire::KnobwireProvider::Press &press) {
            presses.append({press.id, press.down});
            if (togglesOnRelease && !press.down) {
                const auto found = std::find_if(
                    provider.controls().cbegin(), provider.controls().cend(),
                    [&press](const KnobControl &control) { return control.id == press.id; });
                if (found != provider.controls().cend())
                    provider.update(press.id, {}, {}, !found->on.value_or(false));
            }
        };
        provider.onTurn = [this](const Knobwire::KnobwireProvider::Turn &turn) {
            turns.append({turn.id, turn.value.value_or(-1)});
        };
        provider.start();
    }

    Knobwire::KnobwireProvider provider;
    bool togglesOnRelease = true;
    QList<std::pair<QString, bool>> presses;
    QList<std::pair<QString, double>> turns;
};

} // namespace

class AppControlsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setsLevel();
    void refusesWhatCannotBeTurned_data();
    void refusesWhatCannotBeTurned();
    void refusesMissingOrInvalidValue_data();
    void refusesMissingOrInvalidValue();
    void pressesButton();
    void refusesPressOfMeter();
    void turnsSwitchAndWaitsForIt_data();
    void turnsSwitchAndWaitsForIt();
    void switchAlreadyInStateIsNotPressed();
    void switchThatNeverConfirmsFails();
    void onOffNeedsASwitch();
    void unknownApplicationOrControl();
    void applicationThatStoppedIsNotRunning();
    void offersChangeWhenAppsComeAndGoNotWithTheirValues();
    void statusOfControls_data();
    void statusOfControls();
    void emptyFirstCheckIsStoredButNotReported();
    void remembersProvidersWithoutLiveState();
    void restoresRememberedProviders();
    void ignoresUndecodableStoredData();
    void ownProvidersAreRunnableButNotListed_data();
    void ownProvidersAreRunnableButNotListed();
    void executorHandsAppControlToBridge();

private:
    void connectMixer();
    ExecutionResult run(const Action &action) { return QCoro::waitFor(m_bridge->run(action)); }

    QString m_prefix;
    std::unique_ptr<AppControls> m_bridge;
    std::unique_ptr<ProviderApp> m_mixer;
    QStringList m_changes;
};

void AppControlsTest::init()
{
    static int run = 0;
    m_prefix = QStringLiteral("dev.knobwiretest.bridge%1").arg(++run);
    settings().remove("knobwireProviders");
    m_changes.clear();
    m_bridge = std::make_unique<AppControls>(Knobwire::Discovery(m_prefix));
    m_bridge->setSwitchWait({.checks = 40, .pause = 50ms});
    m_bridge->onChange = [this](const QString &app) { m_changes.append(app); };
}

void AppControlsTest::cleanup()
{
    m_mixer.reset();
    m_bridge.reset();
}

void AppControlsTest::connectMixer()
{
    m_bridge->start();
    m_mixer = std::make_unique<ProviderApp>(m_prefix, mixerApp, "Mixer", mixerControls());
    QTRY_VERIFY_WITH_TIMEOUT(m_bridge->consumer().provider(mixerApp) &&
                                 m_bridge->consumer().provider(mixerApp)->isConnected,
                             waitMs);
}

void AppControlsTest::setsLevel()
{
    connectMixer();
    QCOMPARE(run(appAction(mixerApp, "volume", "0.5")),
             (ExecutionResult{0, "Volume set to 50%", ""}));
    QTRY_COMPARE_WITH_TIMEOUT(m_mixer->turns, (QList<std::pair<QString, double>>{{"volume", 0.5}}),
                              waitMs);
}

void AppControlsTest::refusesWhatCannotBeTurned_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("button") << "snap"
                            << "Snap in Mixer can't be turned";
    QTest::newRow("read-only level") << "master"
                                     << "Master in Mixer can't be turned";
    QTest::newRow("step counter") << "preset"
                                  << "Preset in Mixer can't be turned";
}

void AppControlsTest::refusesWhatCannotBeTurned()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    connectMixer();
    QCOMPARE(run(appAction(mixerApp, control, "0.5")), (ExecutionResult{1, "", text}));
}

void AppControlsTest::refusesMissingOrInvalidValue_data()
{
    QTest::addColumn<std::optional<QString>>("control");
    QTest::addColumn<std::optional<QString>>("value");
    QTest::newRow("level above 1")
        << std::optional<QString>("volume") << std::optional<QString>("1.5");
    QTest::newRow("unknown word") << std::optional<QString>("volume")
                                  << std::optional<QString>("loud");
    QTest::newRow("no value") << std::optional<QString>("volume") << std::optional<QString>();
    QTest::newRow("no control") << std::optional<QString>() << std::optional<QString>("on");
}

void AppControlsTest::refusesMissingOrInvalidValue()
{
    QFETCH(std::optional<QString>, control);
    QFETCH(std::optional<QString>, value);
    // No provider at all: the action is refused before anything is looked up.
    QCOMPARE(run(appAction("com.example.absent", control, value)),
             (ExecutionResult{1, "", "This action needs a control and a value"}));
}

void AppControlsTest::pressesButton()
{
    connectMixer();
    QCOMPARE(run(appAction(mixerApp, "snap", "press")), (ExecutionResult{0, "Pressed Snap", ""}));
    QTRY_COMPARE_WITH_TIMEOUT(m_mixer->presses,
                              (QList<std::pair<QString, bool>>{{"snap", true}, {"snap", false}}),
                              waitMs);
}

void AppControlsTest::refusesPressOfMeter()
{
    connectMixer();
    QCOMPARE(run(appAction(mixerApp, "peak", "press")),
             (ExecutionResult{1, "", "Peak in Mixer can't be pressed"}));
}

void AppControlsTest::turnsSwitchAndWaitsForIt_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("reported off") << "mute"
                                  << "Mute turned on";
    QTest::newRow("never reported") << "blank"
                                    << "Blank turned on";
}

void AppControlsTest::turnsSwitchAndWaitsForIt()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    connectMixer();
    QCOMPARE(run(appAction(mixerApp, control, "on")), (ExecutionResult{0, text, ""}));
    QCOMPARE(m_mixer->presses,
             (QList<std::pair<QString, bool>>{{control, true}, {control, false}}));
}

void AppControlsTest::switchAlreadyInStateIsNotPressed()
{
    connectMixer();
    QCOMPARE(run(appAction(mixerApp, "mute", "off")),
             (ExecutionResult{0, "Mute is already off", ""}));
    QCOMPARE(run(appAction(mixerApp, "mute", "on")), (ExecutionResult{0, "Mute turned on", ""}));
    m_mixer->presses.clear();
    QCOMPARE(run(appAction(mixerApp, "mute", "on")),
             (ExecutionResult{0, "Mute is already on", ""}));
    QCOMPARE(run(appAction(mixerApp, "snap", "press")).exitCode, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_mixer->presses.size(), 2, waitMs);
    QCOMPARE(m_mixer->presses.first().first, QStringLiteral("snap"));
}

void AppControlsTest::switchThatNeverConfirmsFails()
{
    m_bridge->setSwitchWait({.checks = 5, .pause = 10ms});
    connectMixer();
    m_mixer->togglesOnRelease = false;
    QCOMPARE(run(appAction(mixerApp, "mute", "on")),
             (ExecutionResult{1, "", "Mixer didn't turn Mute on"}));
    QTRY_COMPARE_WITH_TIMEOUT(m_mixer->presses.size(), 2, waitMs);
}

void AppControlsTest::onOffNeedsASwitch()
{
    connectMixer();
    QCOMPARE(run(appAction(mixerApp, "snap", "on")),
             (ExecutionResult{1, "", "Snap in Mixer isn't a switch"}));
}

void AppControlsTest::unknownApplicationOrControl()
{
    connectMixer();
    QCOMPARE(run(appAction("com.example.lights", "main", "on")),
             (ExecutionResult{1, "",
                              "com.example.lights hasn't offered its controls here. Is it "
                              "running?"}));
    QCOMPARE(m_bridge->status("com.example.lights", "main"),
             (StatusOutcome{std::nullopt, "com.example.lights hasn't offered its controls here"}));
    QCOMPARE(run(appAction(mixerApp, "nope", "on")),
             (ExecutionResult{1, "", "Mixer has no control nope"}));
    QCOMPARE(m_bridge->status(mixerApp, std::nullopt),
             (StatusOutcome{std::nullopt, "Mixer has no control "}));
}

void AppControlsTest::applicationThatStoppedIsNotRunning()
{
    connectMixer();
    m_mixer->provider.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!m_bridge->consumer().provider(mixerApp)->isConnected, waitMs);
    QCOMPARE(run(appAction(mixerApp, "mute", "on")),
             (ExecutionResult{1, "", "Mixer isn't running"}));
    QCOMPARE(m_bridge->status(mixerApp, "mute"),
             (StatusOutcome{std::nullopt, "Mixer isn't running"}));
}

// An editor asks for the catalog again when the offers change; a switch flipped or a level
// turned in the app is no reason to.
void AppControlsTest::offersChangeWhenAppsComeAndGoNotWithTheirValues()
{
    QSignalSpy offers(m_bridge.get(), &AppControls::offersChanged);
    connectMixer();
    QVERIFY(offers.count() > 0);
    const qsizetype connected = offers.count();
    m_mixer->provider.update("mute", {}, {}, true);
    QTRY_COMPARE_WITH_TIMEOUT(m_bridge->consumer().provider(mixerApp)->control("mute")->on,
                              std::optional(true), waitMs);
    QCOMPARE(offers.count(), connected);
    m_mixer->provider.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!m_bridge->consumer().provider(mixerApp)->isConnected, waitMs);
    QCOMPARE(offers.count(), connected + 1);
}

void AppControlsTest::statusOfControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<StatusOutcome>("status");
    QTest::newRow("switch") << "mute" << StatusOutcome{false, std::nullopt};
    QTest::newRow("level without text") << "volume" << StatusOutcome{std::nullopt, "25%"};
    QTest::newRow("text") << "snap" << StatusOutcome{std::nullopt, "Live"};
    QTest::newRow("nothing reported") << "blank" << StatusOutcome{};
}

void AppControlsTest::statusOfControls()
{
    QFETCH(QString, control);
    QFETCH(StatusOutcome, status);
    connectMixer();
    QCOMPARE(m_bridge->status(mixerApp, control), status);
}

void AppControlsTest::emptyFirstCheckIsStoredButNotReported()
{
    connectMixer();
    SystemExecutor executor(m_bridge.get());
    Quorvel::Control blank;
    blank.id = "blank";
    blank.title = "Blank";
    blank.statusCheck = StatusCheck{StatusCheck::Kind::appControl, mixerApp, std::nullopt, "blank"};
    StateMonitor monitor(&executor, Deck{"Test", {blank}}, 3600);
    QList<ControlState> reports;
    monitor.startPolling([&reports](const QList<ControlState> &states) { reports += states; });
    monitor.stop();

    const auto state = QCoro::waitFor(monitor.check("blank"));
    QVERIFY(state);
    QCOMPARE(state->isOn, std::nullopt);
    QCOMPARE(state->detail, std::nullopt);
    QCOMPARE(monitor.allStates().size(), 1);
    QCOMPARE(reports, QList<ControlState>());
}

void AppControlsTest::remembersProvidersWithoutLiveState()
{
    connectMixer();
    QVERIFY(m_changes.contains(mixerApp));
    const auto stored = [] {
        return QJsonDocument::fromJson(settings().value("knobwireProviders").toByteArray()).array();
    };
    QTRY_COMPARE_WITH_TIMEOUT(stored().size(), 1, waitMs);
    const QJsonObject mixer = stored().first().toObject();
    QCOMPARE(mixer.value("app").toString(), mixerApp);
    QCOMPARE(mixer.value("isConnected").toBool(true), false);
    const QJsonArray controls = mixer.value("controls").toArray();
    QCOMPARE(controls.size(), mixerControls().size());
    for (const QJsonValue &control : controls) {
        for (const char *live : {"value", "text", "on"})
            QVERIFY2(!control.toObject().contains(live), live);
    }

    m_mixer->provider.setControls(
        {KnobControl("solo", "Solo", KnobControl::Kind::toggle, {}, {}, true)});
    QTRY_COMPARE_WITH_TIMEOUT(stored().first().toObject().value("controls").toArray().size(), 1,
                              waitMs);
    QCOMPARE(stored().first().toObject().value("controls").toArray().first().toObject().value("id"),
             QJsonValue("solo"));
}

void AppControlsTest::restoresRememberedProviders()
{
    const QByteArray remembered =
        R"([{"app":"com.example.lights","name":"Lights","controls":)"
        R"([{"id":"main","name":"Main","kind":"toggle","readOnly":false}],)"
        R"("isConnected":false}])";
    settings().setValue("knobwireProviders", remembered);
    m_bridge->start();

    const auto entries = m_bridge->catalogEntries();
    QCOMPARE(entries.size(), size_t(1));
    QCOMPARE(entries.front().app, QStringLiteral("com.example.lights"));
    QCOMPARE(entries.front().isRunning, false);
    QCOMPARE(entries.front().controls.size(), size_t(1));
    QCOMPARE(entries.front().controls.front(),
             (HostCatalog::AppControls::Item{"main", "Main", "toggle", std::nullopt, false,
                                             std::nullopt, std::nullopt}));
    QCOMPARE(m_bridge->status("com.example.lights", "main"),
             (StatusOutcome{std::nullopt, "Lights isn't running"}));
}

void AppControlsTest::ignoresUndecodableStoredData()
{
    settings().setValue("knobwireProviders", QByteArray("[{\"app\": 3}]"));
    m_bridge->start();
    QVERIFY(m_bridge->catalogEntries().empty());
    QCOMPARE(settings().value("knobwireProviders").toByteArray(), QByteArray("[{\"app\": 3}]"));
}

void AppControlsTest::ownProvidersAreRunnableButNotListed_data()
{
    QTest::addColumn<QString>("own");
    QTest::newRow("a part of this application") << QStringLiteral("com.vantrel.quorvel.remote");
    QTest::newRow("the remote's shared actions") << QStringLiteral("com.vantrel.quorvel");
}

void AppControlsTest::ownProvidersAreRunnableButNotListed()
{
    QFETCH(QString, own);
    connectMixer();
    ProviderApp shared(m_prefix, own, "Quorvel",
                       {KnobControl("record", "Record", KnobControl::Kind::button)});
    QTRY_VERIFY_WITH_TIMEOUT(m_bridge->consumer().provider(own) &&
                                 m_bridge->consumer().provider(own)->isConnected,
                             waitMs);

    const auto entries = m_bridge->catalogEntries();
    QCOMPARE(entries.size(), size_t(1));
    QCOMPARE(entries.front().app, mixerApp);
    QCOMPARE(entries.front().name, QStringLiteral("Mixer"));
    QCOMPARE(entries.front().isRunning, true);
    QCOMPARE(entries.front().controls.size(), size_t(mixerControls().size()));
    QCOMPARE(entries.front().controls.front(),
             (HostCatalog::AppControls::Item{"mute", "Mute", "toggle", std::nullopt, false,
                                             std::nullopt, false}));

    QCOMPARE(run(appAction(own, "record", "press")), (ExecutionResult{0, "Pressed Record", ""}));
}

void AppControlsTest::executorHandsAppControlToBridge()
{
    connectMixer();
    SystemExecutor executor(m_bridge.get());
    const ExecutionOutcome outcome =
        QCoro::waitFor(executor.run(appAction(mixerApp, "volume", "0.125")));
    QCOMPARE(std::get<ExecutionResult>(outcome), (ExecutionResult{0, "Volume set to 13%", ""}));

    StatusCheck check{StatusCheck::Kind::appControl, mixerApp, std::nullopt, "mute"};
    QCOMPARE(QCoro::waitFor(executor.status(check)), (StatusOutcome{false, std::nullopt}));
}

QTEST_GUILESS_MAIN(AppControlsTest)
#include "AppControlsTest.moc"
