#include "Quorvel/Setup/OnboardingFlow.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "SetupFixture.h"

#include <QTest>

using namespace Quorvel;
using namespace Quorvel::SetupTest;

using Step = OnboardingFlow::Step;
Q_DECLARE_METATYPE(QList<Quorvel::OnboardingFlow::Step>)
Q_DECLARE_METATYPE(Quorvel::OnboardingFlow::Step)

namespace {

int enableCalls(const SetupApp &app)
{
    int count = 0;
    for (const QString &call : app.standIn->calls())
        count += call.startsWith(QStringLiteral("enable")) ? 1 : 0;
    return count;
}

} // namespace

// The set-up's steps and footer over a real application state: real host coordinators, a real
// client model, the roles in the test's private settings, start at login through a systemctl
// that records its calls.
class OnboardingFlowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void stepsFollowTheWishes_data();
    void stepsFollowTheWishes();
    void backAndForth_data();
    void backAndForth();
    void continueNeedsARole();
    void continueSwitchesOffUnwantedRoles_data();
    void continueSwitchesOffUnwantedRoles();
    void startHostingRunsTheHost_data();
    void startHostingRunsTheHost();
    void rolesAlreadyOnOfferContinue();
    void startLookingStartsTheRemote();
    void doneMarksOnboardedBeforeFinishing();
    void aLostStepGoesToWelcome();
};

void OnboardingFlowTest::init()
{
    openClientSettings()->clear();
    storeRoles(false, false, false);
}

void OnboardingFlowTest::stepsFollowTheWishes_data()
{
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QList<Step>>("steps");
    QTest::newRow("neither") << false << false << QList<Step>{Step::welcome, Step::done};
    QTest::newRow("hosting") << true << false << QList<Step>{Step::welcome, Step::host, Step::done};
    QTest::newRow("remote") << false << true
                            << QList<Step>{Step::welcome, Step::remote, Step::done};
    QTest::newRow("both") << true << true
                          << QList<Step>{Step::welcome, Step::host, Step::remote, Step::done};
}

void OnboardingFlowTest::stepsFollowTheWishes()
{
    QFETCH(bool, hosting);
    QFETCH(bool, remote);
    QFETCH(QList<Step>, steps);
    SetupApp app;
    OnboardingFlow flow(*app.state, {});
    flow.setWantsHosting(hosting);
    flow.setWantsRemote(remote);
    QCOMPARE(flow.steps(), steps);
}

void OnboardingFlowTest::backAndForth_data()
{
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<bool>("remote");
    QTest::addColumn<Step>("backFromDone");
    QTest::newRow("both") << true << true << Step::remote;
    QTest::newRow("hosting") << true << false << Step::host;
    QTest::newRow("remote") << false << true << Step::remote;
}

void OnboardingFlowTest::backAndForth()
{
    QFETCH(bool, hosting);
    QFETCH(bool, remote);
    QFETCH(Step, backFromDone);
    SetupApp app;
    OnboardingFlow flow(*app.state, {});
    flow.setWantsHosting(hosting);
    flow.setWantsRemote(remote);
    QVERIFY(!flow.showsBack());
    // Forward to the end: "Continue" on welcome, each step's own button, then "Continue".
    while (flow.step() != Step::done)
        flow.pressPrimary();
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::doneTitle);
    QVERIFY(flow.showsBack());
    flow.pressBack();
    QCOMPARE(flow.step(), backFromDone);
    // Moves are clamped at both ends.
    flow.move(-10);
    QCOMPARE(flow.step(), Step::welcome);
    flow.pressBack();
    QCOMPARE(flow.step(), Step::welcome);
    flow.move(10);
    QCOMPARE(flow.step(), Step::done);
    QVERIFY(!app.state->roles().onboarded());
}

void OnboardingFlowTest::continueNeedsARole()
{
    SetupApp app;
    OnboardingFlow flow(*app.state, {});
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::continueTitle);
    QVERIFY(!flow.primaryEnabled());
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::welcome);
    flow.setWantsRemote(true);
    QVERIFY(flow.primaryEnabled());
    flow.setWantsRemote(false);
    flow.setWantsHosting(true);
    QVERIFY(flow.primaryEnabled());
}

