#include "Quorvel/OutsideAccess.h"
#include "Quorvel/AppRoles.h"
#include "Quorvel/AppState.h"
#include "Quorvel/EditorWindows.h"

#include "../AppTestSupport.h"
#include "NotificationMock.h"
#include "OutsideTestSupport.h"

#include <QClipboard>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

using namespace Quorvel;
using namespace Quorvel::OutsideTest;

namespace {

// Long enough for a host to listen and a loopback link to pair on a loaded machine.
constexpr int linkLimitMs = 20000;

const LinkSender editor{QStringLiteral("org.example.Editor.desktop"), QStringLiteral("Editor")};

// The application state over a real client model, with the outside access and the deck editors
// tied to it as the program ties them, on the D-Bus sandbox's session bus under the program's
// name, and a host on loopback.
struct App {
    explicit App(std::chrono::milliseconds connectionWait = shortConnectionWait)
        : host(firstCode(), sampleDeck(), uniqueHostName()),
          model("Remote", KeychainTokenStore(), true, fastTimings())
    {
        state = std::make_unique<AppState>(AppTest::standInOptions(model, systemctl));
        OutsideAccess::Options outsideOptions;
        outsideOptions.listFilePath = dir.filePath("remote-actions.json");
        outsideOptions.connectionWait = connectionWait;
        outside = std::make_unique<OutsideAccess>(*state, outsideOptions);
        editors = std::make_unique<EditorWindows>(*state);
        QDBusConnection::sessionBus().registerService(serviceName);
    }
    ~App() { QDBusConnection::sessionBus().unregisterService(serviceName); }

    // Lists the host, whose code the keyring holds.
    bool startHost() { return host.start() && Keyring().save(firstCode(), host.hostID()); }

    int triggerCount() const
    {
        return int(
            std::count_if(host.received.cbegin(), host.received.cend(), [](const Message &message) {
                return message.as<Message::TriggerAction>() != nullptr;
            }));
    }

    QString report()
    {
        Answer<QString> text;
        outside->diagnosticReport(text.context(), text.handler());
        return text.wait().value_or(QString());
    }

    QTemporaryDir dir;
    AppTest::StandInSystemctl systemctl;
    TestHost host;
    ClientModel model;
    std::unique_ptr<AppState> state;
    std::unique_ptr<OutsideAccess> outside;
    std::unique_ptr<EditorWindows> editors;
};

} // namespace

// The outside access tied to a real application state: its report, its links and its file.
class OutsideAccessTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void theReportGoesToTheClipboard_data()
    {
        QTest::addColumn<bool>("remote");
        QTest::newRow("remote on") << true;
        QTest::newRow("no roles") << false;
    }

    void theReportGoesToTheClipboard()
    {
        QFETCH(bool, remote);
        AppTest::storeRoles(remote, false);
        App app;
        QVERIFY(app.outside->busServiceRegistered());
        app.outside->copyDiagnosticReport();
        QTRY_VERIFY(!QGuiApplication::clipboard()->text().isEmpty());
        const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
        QVERIFY(lines.at(0).startsWith("Quorvel diagnostic report, "));
        // The same version as the Updates tab, not the kind of build.
        QVERIFY2(lines.at(2).startsWith("App: " + Updater::versionString() + ", "),
                 qPrintable(lines.at(2)));
        QVERIFY(lines.at(3).startsWith("Linux: "));
        QCOMPARE(lines.at(4),
                 remote ? QStringLiteral("Roles: remote") : QStringLiteral("Roles: none"));
        QCOMPARE(lines.contains("Remote"), remote);
        QCOMPARE(lines.last(), QString());
    }

    void aLinkThatFindsNoHostIsNoticed()
    {
        AppTest::storeRoles(false, false);
        NotificationMock notices;
        QVERIFY(notices.start(answerLimitMs));
        App app;
        app.state->openLink(QUrl("quorvel://run/lamp"), std::nullopt);
        QTRY_COMPARE(notices.count(), 1);
        QVERIFY(app.model.isBrowsing());
    }

    // Scripts and links look for the host and wait for it whatever the remote role; the role
    // only decides what the menu shows.
    void scriptsAndLinksReachTheHostWithTheRemoteRoleOff()
    {
        AppTest::storeRoles(false, false);
        App app(ActionRunner::defaultConnectionWait);
        QVERIFY(app.startHost());
        QVERIFY(!app.model.isBrowsing());

        // The call starts the search and waits; the host is then found (here: named to the model
        // as the search would find it).
        QProcess script;
        script.start("gdbus", {"call", "--session", "--timeout", "110", "--dest", serviceName,
                               "--object-path", ActionsBusService::objectPath, "--method",
                               ActionsBusService::interfaceName + ".Run", "lamp"});
        QTRY_VERIFY(app.model.isBrowsing());
        app.model.connectTo(app.host.listing());
        QTRY_COMPARE_WITH_TIMEOUT(script.state(), QProcess::NotRunning, linkLimitMs);
        QCOMPARE(script.readAllStandardOutput().trimmed(), "('Done: Desk Lamp.',)");

        app.outside->approvals().record(editor.appID, editor.name, true);
        app.outside->links().handleLink(QUrl("quorvel://off/fan"), editor);
        QTRY_COMPARE(app.triggerCount(), 2);
        // The link's run has its answer before the model goes.
        QTRY_VERIFY(app.model.pendingControls().isEmpty());

        QVERIFY(!app.state->roles().remote());
        QVERIFY(!app.state->isActive());
        QVERIFY(!app.report().contains("\nRemote\n"));
    }

    // The local deck editor belongs to the editor windows, the report to the outside access: the
    // report names the editor only while its link to this computer's host stands.
    void theReportTellsOfThisComputersEditor()
    {
        AppTest::storeRoles(false, true);
        App app;
        HostCoordinator *const host = app.state->host();
        QVERIFY(host);
        QTRY_VERIFY_WITH_TIMEOUT(host->port().has_value(), linkLimitMs);
        QVERIFY(!app.report().contains("This computer's editor"));

        app.state->openLocalEditor();
        QTRY_VERIFY_WITH_TIMEOUT(app.editors->localEditor().model().isConnected(), linkLimitMs);
        const QStringList lines = app.report().split(u'\n');
        const qsizetype hostSection = lines.indexOf("Host");
        QVERIFY(hostSection > 0);
        QCOMPARE(lines.mid(hostSection).filter("This computer's editor"),
                 QStringList{"  This computer's editor: open, can edit"});
        QCOMPARE(lines.filter("This computer's editor").size(), 1);
    }

    void quittingWritesNotConnected()
    {
        AppTest::storeRoles(false, false);
        App app;
        QTRY_COMPARE(app.outside->listFile().writeCount(), 1);
        emit app.state->quitting();
        QCOMPARE(app.outside->listFile().writeCount(), 2);
        QFile file(app.dir.filePath("remote-actions.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(file.readAll()).object()["connected"].toBool(true), false);
    }
};

QTEST_MAIN(OutsideAccessTest)
#include "OutsideAccessTest.moc"
