#include "Quorvel/AppState.h"
#include "Platform/Session/LoginAgentUnit.h"
#include "QuorvelClientUI/ActionSharing.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Service/HostStatusFile.h"
#include "QuorvelHostKit/Service/HostTokenStore.h"

#include "AppTestSupport.h"
#include "ClientTestSupport.h"
#include "LogCapture.h"
#include "TestHost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Quorvel;
using namespace Quorvel::AppTest;
using namespace Quorvel::ClientTest;

Q_DECLARE_METATYPE(Quorvel::LocalNetworkMonitor::Status)

namespace {

// An application state over a real client model and real host coordinators, in the private
// settings, keyring and session bus of the D-Bus sandbox.
struct App {
    explicit App(LaunchRequest launch = {})
        : model("Remote", KeychainTokenStore(), true, fastTimings())
    {
        AppState::Options options = standInOptions(model, systemctl);
        options.launch = std::move(launch);
        state = std::make_unique<AppState>(std::move(options));
    }

    StandInSystemctl systemctl;
    ClientModel model;
    std::unique_ptr<AppState> state;
};

mode_t modeOf(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777
                                                                      : mode_t(-1);
}

QString sharingStored()
{
    return openClientSettings()->value(ActionSharing::shareActionsKey).toString();
}

} // namespace

class AppStateTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void applyRoles_data();
    void applyRoles();
    void sharingStaysOffAfterTheRemoteWasOff();
    void startWithTheRemoteOffStoresSharingOff();
    void activeRule_data();
    void activeRule();
    void activeFollowsTheConnection();
    void launchOpensWindows_data();
    void launchOpensWindows();
    void windowsOpenOnceEach();
    void laterRequests();
    void quitStopsTheHost();
    void anEarlierHostTurnsStartAtLoginOn();
    void theDataFolderBecomesPrivateAtStart();
    void leftoverTemporaryFilesGoAtStart_data();
    void leftoverTemporaryFilesGoAtStart();
    void theSettingsArePrivate_data();
    void theSettingsArePrivate();
    void linksStayOnTheirLogLine_data();
    void linksStayOnTheirLogLine();
};

void AppStateTest::init()
{
    openClientSettings()->clear();
}

void AppStateTest::applyRoles_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("hosting");
    QTest::newRow("neither") << false << false;
    QTest::newRow("remote") << true << false;
    QTest::newRow("hosting") << false << true;
    QTest::newRow("both") << true << true;
}

void AppStateTest::applyRoles()
{
    QFETCH(bool, remote);
    QFETCH(bool, hosting);
    storeRoles(remote, hosting);
    App app;
    AppState &state = *app.state;

    QCOMPARE(app.model.isBrowsing(), remote);
    QCOMPARE(state.sharing().isEnabled(), remote);
    QCOMPARE(state.host() != nullptr, hosting);
    if (hosting) {
        QVERIFY(state.host()->running());
        QCOMPARE(app.model.excludedHostID(), std::optional<QString>(state.host()->hostID()));
    } else {
        QCOMPARE(app.model.excludedHostID(), std::nullopt);
    }
    if (!remote && !hosting)
        QVERIFY(!state.isActive());

    // Applying again keeps the one coordinator.
    HostCoordinator *const host = state.host();
    QSignalSpy hostChanges(&state, &AppState::hostChanged);
    state.applyRoles();
    QCOMPARE(state.host(), host);
    QCOMPARE(hostChanges.size(), 0);

    // Flipping both roles and applying turns everything the other way.
    state.roles().setRemote(!remote);
    state.roles().setHosting(!hosting);
    state.applyRoles();
    QCOMPARE(app.model.isBrowsing(), !remote);
    QCOMPARE(state.host() != nullptr, !hosting);
    QCOMPARE(hostChanges.size(), 1);
    QCOMPARE(app.model.excludedHostID().has_value(), !hosting);
}