void OnboardingFlowTest::continueSwitchesOffUnwantedRoles_data()
{
    QTest::addColumn<bool>("keepHosting");
    QTest::addColumn<bool>("keepRemote");
    QTest::addColumn<Step>("next");
    QTest::newRow("hosting dropped") << false << true << Step::remote;
    QTest::newRow("remote dropped") << true << false << Step::host;
    QTest::newRow("both kept") << true << true << Step::host;
}

void OnboardingFlowTest::continueSwitchesOffUnwantedRoles()
{
    QFETCH(bool, keepHosting);
    QFETCH(bool, keepRemote);
    QFETCH(Step, next);
    storeRoles(true, true);
    SetupApp app;
    QVERIFY(app.state->host());
    OnboardingFlow flow(*app.state, {});
    QVERIFY(flow.wantsHosting() && flow.wantsRemote());
    flow.setWantsHosting(keepHosting);
    flow.setWantsRemote(keepRemote);
    // Unticking alone changes nothing.
    QVERIFY(app.state->host());
    QVERIFY(app.model.isBrowsing());

    flow.pressPrimary();
    QCOMPARE(flow.step(), next);
    QCOMPARE(app.state->host() != nullptr, keepHosting);
    QCOMPARE(app.model.isBrowsing(), keepRemote);
    QCOMPARE(AppRoles::readFlag(stored(AppRoles::hostingKey)), keepHosting);
    QCOMPARE(AppRoles::readFlag(stored(AppRoles::remoteKey)), keepRemote);
}

void OnboardingFlowTest::startHostingRunsTheHost_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("agentState");
    QTest::addColumn<int>("enables");
    QTest::newRow("ticked, not yet at login") << true << "" << 1;
    QTest::newRow("unticked") << false << "" << 0;
    QTest::newRow("ticked, already at login") << true << "enabled" << 0;
}

void OnboardingFlowTest::startHostingRunsTheHost()
{
    QFETCH(bool, ticked);
    QFETCH(QString, agentState);
    QFETCH(int, enables);
    SetupApp app;
    app.standIn->setState(agentState);
    app.state->setStartsAtLoginStatus(agentState == QLatin1String("enabled"));
    OnboardingFlow flow(*app.state, {});
    flow.setWantsHosting(true);
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::host);
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::startHostingTitle);
    flow.setStartAtLogin(ticked);

    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::host);
    QVERIFY(app.state->host());
    QVERIFY(app.state->host()->running());
    QVERIFY(AppRoles::readFlag(stored(AppRoles::hostingKey)));
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::continueTitle);
    QCOMPARE(enableCalls(app), enables);
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::done);
}

void OnboardingFlowTest::rolesAlreadyOnOfferContinue()
{
    storeRoles(true, true);
    SetupApp app;
    OnboardingFlow flow(*app.state, {});
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::host);
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::continueTitle);
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::remote);
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::continueTitle);
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::done);
}

void OnboardingFlowTest::startLookingStartsTheRemote()
{
    SetupApp app;
    OnboardingFlow flow(*app.state, {});
    flow.setWantsRemote(true);
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::remote);
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::startLookingTitle);
    QVERIFY(!app.model.isBrowsing());
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::remote);
    QVERIFY(app.model.isBrowsing());
    QVERIFY(AppRoles::readFlag(stored(AppRoles::remoteKey)));
    QCOMPARE(flow.primaryTitle(), OnboardingFlow::continueTitle);
}

void OnboardingFlowTest::doneMarksOnboardedBeforeFinishing()
{
    SetupApp app;
    std::optional<bool> onboardedAtFinish;
    OnboardingFlow flow(*app.state, [&] {
        onboardedAtFinish = AppRoles::readFlag(stored(AppRoles::onboardedKey));
    });
    flow.setWantsRemote(true);
    flow.move(10);
    QCOMPARE(flow.step(), Step::done);
    QVERIFY(!onboardedAtFinish);
    flow.pressPrimary();
    QCOMPARE(onboardedAtFinish, std::optional<bool>(true));
    QVERIFY(app.state->roles().onboarded());
}

void OnboardingFlowTest::aLostStepGoesToWelcome()
{
    SetupApp app;
    OnboardingFlow flow(*app.state, {});
    flow.setWantsHosting(true);
    flow.pressPrimary();
    QCOMPARE(flow.step(), Step::host);
    flow.setWantsHosting(false);
    flow.move(1);
    QCOMPARE(flow.step(), Step::welcome);
}

QTEST_MAIN(OnboardingFlowTest)
#include "OnboardingFlowTest.moc"
