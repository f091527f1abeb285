#include "Quorvel/EditorWindows.h"
#include "Knobwire/KnobwireProvider.h"
#include "Quorvel/AppState.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorWindow.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include "AppTestSupport.h"
#include "ClientTestSupport.h"
#include "LogCapture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::AppTest;
using namespace Quorvel::ClientTest;

namespace {

// Long enough for a host to listen and a loopback link to pair on a loaded machine.
constexpr int linkLimitMs = 20000;

// The application state with its editors, in the D-Bus sandbox's private keyring and bus.
struct App {
    explicit App(LaunchRequest launch = {})
        : model("Remote", KeychainTokenStore(), true, fastTimings())
    {
        AppState::Options options = standInOptions(model, systemctl);
        options.launch = std::move(launch);
        state = std::make_unique<AppState>(std::move(options));
        editors = std::make_unique<EditorWindows>(*state);
    }
    ~App()
    {
        editors.reset();
        state.reset();
    }

    StandInSystemctl systemctl;
    ClientModel model;
    std::unique_ptr<AppState> state;
    std::unique_ptr<EditorWindows> editors;
};

// The labels the keyring shows for the items of a service and an account.
QStringList keyringLabels(const QString &service, const QString &account)
{
    qDBusRegisterMetaType<QMap<QString, QString>>();
    const QString secrets = QStringLiteral("org.freedesktop.secrets");
    QDBusMessage search = QDBusMessage::createMethodCall(
        secrets, "/org/freedesktop/secrets", "org.freedesktop.Secret.Service", "SearchItems");
    search << QVariant::fromValue(QMap<QString, QString>{{"server", service}, {"user", account}});
    const QDBusMessage found = QDBusConnection::sessionBus().call(search);
    if (found.type() != QDBusMessage::ReplyMessage)
        return {};
    QStringList labels;
    for (const QDBusObjectPath &item :
         qdbus_cast<QList<QDBusObjectPath>>(found.arguments().value(0))) {
        QDBusMessage get = QDBusMessage::createMethodCall(secrets, item.path(),
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.freedesktop.Secret.Item") << QStringLiteral("Label");
        const QDBusReply<QDBusVariant> label = QDBusConnection::sessionBus().call(get);
        if (label.isValid())
            labels.append(label.value().variant().toString());
    }
    return labels;
}

const QString offeringApp = QStringLiteral("dev.test.zephlor");

// Whether the editor's catalog lists that app's controls, and them running.
std::optional<bool> listedRunning(const DeckEditorClient &client)
{
    const std::optional<HostCatalog> catalog = client.catalog();
    if (!catalog)
        return std::nullopt;
    for (const HostCatalog::AppControls &entry : catalog->appControls) {
        if (entry.app == offeringApp)
            return entry.isRunning;
    }
    return std::nullopt;
}

} // namespace

// The application's two deck editors: the remote's over the shared model, and this computer's
// own, which reaches its host over loopback once the host listens and its code is saved.
class EditorWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void remoteEditorShowsTheSharedModel()
    {
        storeRoles(true, false);
        App app;
        app.state->openDeckEditor();
        auto *window =
            qobject_cast<DeckEditorWindow *>(app.state->windows().window(WindowTable::deckEditor));
        QVERIFY(window);
        QVERIFY(window->isVisible());
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        const QPoint centre = window->frameGeometry().center();
        // A few pixels for rounding the halves.
        QVERIFY2((centre - screenCentre).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("the window's middle is at %1,%2, the screen's at %3,%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(screenCentre.x())
                                .arg(screenCentre.y())));

        // Opened again while minimised: the same window, back in sight.
        window->showMinimized();
        QVERIFY(window->isMinimized());
        app.state->openDeckEditor();
        QCOMPARE(app.state->windows().window(WindowTable::deckEditor), window);
        QVERIFY(!window->isMinimized());
        QVERIFY(window->isVisible());
    }

