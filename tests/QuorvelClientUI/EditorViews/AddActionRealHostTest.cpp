// The add-action sheet against a real host in a process of its own with editing allowed: tries
// and checks run there, an app switch is built from a desktop entry the host finds, and the
// added action reaches the host's deck file.

#include "../DBusSandboxReentry.h"
#include "../EditorFixture.h"
#include "../EditorTestSupport.h"
#include "../RunnerHost.h"
#include "../RunnerSession.h"

#include "QuorvelClientUI/Views/Editor/AddActionPresenter.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/StatusPopover.h"
#include "QuorvelClientUI/Views/Editor/TryRow.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSaveFile>

#include <csignal>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using namespace Quorvel::EditorTest;
using namespace ::EditorTest;
using namespace std::chrono_literals;

namespace {

constexpr int hostLimitMs = RunnerHost::limitMs;

const QString probeName = QStringLiteral("Probe App");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The probe's copy of sleep, at a path no other process has.
QString probePath(const RunnerHost &host)
{
    return host.filePath(QStringLiteral("bin/quorvel-probe"));
}

// A desktop entry in the host's private data folder, "Probe App", that runs the probe.
bool placeProbe(const RunnerHost &host)
{
    const QString probe = probePath(host);
    return QDir().mkpath(QFileInfo(probe).path()) &&
           QFile::copy(QStringLiteral("/bin/sleep"), probe) &&
           writeFile(host.home() + QStringLiteral("/data/applications/quorvel-probe.desktop"),
                     "[Desktop Entry]\nType=Application\nName=" + probeName.toUtf8() +
                         "\nExec=" + QFile::encodeName(probe) + " 300\n");
}

// host-runner whose applications hold the probe's desktop entry.
class Runner : public RunnerHost {
public:
    explicit Runner(const Deck &deck) : RunnerHost(deck, placeProbe) {}
    ~Runner()
    {
        for (qint64 pid : probes()) {
            if (pid > 0)
                ::kill(pid_t(pid), SIGKILL);
        }
    }
    Runner(const Runner &) = delete;
    Runner &operator=(const Runner &) = delete;

    // The processes running the probe: found by its unique path, so only this test's.
    QList<qint64> probes() const
    {
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), probePath(*this)});
        pgrep.waitForFinished();
        QList<qint64> pids;
        for (const QByteArray &line : pgrep.readAllStandardOutput().split('\n')) {
            if (!line.trimmed().isEmpty())
                pids.append(line.trimmed().toLongLong());
        }
        return pids;
    }
};

// An editor connected to the runner, with the host's catalog at hand.
struct Session : RunnerSession {
    using RunnerSession::RunnerSession;

    bool open(RunnerHost &runner)
    {
        // Appearing asks the host for its catalog.
        return RunnerSession::open(runner) &&
               QTest::qWaitFor([this] { return model.catalog().has_value(); }, hostLimitMs);
    }
};

Control echoButton()
{
    Control made = control("hello", "Hello", ControlType::button);
    made.action = action(Action::Kind::shell, "echo hi");
    return made;
}

} // namespace

class AddActionRealHostTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { IconTheme::setUp(); }
    void init() { openClientSettings()->clear(); }

    void triesAndAddsToTheHostsDeckFile()
    {
        Runner runner(Deck{"Desk", {echoButton()}});
        Session session;
        QVERIFY(session.open(runner));
        QWidget window;
        auto *presenter = new AddActionPresenter(session.editor, &window);
        window.show();
        session.editor.startAdding();
        QTRY_VERIFY(presenter->sheet());
        AddActionSheet *sheet = presenter->sheet();
        AddActionFlow &flow = sheet->flow();
        flow.chooseIntent(AddActionFlow::Intent::command);
        flow.setCommand("echo hi");
        QTest::mouseClick(sheet->continueButton(), Qt::LeftButton);
        QCOMPARE(flow.step(), 3);
        QCOMPARE(flow.tryButtons().first().label,
                 "Try It on " + session.model.hostInfo()->hostName);
        flow.tryPart(AddActionFlow::TryPart::action);
        QTRY_VERIFY_WITH_TIMEOUT(!flow.isTrying(), hostLimitMs);
        QVERIFY(flow.result()->ok());
        QCOMPARE(flow.result()->text().trimmed(), "hi");
        flow.setName("Say Hi");
        QTest::mouseClick(sheet->addButton(), Qt::LeftButton);
        QTRY_COMPARE(session.editor.items().size(), 2);
        session.editor.save();
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.saveMessage().has_value(), hostLimitMs);
        QVERIFY(session.editor.saveMessage()->ok);
        const std::optional<Deck> onDisk = runner.readDeck();
        QVERIFY(onDisk);
        QCOMPARE(onDisk->controls.size(), size_t(2));
        QCOMPARE(onDisk->controls.back().id, "say_hi");
        QCOMPARE(onDisk->controls.back().action, action(Action::Kind::shell, "echo hi"));
    }

    void checkNowOnTrueAndFalse_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<std::optional<bool>>("isOn");
        QTest::newRow("true") << "true" << std::optional<bool>(true);
        QTest::newRow("false") << "false" << std::optional<bool>(false);
    }

    void checkNowOnTrueAndFalse()
    {
        QFETCH(QString, command);
        QFETCH(std::optional<bool>, isOn);
        Runner runner(Deck{"Desk", {echoButton()}});
        Session session;
        QVERIFY(session.open(runner));
        StatusCheck held = check(StatusCheck::Kind::shellExitCode, command);
        StatusPopover popover(
            {[&held] { return held; }, [&held](const StatusCheck &c) { held = c; }},
            session.client);
        QVERIFY(popover.checkRow()->button()->isEnabled());
        QTest::mouseClick(popover.checkRow()->button(), Qt::LeftButton);
        QCOMPARE(popover.checkRow()->button()->text(), "Checking…");
        QTRY_VERIFY_WITH_TIMEOUT(popover.checkRow()->result().has_value(), hostLimitMs);
        QCOMPARE(popover.checkRow()->result()->kind(), ClientTestOutcome::Kind::statusCheck);
        QCOMPARE(popover.checkRow()->result()->isOn(), isOn);
        QCOMPARE(popover.checkRow()->button()->text(), "Check Now");
    }

    void appSwitchFromADesktopEntry()
    {
        Runner runner(Deck{"Desk", {echoButton()}});
        Session session;
        QVERIFY(session.open(runner));
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(session.model.catalog()->apps.cbegin(),
                                             session.model.catalog()->apps.cend(),
                                             [](const auto &app) { return app.name == probeName; }),
                                 hostLimitMs);
        AddActionFlow flow(session.client, {echoButton()});
        flow.chooseIntent(AddActionFlow::Intent::appSwitch);
        flow.setApp(probeName);
        flow.continueToReview();
        QCOMPARE(flow.tryButtons().size(), 2);
        flow.tryPart(AddActionFlow::TryPart::onAction);
        QTRY_VERIFY_WITH_TIMEOUT(!flow.isTrying(), hostLimitMs);
        QVERIFY2(flow.result()->ok(), qPrintable(flow.result()->text()));
        QTRY_VERIFY_WITH_TIMEOUT(!runner.probes().isEmpty(), hostLimitMs);
        // Shown running: the switch's own check, run by the host.
        const StatusCheck running = *flow.finishedControl()->statusCheck;
        std::optional<ClientTestOutcome> state;
        session.client.check(running, this, [&state](const ClientTestOutcome &o) { state = o; });
        QTRY_VERIFY_WITH_TIMEOUT(state.has_value(), hostLimitMs);
        QCOMPARE(state->isOn(), std::optional<bool>(true));
        // Turned off: the host quits the app itself and the check reads it as stopped.
        flow.tryPart(AddActionFlow::TryPart::offAction);
        QTRY_VERIFY_WITH_TIMEOUT(!flow.isTrying(), hostLimitMs);
        QVERIFY(flow.result().has_value());
        QCOMPARE(flow.result()->kind(), ClientTestOutcome::Kind::action);
        QVERIFY2(flow.result()->ok(), qPrintable(flow.result()->text()));
        QTRY_VERIFY_WITH_TIMEOUT(runner.probes().isEmpty(), hostLimitMs);
        state.reset();
        session.client.check(running, this, [&state](const ClientTestOutcome &o) { state = o; });
        QTRY_VERIFY_WITH_TIMEOUT(state.has_value(), hostLimitMs);
        QCOMPARE(state->isOn(), std::optional<bool>(false));
    }

    void aSilentHostGivesNoAnswer()
    {
        Runner runner(Deck{"Desk", {echoButton()}});
        ClientTimings timings = fastTimings();
        timings.testDefaultTimeout = 300ms;
        timings.checkTimeout = 300ms;
        Session session(timings);
        QVERIFY(session.open(runner));
        runner.pause();
        AddActionFlow flow(session.client, {}, echoButton());
        flow.tryPart(AddActionFlow::TryPart::action);
        QTRY_VERIFY_WITH_TIMEOUT(!flow.isTrying(), hostLimitMs);
        QCOMPARE(flow.result(),
                 std::optional(ClientTestOutcome::failed("No answer from the host.")));
        runner.resume();
    }
};

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QApplication app(argc, argv);
    AddActionRealHostTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "AddActionRealHostTest.moc"
