#include "../DBusSandboxReentry.h"
#include "MdnsSandbox.h"

#include "Gallery/GalleryDecks.h"
#include "Gallery/GallerySession.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ClientRootView.h"
#include "QuorvelClientUI/Views/ControlRow.h"
#include "QuorvelClientUI/Views/ControlRowLabel.h"
#include "QuorvelClientUI/Views/DeckView.h"
#include "QuorvelClientUI/Views/HostListView.h"
#include "QuorvelClientUI/Views/HostRow.h"
#include "QuorvelClientUI/Views/NotConnectedView.h"
#include "QuorvelClientUI/Views/PairingView.h"
#include "QuorvelClientUI/Views/StatusBadge.h"
#include "QuorvelClientUI/Views/StoredCodeCache.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/BorderlessButton.h"
#include "Widgets/IconTheme.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QVBoxLayout>

using namespace Quorvel;
using Kind = ClientConnectionStatus::Kind;

namespace {

// A real host's answers on loopback arrive in milliseconds; this leaves room for a slow machine.
constexpr int answerLimitMs = 15000;

Action shell(const QString &command)
{
    return Action{Action::Kind::shell, command, std::nullopt, std::nullopt, std::nullopt};
}

// A switch whose state is whether `flag` exists, so turning it on really changes what the host
// reads.
Deck flagDeck(const QString &flag)
{
    Control lamp;
    lamp.id = QStringLiteral("lamp");
    lamp.title = QStringLiteral("Lamp");
    lamp.type = ControlType::toggle;
    lamp.onAction = shell(QStringLiteral("touch '%1'").arg(flag));
    lamp.offAction = shell(QStringLiteral("rm -f '%1'").arg(flag));
    lamp.statusCheck =
        StatusCheck{StatusCheck::Kind::shellExitCode, QStringLiteral("test -e '%1'").arg(flag),
                    std::nullopt, std::nullopt};
    return Deck{QStringLiteral("Flags"), {lamp}};
}

DiscoveredHost absentHost(const QString &name)
{
    DiscoveredHost host;
    host.name = name;
    host.id = name + QStringLiteral("._quorvel._tcp.local.");
    host.endpoint = HostPortEndpoint{QStringLiteral("127.0.0.1"), 1};
    host.protocolVersion = 2;
    return host;
}

} // namespace

class ClientViewsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void pressedButtonIsDisabledUntilTheResult();
    void switchShowsTheHostsStateUntilItsUpdate();
    void oneStateChangeRedrawsNoRows();
    void pairsWithTheRightCodeFromTheField();
    void codeFieldHoldsTheFocus();
    void fieldEmptiesWhenTheHostChanges();
    void forgetIsOfferedOnlyWithAStoredCode();
    void blockedNoticeWithoutTheDiscoveryService();
    void outsideTextShowsAsText();
    void rowsStartTheirContentAlike();
    void showingTheRootStartsTheModel();
    void laterLaunchShowsTheLastActionsGreyed();
};

void ClientViewsTest::initTestCase()
{
    IconTheme::setUp();
}

void ClientViewsTest::cleanup()
{
    QUORVEL_RESTORE_MDNS_DAEMONS();
}

void ClientViewsTest::pressedButtonIsDisabledUntilTheResult()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    QVERIFY(session.pair(model, host));
    DeckView view(model);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    ControlRow *slow = view.row(QLatin1String(GalleryDecks::slowButtonID));
    QVERIFY(slow && slow->pressButton());
    QVERIFY(slow->pressButton()->isEnabled());
    QTest::mouseClick(slow->pressButton(), Qt::LeftButton);
    QVERIFY(!slow->pressButton()->isEnabled());
    // Other rows are not held up by it.
    QVERIFY(view.row(QStringLiteral("record"))->pressButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(slow->pressButton()->isEnabled(), answerLimitMs);
    QVERIFY(!model->pendingControls().contains(QLatin1String(GalleryDecks::slowButtonID)));
}