    void localEditorReachesThisComputersHost()
    {
        storeRoles(false, true);
        App app;
        HostCoordinator *const host = app.state->host();
        QVERIFY(host);
        QTRY_VERIFY_WITH_TIMEOUT(host->port().has_value(), linkLimitMs);

        app.state->openLocalEditor();
        QTRY_VERIFY_WITH_TIMEOUT(app.state->windows().window(WindowTable::localEditor),
                                 linkLimitMs);
        auto *window =
            qobject_cast<DeckEditorWindow *>(app.state->windows().window(WindowTable::localEditor));
        QVERIFY(window);
        QTRY_VERIFY_WITH_TIMEOUT(app.editors->localEditor().model().isConnected(), linkLimitMs);
        QTRY_COMPARE_WITH_TIMEOUT(
            keyringLabels(KeychainTokenStore::localEditorService, host->hostID()),
            QStringList{"Quorvel: this computer's editor"}, linkLimitMs);
        QTRY_VERIFY_WITH_TIMEOUT(window->editorModel()->hasDeck(), linkLimitMs);
        QCOMPARE(window->editorModel()->deckName(), host->deck().deckName);

        // The window shows the editors' own model: it goes with them, before the state.
        const QPointer<QWidget> shown = window;
        app.editors.reset();
        QVERIFY(shown.isNull());
    }

    // An app that begins offering controls while the editor is open shows up in it, and shows
    // as not running once it stops, without a Refresh.
    void localEditorFollowsAppsThatOfferControls()
    {
        storeRoles(false, true);
        App app;
        HostCoordinator *const host = app.state->host();
        QVERIFY(host);
        QTRY_VERIFY_WITH_TIMEOUT(host->port().has_value(), linkLimitMs);
        app.state->openLocalEditor();
        QTRY_VERIFY_WITH_TIMEOUT(app.state->windows().window(WindowTable::localEditor),
                                 linkLimitMs);
        auto *window =
            qobject_cast<DeckEditorWindow *>(app.state->windows().window(WindowTable::localEditor));
        QVERIFY(window);
        const DeckEditorClient &client = window->editorModel()->client();
        QTRY_VERIFY_WITH_TIMEOUT(client.catalog().has_value(), linkLimitMs);
        QCOMPARE(listedRunning(client), std::nullopt);

        auto provider = std::make_unique<Knobwire::KnobwireProvider>(
            offeringApp, QStringLiteral("Zephlor"), std::nullopt,
            QList<Knobwire::Control>{Knobwire::Control(
                QStringLiteral("mute"), QStringLiteral("Mute"), Knobwire::Control::Kind::toggle)});
        provider->start();
        QTRY_COMPARE_WITH_TIMEOUT(listedRunning(client), std::optional(true), linkLimitMs);
        provider.reset();
        QTRY_COMPARE_WITH_TIMEOUT(listedRunning(client), std::optional(false), linkLimitMs);
    }

