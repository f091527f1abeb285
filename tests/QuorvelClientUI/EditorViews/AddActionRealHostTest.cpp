// The add-action sheet against a real host in a process of its own with editing allowed: tries
// and checks run there, an app switch is built from a desktop entry the host finds, and the
// added action reaches the host's deck file.

#include "../ClientTestSupport.h"
#include "../DBusSandboxReentry.h"
#include "../EditorFixture.h"
#include "../EditorTestSupport.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Editor/ClientModelEditorClient.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/AddActionPresenter.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/StatusPopover.h"
#include "QuorvelClientUI/Views/Editor/TryRow.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>

#include <csignal>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using namespace Quorvel::EditorTest;
using namespace ::EditorTest;
using namespace std::chrono_literals;

namespace {

// A host process under the sanitizers starts, notices a file and answers within this.
constexpr int hostLimitMs = 20000;

const QString runnerName = QStringLiteral("Runner Host");
const QString probeName = QStringLiteral("Probe App");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

std::optional<Deck> readDeck(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return DeckStore::parse(file.readAll());
}

// host-runner with editing allowed, its deck file, and a private data folder whose applications
// hold one desktop entry, "Probe App", that runs a copy of sleep under a name of its own.
class Runner {
public:
    explicit Runner(const Deck &deck) : m_deckPath(m_dir.filePath(QStringLiteral("deck.json")))
    {
        const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck);
        const QString probe = probePath();
        m_ready = bytes && writeFile(m_deckPath, *bytes) &&
                  QDir().mkpath(QFileInfo(probe).path()) &&
                  QFile::copy(QStringLiteral("/bin/sleep"), probe) &&
                  writeFile(home() + QStringLiteral("/data/applications/quorvel-probe.desktop"),
                            "[Desktop Entry]\nType=Application\nName=" + probeName.toUtf8() +
                                "\nExec=" + QFile::encodeName(probe) + " 300\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUORVEL_DECK"), m_deckPath);
        environment.insert(QStringLiteral("QUORVEL_TOKEN"), firstCode().normalized());
        environment.insert(QStringLiteral("QUORVEL_RUNNER_HOME"), home());
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(HOST_RUNNER), {QStringLiteral("--allow-deck-editing")});
    }
    ~Runner()
    {
        resume();
        for (qint64 pid : probes()) {
            if (pid > 0)
                ::kill(pid_t(pid), SIGKILL);
        }
        m_process.terminate();
        if (!m_process.waitForFinished(hostLimitMs))
            m_process.kill();
    }

    std::optional<DiscoveredHost> listing()
    {
        static_cast<void>(QTest::qWaitFor(
            [this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
            hostLimitMs));
        const QByteArray line = m_process.readLine().trimmed();
        if (!m_ready || !line.startsWith("port "))
            return std::nullopt;
        DiscoveredHost host;
        host.name = runnerName;
        host.id = runnerName + QStringLiteral("._quorvel._tcp.local.");
        host.endpoint =
            HostPortEndpoint{QStringLiteral("127.0.0.1"), quint16(line.mid(5).toUInt())};
        host.protocolVersion = 2;
        return host;
    }

    const QString &deckPath() const { return m_deckPath; }
    QString home() const { return m_dir.filePath(QStringLiteral("home")); }
    // The probe's copy of sleep, at a path no other process has.
    QString probePath() const { return m_dir.filePath(QStringLiteral("bin/quorvel-probe")); }
    // The processes running the probe: found by its unique path, so only this test's.
    QList<qint64> probes() const
    {
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), probePath()});
        pgrep.waitForFinished();
        QList<qint64> pids;
        for (const QByteArray &line : pgrep.readAllStandardOutput().split('\n')) {
            if (!line.trimmed().isEmpty())
                pids.append(line.trimmed().toLongLong());
        }
        return pids;
    }
    // Makes the host silent, or lets it answer again.
    void pause() { signal(SIGSTOP); }
    void resume() { signal(SIGCONT); }

private:
    // Only ever the runner itself: without a process there is no id to signal.
    void signal(int number)
    {
        if (m_process.processId() > 0)
            ::kill(pid_t(m_process.processId()), number);
    }

    QTemporaryDir m_dir;
    QString m_deckPath;
    bool m_ready = false;
    QProcess m_process;
};

// An editor on a client model connected to the runner.
struct Session {
    explicit Session(ClientTimings timings = fastTimings())
        : model("Remote", KeychainTokenStore(), false, timings)
    {}

    bool open(Runner &runner)
    {
        const std::optional<DiscoveredHost> host = runner.listing();
        if (!host || !Keyring().save(firstCode(), host->stableKey()))
            return false;
        model.connectTo(*host);
        if (!QTest::qWaitFor([this] { return model.canEditDeck(); }, hostLimitMs))
            return false;
        // Appearing asks the host for its catalog.
        editor.appear();
        return QTest::qWaitFor([this] { return model.catalog() && editor.hasDeck(); }, hostLimitMs);
    }

    ClientModel model;
    ClientModelEditorClient client{model};
    DeckEditorModel editor{client};
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
        const std::optional<Deck> onDisk = readDeck(runner.deckPath());
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