void AppStateTest::sharingStaysOffAfterTheRemoteWasOff()
{
    storeRoles(true, false);
    App app;
    QVERIFY(app.state->sharing().isEnabled());

    app.state->roles().setRemote(false);
    app.state->applyRoles();
    QVERIFY(!app.state->sharing().isEnabled());
    QCOMPARE(sharingStored(), QStringLiteral("false"));

    app.state->roles().setRemote(true);
    app.state->applyRoles();
    QVERIFY(!app.state->sharing().isEnabled());
    QCOMPARE(sharingStored(), QStringLiteral("false"));
}

void AppStateTest::startWithTheRemoteOffStoresSharingOff()
{
    storeRoles(false, false);
    QVERIFY(!openClientSettings()->contains(ActionSharing::shareActionsKey));
    App app;
    QCOMPARE(sharingStored(), QStringLiteral("false"));
}

void AppStateTest::activeRule_data()
{
    using Status = LocalNetworkMonitor::Status;
    QTest::addColumn<bool>("remote");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<bool>("hostExists");
    QTest::addColumn<Status>("localNetwork");
    QTest::addColumn<bool>("active");

    QTest::newRow("nothing on") << false << false << false << false << Status::checking << false;
    QTest::newRow("remote connected") << true << true << false << false << Status::checking << true;
    QTest::newRow("remote connected, host blocked")
        << true << true << true << true << Status::blocked << true;
    QTest::newRow("remote not connected")
        << true << false << false << false << Status::checking << false;
    QTest::newRow("connected but remote off")
        << false << true << false << false << Status::checking << false;
    QTest::newRow("hosting, discoverable")
        << false << false << true << true << Status::discoverable << true;
    QTest::newRow("hosting, checking")
        << false << false << true << true << Status::checking << false;
    QTest::newRow("hosting, blocked") << false << false << true << true << Status::blocked << false;
    QTest::newRow("hosting, not visible")
        << false << false << true << true << Status::notVisible << false;
    QTest::newRow("hosting on, no coordinator yet")
        << false << false << true << false << Status::discoverable << false;
    QTest::newRow("coordinator left over, hosting off")
        << false << false << false << true << Status::discoverable << false;
}

void AppStateTest::activeRule()
{
    QFETCH(bool, remote);
    QFETCH(bool, connected);
    QFETCH(bool, hosting);
    QFETCH(bool, hostExists);
    QFETCH(LocalNetworkMonitor::Status, localNetwork);
    QTEST(AppState::activeFor(remote, connected, hosting, hostExists, localNetwork), "active");
}

void AppStateTest::activeFollowsTheConnection()
{
    storeRoles(true, false);
    TestHost host(firstCode(), sampleDeck(), uniqueHostName());
    QVERIFY(host.start());
    QVERIFY(Keyring().save(firstCode(), host.hostID()));
    App app;
    QSignalSpy activeChanges(app.state.get(), &AppState::activeChanged);
    QVERIFY(!app.state->isActive());

    app.model.connectTo(host.listing());
    QTRY_VERIFY_WITH_TIMEOUT(app.state->isActive(), answerLimitMs);
    QCOMPARE(activeChanges.size(), 1);

    // The remote role off dims the mark at once, before anything is applied.
    app.state->roles().setRemote(false);
    QVERIFY(!app.state->isActive());
    QCOMPARE(activeChanges.size(), 2);
}

void AppStateTest::launchOpensWindows_data()
{
    QTest::addColumn<bool>("onboarded");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("atOnce");
    QTest::addColumn<QStringList>("later");

    const QString onboarding = WindowTable::onboarding;
    const QString settings = WindowTable::settings;
    const QString editor = WindowTable::deckEditor;
    QTest::newRow("plain start") << true << QStringList() << QStringList() << QStringList();
    QTest::newRow("not onboarded")
        << false << QStringList() << QStringList{onboarding} << QStringList();
    QTest::newRow("onboarding asked for again")
        << true << QStringList{"--show-onboarding"} << QStringList{onboarding} << QStringList();
    QTest::newRow("settings with a tab")
        << true << QStringList{"--settings-tab=updates"} << QStringList{settings} << QStringList();
    QTest::newRow("settings without the equals sign")
        << true << QStringList{"--settings-tab"} << QStringList() << QStringList();
    QTest::newRow("deck editor waits")
        << true << QStringList{"--open-deck-editor"} << QStringList() << QStringList{editor};
    QTest::newRow("all of them") << false
                                 << QStringList{"--open-deck-editor",
                                                "--settings-tab=", "--show-onboarding"}
                                 << QStringList{onboarding, settings} << QStringList{editor};
}