void ClientViewsTest::switchShowsTheHostsStateUntilItsUpdate()
{
    QTemporaryDir folder;
    const QString flag = folder.filePath(QStringLiteral("lamp-on"));
    GallerySession session;
    GalleryHost *host = session.startHost(flagDeck(flag));
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    QVERIFY(session.pair(model, host));
    QTRY_VERIFY_WITH_TIMEOUT(model->state(QStringLiteral("lamp")).has_value(), answerLimitMs);
    DeckView view(model);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    ControlRow *lamp = view.row(QStringLiteral("lamp"));
    QVERIFY(!lamp->switchBox()->isChecked());
    QCOMPARE(lamp->badgeText(), QStringLiteral("stopped"));

    QTest::mouseClick(lamp->switchBox(), Qt::LeftButton);
    // The click asked; the host has not said yes yet.
    QVERIFY(!lamp->switchBox()->isChecked());
    QVERIFY(!lamp->switchBox()->isEnabled());
    QCOMPARE(lamp->badgeText(), QStringLiteral("working…"));
    QTRY_VERIFY_WITH_TIMEOUT(lamp->switchBox()->isChecked(), answerLimitMs);
    QTRY_VERIFY_WITH_TIMEOUT(lamp->switchBox()->isEnabled(), answerLimitMs);
    QCOMPARE(lamp->badgeText(), QStringLiteral("running"));
    QVERIFY(QFile::exists(flag));
}

void ClientViewsTest::oneStateChangeRedrawsNoRows()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    QVERIFY(session.pair(model, host));
    DeckView view(model);
    QCOMPARE(view.rebuildCount(), 1);
    QCOMPARE(view.rows().size(), qsizetype(GalleryDecks::studio().controls.size()));
    const QList<ControlRow *> before = view.rows();
    QSignalSpy states(model, &ClientModel::stateChanged);
    model->requestState();
    QTRY_VERIFY_WITH_TIMEOUT(!states.isEmpty(), answerLimitMs);
    // The host sends its deck again on a new connection only: state updates keep the rows.
    QCOMPARE(view.rebuildCount(), 1);
    QCOMPARE(view.rows(), before);
}

