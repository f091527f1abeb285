#include "Quorvel/OutsideAccess.h"
#include "Quorvel/AppRoles.h"
#include "Quorvel/AppState.h"

#include "../AppTestSupport.h"
#include "NotificationMock.h"
#include "OutsideTestSupport.h"

#include <QClipboard>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Quorvel;
using namespace Quorvel::OutsideTest;

namespace {

// The application state over a real client model, with the outside access tied to it, on the
// D-Bus sandbox's session bus.
struct App {
    App() : model("Remote", KeychainTokenStore(), true, fastTimings())
    {
        state = std::make_unique<AppState>(AppTest::standInOptions(model, systemctl));
        OutsideAccess::Options outsideOptions;
        outsideOptions.listFilePath = dir.filePath("remote-actions.json");
        outsideOptions.connectionWait = shortConnectionWait;
        outside = std::make_unique<OutsideAccess>(*state, outsideOptions);
    }

    QTemporaryDir dir;
    AppTest::StandInSystemctl systemctl;
    ClientModel model;
    std::unique_ptr<AppState> state;
    std::unique_ptr<OutsideAccess> outside;
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

    void aLinkWithTheRemoteOffIsNoticedAtOnce()
    {
        AppTest::storeRoles(false, false);
        NotificationMock notices;
        QVERIFY(notices.start(answerLimitMs));
        App app;
        app.state->openLink(QUrl("quorvel://run/lamp"), std::nullopt);
        QTRY_COMPARE(notices.count(), 1);
        QVERIFY(!app.model.isBrowsing());
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