void AppStateTest::launchOpensWindows()
{
    QFETCH(bool, onboarded);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, atOnce);
    QFETCH(QStringList, later);
    // The remote's editor is the one asked for while the remote role is on.
    storeRoles(true, false, onboarded);

    QElapsedTimer sinceStart;
    sinceStart.start();
    App app(LaunchRequest::fromArguments(arguments));
    QStringList opened;
    qint64 editorAfterMs = -1;
    connect(&app.state->windows(), &WindowTable::opened, this, [&](const QString &id) {
        opened.append(id);
        if (id == WindowTable::deckEditor)
            editorAfterMs = sinceStart.elapsed();
    });
    // Nothing opens while the state is being made.
    QVERIFY(opened.isEmpty());

    QTest::qWait(0);
    QCOMPARE(opened, atOnce);
    QTRY_COMPARE_WITH_TIMEOUT(opened, atOnce + later, answerLimitMs);
    if (!later.isEmpty())
        QVERIFY(editorAfterMs >= AppState::defaultDeckEditorDelay.count());
}

void AppStateTest::windowsOpenOnceEach()
{
    storeRoles(true, false);
    App app;
    WindowTable &windows = app.state->windows();
    int made = 0;
    windows.setFactory(WindowTable::deckEditor, [&made] {
        ++made;
        return new QWidget;
    });

    app.state->openDeckEditor();
    QWidget *const first = windows.window(WindowTable::deckEditor);
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), AppState::deckEditorTitle);
    app.state->openDeckEditor();
    QCOMPARE(windows.window(WindowTable::deckEditor), first);
    QCOMPARE(made, 1);

    // A window without a maker yet opens nothing.
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression("No window can be opened for"));
    QCOMPARE(windows.open(WindowTable::settings), nullptr);
}

void AppStateTest::laterRequests()
{
    storeRoles(false, false);
    App app;
    QList<std::pair<QUrl, std::optional<qint64>>> links;
    app.state->setLinkHandler([&links](const QUrl &link, std::optional<qint64> sender) {
        links.append({link, sender});
    });
    QSignalSpy activations(app.state.get(), &AppState::activationRequested);

    app.state->handle(LaunchRequest());
    QCOMPARE(activations.size(), 1);

    LaunchRequest request;
    request.links = {QUrl(QStringLiteral("quorvel://run/a")),
                     QUrl(QStringLiteral("quorvel://run/b"))};
    request.senderProcess = 77;
    app.state->handle(request);
    QCOMPARE(activations.size(), 1);
    QCOMPARE(links.size(), 2);
    QCOMPARE(links.at(0).first, QUrl(QStringLiteral("quorvel://run/a")));
    QCOMPARE(links.at(1).second, std::optional<qint64>(77));
}

void AppStateTest::quitStopsTheHost()
{
    storeRoles(false, true);
    App app;
    HostCoordinator *const host = app.state->host();
    QVERIFY(host);
    QSignalSpy quitting(app.state.get(), &AppState::quitting);

    app.state->quit();
    QVERIFY(!host->running());
    QCOMPARE(quitting.size(), 1);
    QFile status(HostTokenStore::folderPath() + u'/' + QLatin1String(HostStatusFile::fileName));
    QVERIFY(status.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(status.readAll()).object().value("listener").toString(),
             QStringLiteral("stopped"));

    // Quit is one path: asking again does nothing more.
    app.state->quit();
    QCOMPARE(quitting.size(), 1);
}