void ClientViewsTest::pairsWithTheRightCodeFromTheField()
{
    GallerySession session;
    GalleryHost *host = session.startHost(flagDeck(QStringLiteral("/nonexistent/flag")));
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    model->forgetPairingCode(host->listing());
    model->receiveHosts({host->listing()});
    QTRY_COMPARE_WITH_TIMEOUT(model->status().kind(), Kind::needsPairing, answerLimitMs);
    ClientRootView root(model);
    PairingView *pairing = root.pairingView();
    QCOMPARE(root.parts().main, RemoteViewRules::RootParts::Main::pairing);
    QVERIFY(pairing->field()->text().isEmpty());
    QVERIFY(!pairing->pairButton()->isEnabled());
    QCOMPARE(pairing->titleText(), QStringLiteral("Pair with ") + host->listing().name);

    // Return with a text that is no code does nothing.
    QTest::keyClicks(pairing->field(), QStringLiteral("ABCD-EFGH"));
    QVERIFY(!pairing->pairButton()->isEnabled());
    QTest::keyClick(pairing->field(), Qt::Key_Return);
    QCOMPARE(pairing->field()->text(), QStringLiteral("ABCD-EFGH"));
    QCOMPARE(model->status().kind(), Kind::needsPairing);

    pairing->field()->clear();
    const QString typed = host->coordinator().pairingToken().displayText().toLower();
    QTest::keyClicks(pairing->field(), typed);
    QVERIFY(pairing->pairButton()->isEnabled());
    QTest::keyClick(pairing->field(), Qt::Key_Return);
    QVERIFY(pairing->field()->text().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(model->isConnected() && model->deck(), answerLimitMs);
    QCOMPARE(root.parts().main, RemoteViewRules::RootParts::Main::deck);
}

// Typing right after the view shows, and again after a refused code, goes into the code field:
// the keys were lost before, and Return pressed whatever held the focus.
void ClientViewsTest::codeFieldHoldsTheFocus()
{
    GallerySession session;
    GalleryHost *host = session.startHost(flagDeck(QStringLiteral("/nonexistent/flag")));
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    model->forgetPairingCode(host->listing());
    model->receiveHosts({host->listing()});
    QTRY_COMPARE_WITH_TIMEOUT(model->status().kind(), Kind::needsPairing, answerLimitMs);
    ClientRootView root(model);
    PairingView *pairing = root.pairingView();
    // As the tray's menu shows it: a popup focuses nothing by itself.
    root.setWindowFlags(Qt::Popup);
    root.show();
    QVERIFY(QTest::qWaitForWindowActive(&root));
    QCOMPARE(QApplication::focusWidget(), pairing->field());

    // Shown again, what was left in the field is selected, so that typing replaces it.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ABCD"));
    root.hide();
    root.show();
    // The offscreen platform keeps its focus window through the hiding; a desktop activates the
    // window again.
    QApplication::setActiveWindow(&root);
    QVERIFY(QTest::qWaitForWindowActive(&root));
    QCOMPARE(QApplication::focusWidget(), pairing->field());
    QCOMPARE(pairing->field()->selectedText(), QStringLiteral("ABCD"));

    QTest::keyClicks(QApplication::focusWidget(), PairingToken::generate().displayText());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(model->status().kind() == Kind::needsPairing &&
                                 model->status().reason() &&
                                 *model->status().reason() != ClientModel::keyringWaitText,
                             answerLimitMs);
    QCOMPARE(root.parts().main, RemoteViewRules::RootParts::Main::pairing);
    QCOMPARE(QApplication::focusWidget(), pairing->field());

    QTest::keyClicks(QApplication::focusWidget(), host->coordinator().pairingToken().displayText());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(model->isConnected() && model->deck(), answerLimitMs);
}

void ClientViewsTest::fieldEmptiesWhenTheHostChanges()
{
    GallerySession session;
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    PairingView view(model);
    view.setHost(absentHost(QStringLiteral("Kitchen")), std::nullopt);
    QTest::keyClicks(view.field(), QStringLiteral("KITCHEN CODE"));
    QVERIFY(view.reasonText().isEmpty());
    // A new reason for the same host keeps the typing.
    view.setHost(absentHost(QStringLiteral("Kitchen")), QStringLiteral("Try again."));
    QCOMPARE(view.field()->text(), QStringLiteral("KITCHEN CODE"));
    QCOMPARE(view.reasonText(), QStringLiteral("Try again."));
    view.setHost(absentHost(QStringLiteral("Workshop")), std::nullopt);
    QVERIFY(view.field()->text().isEmpty());
    QCOMPARE(view.instructionText(),
             QStringLiteral("Enter the pairing code shown in Quorvel Settings (the This Computer "
                            "tab) or in Set Up Quorvel on Workshop."));
}

void ClientViewsTest::forgetIsOfferedOnlyWithAStoredCode()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    QVERIFY(session.pair(model, host));
    const DiscoveredHost kitchen = absentHost(QStringLiteral("Kitchen"));
    model->forgetPairingCode(kitchen);
    HostListView list(model);
    model->receiveHosts({host->listing(), kitchen});
    QCOMPARE(list.rows().size(), 2);
    HostRow *paired = list.rows().at(0);
    HostRow *other = list.rows().at(1);
    QTRY_COMPARE_WITH_TIMEOUT(list.menuItems(paired), QStringList{"Forget Pairing Code"},
                              answerLimitMs);
    QVERIFY(list.menuItems(other).isEmpty());
    QCOMPARE(paired->mark().symbol, QStringLiteral("checkmark.circle.fill"));
    QCOMPARE(other->mark().symbol, QStringLiteral("circle"));

    list.forget(paired);
    // Forgetting the connected host ends the link.
    QTRY_COMPARE_WITH_TIMEOUT(model->status().kind(), Kind::idle, answerLimitMs);
    QTRY_VERIFY_WITH_TIMEOUT(list.menuItems(paired).isEmpty(), answerLimitMs);
}

void ClientViewsTest::blockedNoticeWithoutTheDiscoveryService()
{
    QUORVEL_REQUIRE_MDNS_SANDBOX();
    QVERIFY(Testing::stopAvahiDaemon());
    GallerySession session;
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    HostListView list(model);
    QVERIFY(list.showsSearching());
    model->start();
    QTRY_VERIFY_WITH_TIMEOUT(model->localNetworkBlocked(), answerLimitMs);
    QCOMPARE(list.noticeTitle(), QStringLiteral("Quorvel can't see your local network."));
    QVERIFY(!list.showsSearching());
}

