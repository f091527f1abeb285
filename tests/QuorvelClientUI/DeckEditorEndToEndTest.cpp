// The deck editor against a real host in a process of its own, serving a deck file: what a save
// leaves in the file, the file changing underneath the editor, and the host turning editing off.

#include "ClientTestSupport.h"
#include "DBusSandboxReentry.h"
#include "EditorFixture.h"

#include "QuorvelClientUI/Editor/ClientModelEditorClient.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

using namespace Quorvel;
using namespace Quorvel::ClientTest;
using namespace Quorvel::EditorTest;

namespace {

// A host process under the sanitizers starts, notices a file and answers within this.
constexpr int hostLimitMs = 20000;

const QString runnerName = QStringLiteral("Runner Host");

bool writeDeck(const QString &path, const Deck &deck)
{
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck);
    QSaveFile file(path);
    return bytes && file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size() &&
           file.commit();
}

std::optional<Deck> readDeck(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return DeckStore::parse(file.readAll());
}

// host-runner with editing allowed, its deck file and its data and settings in one folder.
class Runner {
public:
    explicit Runner(const Deck &deck) : m_deckPath(m_dir.filePath(QStringLiteral("deck.json")))
    {
        m_written = writeDeck(m_deckPath, deck);
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
        m_process.terminate();
        if (!m_process.waitForFinished(hostLimitMs))
            m_process.kill();
    }

    // The host as a browser would list it; none when the runner announced no port.
    std::optional<DiscoveredHost> listing()
    {
        static_cast<void>(QTest::qWaitFor(
            [this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
            hostLimitMs));
        const QByteArray line = m_process.readLine().trimmed();
        if (!m_written || !line.startsWith("port "))
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
    int historyCopies() const
    {
        return int(QDir(home() + QStringLiteral("/data/Quorvel/deck-history"))
                       .entryList(QDir::Files)
                       .size());
    }
    // Changes the host's setting as its user would, while it runs.
    void turnEditingOff() const
    {
        QSettings settings(home() + QStringLiteral("/config/Quorvel/Quorvel.ini"),
                           QSettings::IniFormat);
        settings.setValue(QLatin1String(HostCoordinator::allowDeckEditingKey), false);
        settings.sync();
    }

private:
    QTemporaryDir m_dir;
    QString m_deckPath;
    bool m_written = false;
    QProcess m_process;
};

// An editor on a client model connected to the runner.
struct Session {
    Session() : model("Remote", KeychainTokenStore(), false, fastTimings()) {}

    bool open(Runner &runner)
    {
        const std::optional<DiscoveredHost> host = runner.listing();
        if (!host || !Keyring().save(firstCode(), host->stableKey()))
            return false;
        model.connectTo(*host);
        if (!QTest::qWaitFor([this] { return model.canEditDeck(); }, hostLimitMs))
            return false;
        editor.appear();
        return editor.hasDeck();
    }
    void retitle(int index, const QString &title)
    {
        Control control = editor.items().at(index).control;
        control.title = title;
        editor.setControl(editor.items().at(index).id, control);
    }

    ClientModel model;
    ClientModelEditorClient client{model};
    DeckEditorModel editor{client};
};

} // namespace

class DeckEditorEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void aSaveWritesTheDraftWithOneHistoryCopy()
    {
        Runner runner(threeActions());
        Session session;
        QVERIFY(session.open(runner));
        session.retitle(0, "Desk Lamp");
        session.editor.moveItem(session.editor.items().at(0).id, +1);
        session.editor.setDeckName("Studio 2");
        const Deck draft = session.editor.draftDeck();
        session.editor.save();
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.saveMessage().has_value(), hostLimitMs);
        QVERIFY(session.editor.saveMessage()->ok);
        QCOMPARE(readDeck(runner.deckPath()), std::optional(draft));
        QCOMPARE(runner.historyCopies(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(session.model.deck(), std::optional(draft), hostLimitMs);
        QCOMPARE(session.editor.unsavedChangeCount(), 0);
        QVERIFY(!session.editor.hostChangedWhileEditing());
    }

    void anOutsideWriteWhileEditingIsAChoice()
    {
        Runner runner(threeActions());
        Session session;
        QVERIFY(session.open(runner));

        // Load Theirs takes the file as it is now.
        session.retitle(0, "Desk Lamp");
        const Deck theirs = withTitle(threeActions(), 1, "Ceiling Fan");
        QVERIFY(writeDeck(runner.deckPath(), theirs));
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.hostChangedWhileEditing(), hostLimitMs);
        QVERIFY(!session.editor.canSave());
        QCOMPARE(session.editor.items().at(0).control.title, QString("Desk Lamp"));
        session.editor.reloadFromHost();
        QCOMPARE(session.editor.draftDeck(), theirs);
        QCOMPARE(session.editor.draftDeck(), readDeck(runner.deckPath()));

        // Keep Mine, then Save: the file holds ours.
        session.retitle(0, "Reading Lamp");
        QVERIFY(writeDeck(runner.deckPath(), withTitle(theirs, 2, "Heat")));
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.hostChangedWhileEditing(), hostLimitMs);
        session.editor.keepMine();
        QVERIFY(session.editor.canSave());
        const Deck ours = session.editor.draftDeck();
        session.editor.save();
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.saveMessage().has_value(), hostLimitMs);
        QVERIFY(session.editor.saveMessage()->ok);
        QCOMPARE(readDeck(runner.deckPath()), std::optional(ours));
    }

    void editingTurnedOffBeforeTheSaveShowsTheRefusal()
    {
        Runner runner(threeActions());
        Session session;
        QVERIFY(session.open(runner));
        session.retitle(0, "Desk Lamp");
        runner.turnEditingOff();
        QVERIFY(session.editor.canSave());
        session.editor.save();
        QTRY_VERIFY_WITH_TIMEOUT(session.editor.saveMessage().has_value(), hostLimitMs);
        QVERIFY(!session.editor.saveMessage()->ok);
        QVERIFY(session.editor.saveMessage()->text.contains("allowRemoteDeckEditing=true"));
        QCOMPARE(readDeck(runner.deckPath()), std::optional(threeActions()));
        QCOMPARE(session.editor.items().at(0).control.title, QString("Desk Lamp"));
        QTRY_VERIFY_WITH_TIMEOUT(!session.model.canEditDeck(), hostLimitMs);
        QVERIFY(!session.editor.canSave());
    }
};

int main(int argc, char *argv[])
{
    if (const int failed = Quorvel::ClientTest::reenterDBusSandbox(argc, argv))
        return failed;
    QCoreApplication app(argc, argv);
    DeckEditorEndToEndTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "DeckEditorEndToEndTest.moc"