void AppStateTest::anEarlierHostTurnsStartAtLoginOn()
{
    QTemporaryDir home;
    const QString oldAgent = home.filePath(AppRoles::oldAgentFile);
    QVERIFY(QDir().mkpath(QFileInfo(oldAgent).path()));
    QFile(oldAgent).open(QIODevice::WriteOnly);

    StandInSystemctl systemctl;
    systemctl.setState(QStringLiteral("enabled"));
    ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
    AppState::Options options = standInOptions(model, systemctl);
    options.rolePaths.home = home.path();
    const AppState state(std::move(options));

    QVERIFY(state.startsAtLogin());
    QVERIFY(systemctl.calls().contains("enable " + QString::fromLatin1(LoginAgentUnit::unitName)));
    QVERIFY(QFile::exists(state.loginAgent().unitPath()));
    // It hosts as the earlier program did, and the set-up is not shown.
    QVERIFY(state.host());
}

void AppStateTest::theDataFolderBecomesPrivateAtStart()
{
    // As an earlier version left it under the usual umask.
    const QString folder = HostTokenStore::folderPath();
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadGroup | QFile::ExeGroup |
                                              QFile::ReadOther | QFile::ExeOther));
    storeRoles(true, false);
    App app;
    QCOMPARE(QFileInfo(folder).permissions(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadUser |
                                                  QFile::WriteUser | QFile::ExeUser);
}

void AppStateTest::leftoverTemporaryFilesGoAtStart_data()
{
    QTest::addColumn<int>("secondsLater");
    QTest::addColumn<bool>("removed");
    QTest::newRow("a minute after the kill") << 60 << true;
    // A copy in another session may be writing them right now.
    QTest::newRow("right after") << 0 << false;
}