    void localEditorWaitsForHosting()
    {
        storeRoles(true, false);
        App app;
        QVERIFY(!app.state->host());
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("can be edited only while it hosts"));
        app.state->openLocalEditor();
        QVERIFY(!app.state->windows().window(WindowTable::localEditor));
    }

    // Asked for the deck editor, at start or while running, the program opens the editor its
    // roles can use: the remote's while the remote role is on, else this computer's own while it
    // hosts (once its host listens), else none.
    void theDeckEditorAskedForFollowsTheRoles_data()
    {
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("hosting");
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<QString>("opened");
        for (const bool atStart : {true, false}) {
            const char *when = atStart ? "at start" : "while running";
            QTest::addRow("remote, %s", when)
                << true << false << atStart << WindowTable::deckEditor;
            QTest::addRow("remote and host, %s", when)
                << true << true << atStart << WindowTable::deckEditor;
            QTest::addRow("host only, %s", when)
                << false << true << atStart << WindowTable::localEditor;
            QTest::addRow("neither, %s", when) << false << false << atStart << QString();
        }
    }
    void theDeckEditorAskedForFollowsTheRoles()
    {
        QFETCH(bool, remote);
        QFETCH(bool, hosting);
        QFETCH(bool, atStart);
        QFETCH(QString, opened);
        storeRoles(remote, hosting);
        const LaunchRequest request = LaunchRequest::fromArguments(
            {QString::fromLatin1(LaunchRequest::openDeckEditorArgument)});
        LogCapture log;
        App app(atStart ? request : LaunchRequest());
        QStringList windows;
        connect(&app.state->windows(), &WindowTable::opened, this,
                [&windows](const QString &id) { windows.append(id); });
        if (!atStart)
            app.state->handle(request);
        if (opened.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(log.mentions(QStringLiteral("No deck editor to open")),
                                     linkLimitMs);
            QCOMPARE(windows, QStringList());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(windows, QStringList{opened}, linkLimitMs);
        if (opened == WindowTable::localEditor)
            QTRY_VERIFY_WITH_TIMEOUT(app.editors->localEditor().model().isConnected(), linkLimitMs);
    }

    // The user's Quit asks while an editor holds unsaved changes; kept, the editor comes
    // forward. Nothing unsaved, or a quit the system asks for, ends without a question.
    void quitAsksBeforeUnsavedChangesAreLost_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("quits");
        const QString menu = QStringLiteral("menu");
        QTest::newRow("nothing unsaved") << false << menu << false << false << true;
        QTest::newRow("unsaved, kept") << true << menu << false << true << false;
        QTest::newRow("unsaved, lost") << true << menu << true << true << true;
        QTest::newRow("unsaved, Ctrl+Q in the editor")
            << true << QStringLiteral("key") << false << true << false;
        QTest::newRow("unsaved, ended by the system")
            << true << QStringLiteral("system") << false << false << true;
    }
    void quitAsksBeforeUnsavedChangesAreLost()
    {
        QFETCH(bool, edited);
        QFETCH(QString, how);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, quits);
        storeRoles(true, false);
        App app;
        app.state->openDeckEditor();
        auto *window =
            qobject_cast<DeckEditorWindow *>(app.state->windows().window(WindowTable::deckEditor));
        QVERIFY(window);
        window->hide();
        if (edited) {
            Control lamp;
            lamp.id = QStringLiteral("lamp");
            lamp.title = QStringLiteral("Lamp");
            window->editorModel()->appendItem(lamp);
            window->editorModel()->appendItem(lamp);
        }
        QList<QList<UnsavedEditsQuestion::Editor>> questions;
        app.editors->setQuitQuestion([&](const QList<UnsavedEditsQuestion::Editor> &editors) {
            questions.append(editors);
            return answer;
        });
        QSignalSpy quitting(app.state.get(), &AppState::quitting);
        if (how == QLatin1String("menu")) {
            app.state->requestQuit();
        } else if (how == QLatin1String("key")) {
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
        } else {
            app.state->quit();
        }
        QCOMPARE(quitting.size(), quits ? 1 : 0);
        QCOMPARE(questions.size(), asked ? 1 : 0);
        if (asked) {
            const QString host = window->editorModel()->client().hostName();
            QCOMPARE(questions.first(), (QList<UnsavedEditsQuestion::Editor>{{host, 2}}));
        }
        QCOMPARE(window->isVisible(), asked && !answer);
    }

    void quitQuestionNamesEachHostAndCount()
    {
        QCOMPARE(UnsavedEditsQuestion::text({{"Studio", 3}}),
                 QStringLiteral("Your 3 changes to the actions on Studio aren't saved."));
        QCOMPARE(UnsavedEditsQuestion::text({{"Studio", 1}, {"Den", 2}}),
                 QStringLiteral("Your change to the actions on Studio isn't saved.\n"
                                "Your 2 changes to the actions on Den aren't saved."));
    }
};

QTEST_MAIN(EditorWindowsTest)
#include "EditorWindowsTest.moc"
