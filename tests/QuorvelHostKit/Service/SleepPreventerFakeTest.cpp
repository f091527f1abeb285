#include "QuorvelHostKit/Service/SleepPreventer.h"

#include "FakeIdleInhibitor.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Quorvel;
using HostTest::FakeIdleInhibitor;
using Script = FakeIdleInhibitor::Script;

namespace {

std::vector<std::unique_ptr<IdleInhibitor>> fakes(const std::shared_ptr<Script> &first,
                                                  const std::shared_ptr<Script> &second)
{
    std::vector<std::unique_ptr<IdleInhibitor>> inhibitors;
    inhibitors.push_back(std::make_unique<FakeIdleInhibitor>("first", first));
    inhibitors.push_back(std::make_unique<FakeIdleInhibitor>("second", second));
    return inhibitors;
}

std::shared_ptr<Script> answering(std::optional<bool> grant, QString refusal = QString())
{
    auto script = std::make_shared<Script>();
    script->grant = grant;
    if (!refusal.isEmpty())
        script->refusal = refusal;
    return script;
}

const QRegularExpression noLockWarning(QStringLiteral("Keep awake is on, but no lock is held"));

} // namespace

// The keep-awake wish against inhibitors that answer as each test says.
class SleepPreventerFakeTest : public QObject {
    Q_OBJECT

private slots:
    void heldWhenAnyInhibitorGrants_data();
    void heldWhenAnyInhibitorGrants();
    void everyRefusalIsToldOnceAndAskedAgain();
    void offWhileAskingDropsTheLateAnswer();
    void onWhileHeldAsksNoMore();
    void endingReleasesEveryLock();
    void noInhibitorsSaysSo();
    void refusalsReachTheLogOnOneLine();
};

void SleepPreventerFakeTest::heldWhenAnyInhibitorGrants_data()
{
    QTest::addColumn<bool>("firstGrants");
    QTest::addColumn<bool>("secondGrants");
    QTest::addColumn<QStringList>("held");
    QTest::newRow("both") << true << true << QStringList{"first", "second"};
    QTest::newRow("only the first") << true << false << QStringList{"first"};
    QTest::newRow("only the second") << false << true << QStringList{"second"};
}

void SleepPreventerFakeTest::heldWhenAnyInhibitorGrants()
{
    QFETCH(bool, firstGrants);
    QFETCH(bool, secondGrants);
    QFETCH(QStringList, held);
    QTest::failOnWarning(noLockWarning);
    SleepPreventer preventer(fakes(answering(firstGrants), answering(secondGrants)));
    QSignalSpy changes(&preventer, &SleepPreventer::activeChanged);

    preventer.setActive(true);
    QVERIFY(!preventer.isActive());
    QVERIFY(preventer.isAsking());
    QTRY_VERIFY(!preventer.isAsking());

    QVERIFY(preventer.isActive());
    QCOMPARE(preventer.heldLocks(), held);
    QCOMPARE(preventer.problem(), QString());
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).at(0).toBool(), true);

    preventer.setActive(false);
    QVERIFY(!preventer.isActive());
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(1).at(0).toBool(), false);
}

void SleepPreventerFakeTest::everyRefusalIsToldOnceAndAskedAgain()
{
    const auto first = answering(false, "no system bus");
    const auto second = answering(false, "GNOME's session manager isn't running");
    SleepPreventer preventer(fakes(first, second));
    QSignalSpy changes(&preventer, &SleepPreventer::activeChanged);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no lock is held: first: no system bus; "
                                                          "second: GNOME's session manager isn't "
                                                          "running$"));
    preventer.setActive(true);
    QTRY_VERIFY(!preventer.isAsking());
    QCOMPARE(preventer.problem(),
             QStringLiteral("first: no system bus; second: GNOME's session manager isn't running"));

    QTest::failOnWarning(noLockWarning);
    preventer.setActive(true);
    QCOMPARE(first->acquired, 2);
    QCOMPARE(second->acquired, 2);
    QTRY_VERIFY(!preventer.isAsking());
    QVERIFY(!preventer.isActive());
    QCOMPARE(changes.size(), 0);

    preventer.setActive(false);
    QCOMPARE(preventer.problem(), QString());
}

void SleepPreventerFakeTest::offWhileAskingDropsTheLateAnswer()
{
    const auto first = answering(std::nullopt);
    const auto second = answering(std::nullopt);
    SleepPreventer preventer(fakes(first, second));
    QSignalSpy changes(&preventer, &SleepPreventer::activeChanged);

    preventer.setActive(true);
    preventer.setActive(false);
    QCOMPARE(first->released, 1);
    QCOMPARE(second->released, 1);
    QVERIFY(!first->pending);
    QVERIFY(!preventer.isAsking());
    QVERIFY(!preventer.isActive());
    QCOMPARE(changes.size(), 0);
}

void SleepPreventerFakeTest::onWhileHeldAsksNoMore()
{
    const auto first = answering(true);
    const auto second = answering(std::nullopt);
    SleepPreventer preventer(fakes(first, second));
    preventer.setActive(true);
    QTRY_VERIFY(preventer.isActive());
    preventer.setActive(true);
    QCOMPARE(first->acquired, 1);
    QCOMPARE(second->acquired, 1);

    second->answerNow(true);
    QCOMPARE(preventer.heldLocks(), (QStringList{"first", "second"}));
}

void SleepPreventerFakeTest::endingReleasesEveryLock()
{
    const auto first = answering(true);
    const auto second = answering(std::nullopt);
    auto preventer = std::make_unique<SleepPreventer>(fakes(first, second));
    preventer->setActive(true);
    QTRY_VERIFY(first->held);
    preventer.reset();
    QVERIFY(!first->held);
    QVERIFY(!second->pending);
}

void SleepPreventerFakeTest::noInhibitorsSaysSo()
{
    SleepPreventer preventer({});
    QTest::ignoreMessage(QtWarningMsg, noLockWarning);
    preventer.setActive(true);
    QVERIFY(!preventer.isActive());
    QCOMPARE(preventer.problem(), QStringLiteral("this system offers no way to stay awake"));
}

void SleepPreventerFakeTest::refusalsReachTheLogOnOneLine()
{
    // A service's error text is its own: it may hold line breaks and direction marks.
    const auto first = answering(false, "Launch helper exited\nwith code 1");
    const auto second = answering(false, QString("Name ") + QChar(0x202E) + "x does not exist");
    SleepPreventer preventer(fakes(first, second));
    QTest::ignoreMessage(QtWarningMsg,
                         "Keep awake is on, but no lock is held: first: Launch helper exited\\n"
                         "with code 1; second: Name \\u{202E}x does not exist");
    preventer.setActive(true);
    QTRY_VERIFY(!preventer.isAsking());
    QVERIFY(!preventer.problem().isEmpty());
}

QTEST_GUILESS_MAIN(SleepPreventerFakeTest)
#include "SleepPreventerFakeTest.moc"