// The temporary files of the files the program writes, in each folder it writes them: the data
// folder, the history, the folder of a deck moved elsewhere and the login unit's. A temporary name
// of a file the program never writes in that folder is someone else's and stays.
void AppStateTest::leftoverTemporaryFilesGoAtStart()
{
    QFETCH(int, secondsLater);
    QFETCH(bool, removed);
    const QString hex = "00112233445566778899aabbccddeeff";
    const QString data = HostTokenStore::folderPath();
    const QString history = DeckStore::historyFolderPath();
    QTemporaryDir movedDeck;
    QVERIFY(QDir().mkpath(history));
    StandInSystemctl systemctl;
    const QString units = systemctl.unitFolder();
    QVERIFY(QDir().mkpath(units));
    const QStringList leftovers = {
        data + "/.status.json.new-" + hex,
        data + "/.pairing-token.new-" + hex,
        data + "/.host-id.new-" + hex,
        data + "/.remote-actions.json.new-" + hex,
        data + "/.deck.json.new-" + hex,
        history + "/.deck-2026-12-09T091530-before-Phone.json.new-" + hex,
        movedDeck.path() + "/.deck.json.new-" + hex,
        units + "/." + LoginAgentUnit::unitName + ".new-" + hex,
    };
    const QStringList lookAlikes = {
        data + "/.status.json.new-" + hex + ".bak",
        data + "/status.json",
        data + "/.notes.txt.new-" + hex,
        history + "/notes.txt",
        history + "/.deck.json.new-" + hex,
        history + "/.deck-old.json.new-" + hex,
        movedDeck.path() + "/.status.json.new-" + hex,
        movedDeck.path() + "/.notes.txt.new-" + hex,
        units + "/.other.service.new-" + hex,
    };
    for (const QString &path : leftovers + lookAlikes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // A link named as a leftover of a file the program writes there is not its own either.
    const QString link = data + "/.pairing-token.new-" + QString(32, u'f');
    QVERIFY(QFile::link(data + "/status.json", link));
    qputenv("QUORVEL_DECK", QFile::encodeName(movedDeck.filePath("deck.json")));
    const auto removeAll = qScopeGuard([&] {
        qunsetenv("QUORVEL_DECK");
        for (const QString &path : leftovers + lookAlikes + QStringList{link})
            QFile::remove(path);
    });

    ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
    AppState::Options options = standInOptions(model, systemctl);
    options.clock = [secondsLater] { return QDateTime::currentDateTime().addSecs(secondsLater); };
    const AppState state(std::move(options));

    for (const QString &path : leftovers)
        QVERIFY2(QFile::exists(path) != removed, qPrintable(path));
    for (const QString &path : lookAlikes)
        QVERIFY2(QFile::exists(path), qPrintable(path));
    QVERIFY(QFileInfo(link).isSymLink());
}

void AppStateTest::theSettingsArePrivate_data()
{
    QTest::addColumn<mode_t>("mask");
    QTest::addColumn<bool>("earlier");
    for (const mode_t mask : {mode_t(0), mode_t(022)}) {
        const QString umask = QString::number(mask, 8).rightJustified(3, u'0');
        QTest::addRow("umask %s, first start", qPrintable(umask)) << mask << false;
        QTest::addRow("umask %s, an earlier version's files", qPrintable(umask)) << mask << true;
    }
}

// The settings hold the link approvals, the cached deck and whether devices may edit this
// computer's actions: their folder and file are the user's alone from the start and after every
// write, whatever the umask, also where an earlier version left them readable by everyone.
void AppStateTest::theSettingsArePrivate()
{
    QFETCH(mode_t, mask);
    QFETCH(bool, earlier);
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Quorvel";
    const QString file = folder + "/Quorvel.ini";
    QVERIFY(QDir(folder).removeRecursively());
    const mode_t previousMask = ::umask(mask);
    const auto restoreMask = qScopeGuard([previousMask] { ::umask(previousMask); });
    if (earlier) {
        QSettings written(file, QSettings::IniFormat);
        written.setValue(AppRoles::remoteKey, true);
        written.setValue(AppRoles::hostingKey, false);
        written.setValue(AppRoles::onboardedKey, true);
        written.sync();
        QCOMPARE(modeOf(folder), mode_t(0777 & ~mask));
        QCOMPARE(modeOf(file), mode_t(0666 & ~mask));
    }

    App app;
    QCOMPARE(modeOf(folder), mode_t(0700));
    QCOMPARE(modeOf(file), mode_t(0600));
    QCOMPARE(app.state->roles().remote(), earlier);

    // Loosened again from outside, the file is the user's alone after the next write.
    QVERIFY(::chmod(QFile::encodeName(file).constData(), 0666 & ~mask) == 0);
    app.state->roles().setHosting(true);
    QCOMPARE(openClientSettings()->value(AppRoles::hostingKey).toBool(), true);
    QCOMPARE(modeOf(folder), mode_t(0700));
    QCOMPARE(modeOf(file), mode_t(0600));
}

void AppStateTest::linksStayOnTheirLogLine_data()
{
    QTest::addColumn<QUrl>("link");
    QTest::newRow("100 KB") << QUrl("quorvel://run/" + QString(100 * 1024, u'a'));
    QTest::newRow("direction override")
        << QUrl("quorvel://run/" + QString::fromUtf16(u"lamp\u202Etxt.exe"));
    QTest::newRow("line separator")
        << QUrl("quorvel://run/" + QString::fromUtf16(u"lamp\u2028Quitting"));
}

void AppStateTest::linksStayOnTheirLogLine()
{
    QFETCH(QUrl, link);
    storeRoles(false, false);
    App app;
    LogCapture log;
    LaunchRequest request;
    request.links = {link};
    app.state->handle(request);
    const QStringList said = log.lines().filter(QStringLiteral("Link received"));
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.first().size() < 400, qPrintable(said.first().left(200)));
    for (const char16_t unsafe : {u'\n', u'\u2028', u'\u202E'})
        QVERIFY2(!said.first().contains(QChar(unsafe)), qPrintable(said.first().left(200)));
}

QTEST_MAIN(AppStateTest)
#include "AppStateTest.moc"