void ClientViewsTest::outsideTextShowsAsText()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    QVERIFY(session.pair(model, host));
    DeckView view(model);
    ControlRow *row = view.row(QStringLiteral("markup"));
    QCOMPARE(row->title(), QStringLiteral("<b>Bold</b> & <i>plain</i>"));
    for (QLabel *label : row->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    // An unknown symbol still draws the generic icon.
    QCOMPARE(row->iconSymbol(), QStringLiteral("no.such.symbol"));

    HostListView list(model);
    model->receiveHosts({host->listing(), absentHost(QStringLiteral("<b>Workshop</b>"))});
    QCOMPARE(list.rows().at(1)->name(), QStringLiteral("<b>Workshop</b>"));
    model->setLastNotice(QStringLiteral("<a href='x'>click</a> failed"));
    ClientRootView root(model);
    QCOMPARE(root.noticeText(), QStringLiteral("<a href='x'>click</a> failed"));

    // A failure's words reach the host row's tooltip, which Qt reads as markup when it can.
    HostRow hostRow(host->listing());
    const QString failure = QStringLiteral("<b>Workshop</b> said <i>no</i>");
    hostRow.setMark({RemoteViewRules::HostMark::Kind::symbol,
                     QStringLiteral("exclamationmark.triangle"), StatusTone::orange, failure});
    QTextDocument shown;
    shown.setHtml(hostRow.toolTip());
    QCOMPARE(shown.toPlainText(), failure);
}

// A button's, a switch's and a readout's row start their icon and title at the same place.
void ClientViewsTest::rowsStartTheirContentAlike()
{
    QWidget column;
    auto *layout = new QVBoxLayout(&column);
    QList<ControlRow *> rows;
    for (const ControlType type : {ControlType::button, ControlType::toggle, ControlType::metric}) {
        Control control;
        control.id = QString::number(int(type));
        control.title = QStringLiteral("Lamp");
        control.type = type;
        rows.append(new ControlRow(control, nullptr, &column));
        layout->addWidget(rows.back());
    }
    column.setAttribute(Qt::WA_DontShowOnScreen);
    column.show();
    QStringList lefts;
    for (ControlRow *row : std::as_const(rows)) {
        const auto *label = row->findChild<ControlRowLabel *>();
        QVERIFY(label);
        lefts.append(QString::number(label->mapTo(&column, QPoint(0, 0)).x()));
    }
    QCOMPARE(lefts, QStringList(rows.size(), lefts.front()));
}

void ClientViewsTest::showingTheRootStartsTheModel()
{
    GallerySession session;
    ClientModel *model = session.makeModel(QStringLiteral("Remote"));
    ClientRootView root(model);
    QVERIFY(!model->isBrowsing());
    QVERIFY(!root.parts().header);
    root.setAttribute(Qt::WA_DontShowOnScreen);
    root.show();
    QVERIFY(model->isBrowsing());
    root.hide();
    root.show();
    QVERIFY(model->isBrowsing());
    QVERIFY(root.editButton()->isHidden());
}

void ClientViewsTest::laterLaunchShowsTheLastActionsGreyed()
{
    GallerySession session;
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    ClientModel *first = session.makeModel(QStringLiteral("Remote"), true);
    QVERIFY(session.pair(first, host));
    const QString hostName = first->hostInfo()->hostName;
    first->disconnectFromHost();

    // The next launch: the remembered host is not listed yet.
    ClientModel *later = session.makeModel(QStringLiteral("Remote"), true);
    NotConnectedView view(later, true);
    QCOMPARE(view.shownCase(), RemoteViewRules::NotConnectedCase::lookingFor);
    QCOMPARE(view.lookingForText(), QStringLiteral("Looking for %1…").arg(hostName));
    QCOMPARE(view.previewRows().size(), qsizetype(GalleryDecks::studio().controls.size()));
    for (ControlRow *row : view.previewRows())
        QVERIFY(!row->isEnabled());
    QVERIFY(!view.showsOtherHosts());
    // Other hosts appear under their own heading; the remembered one is still missing.
    later->receiveHosts({absentHost(QStringLiteral("Kitchen"))});
    QVERIFY(view.showsOtherHosts());
    QCOMPARE(view.shownCase(), RemoteViewRules::NotConnectedCase::lookingFor);
    // The root shows the live deck only: the cached one counts as none there.
    ClientRootView root(later);
    QCOMPARE(root.parts().main, RemoteViewRules::RootParts::Main::notConnected);
}

int main(int argc, char *argv[])
{
    if (const int status = ClientTest::reenterDBusSandbox(argc, argv))
        return status;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    ClientViewsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ClientViewsTest.moc"
