#include "Platform/Session/LoginAgentUnit.h"
#include "Quorvel/Outside/LinkApprovals.h"
#include "Quorvel/Outside/Updater.h"
#include "Quorvel/Setup/ActivityRow.h"
#include "Quorvel/Setup/ActivitySettings.h"
#include "Quorvel/Setup/FileRevealer.h"
#include "Quorvel/Setup/GeneralSettings.h"
#include "Quorvel/Setup/HostSettings.h"
#include "Quorvel/Setup/HostSettingsWording.h"
#include "Quorvel/Setup/KeepAwakeSwitch.h"
#include "Quorvel/Setup/LinkSettings.h"
#include "Quorvel/Setup/LocalEditorButton.h"
#include "Quorvel/Setup/NotHosting.h"
#include "Quorvel/Setup/UpdateSettings.h"
#include "QuorvelClientUI/ActionSharing.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/PlainLabel.h"

#include "DBusMock.h"
#include "SetupFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextDocument>

using namespace Quorvel;
using namespace Quorvel::SetupTest;

Q_DECLARE_METATYPE(Quorvel::HostActivity::Outcome)

namespace {

// "Copied" lasts this long here instead of two seconds.
constexpr std::chrono::milliseconds testCopiedFor{100};

// A deck file for the host under the private home, set for the test's length.
struct DeckInHome {
    DeckInHome() : path(QDir::homePath() + QStringLiteral("/Quorvel Decks/deck.json"))
    {
        qputenv("QUORVEL_DECK", path.toUtf8());
    }
    ~DeckInHome() { qunsetenv("QUORVEL_DECK"); }
    QString path;
};

HostActivity entryAt(const QTime &time, HostActivity::Outcome outcome,
                     std::optional<QString> detail = std::nullopt)
{
    HostActivity entry =
        HostActivity::make(QStringLiteral("iPad"), QStringLiteral("Ran Lamp"), outcome, detail);
    entry.date = QDateTime(QDate(2024, 3, 1), time);
    return entry;
}

// The text a tooltip shows: the label under it reads markup wherever Qt guesses rich text.
QString shownToolTip(const QString &toolTip)
{
    if (!Qt::mightBeRichText(toolTip))
        return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

} // namespace

// The settings' tabs over a real application state: the roles in private settings, a real host,
// start at login through the real systemctl in the private XDG_CONFIG_HOME, "Show in Files"
// through a python3-dbusmock file manager on the private session bus.
class SettingsTabsTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void connectedText_data();
    void connectedText();
    void savedInText_data();
    void savedInText();
    void editUnavailableReason_data();
    void editUnavailableReason();
    void keepAwakeWarning_data();
    void keepAwakeWarning();

    void generalLeavesOutRemotePartsWhileTheRemoteIsOff();
    void generalRolesApplyAtOnce();
    void startAtLoginFollowsSystemd();
    void copiedShowsForAWhile();
    void linksListAndForget();

    void thisComputerTurnsHostingOn();
    void thisComputerWarnsWhenNothingKeepsItAwake();
    void thisComputerShowsTheDeckInFiles();

    void activityMarks_data();
    void activityMarks();
    void activityTimeHasSeconds_data();
    void activityTimeHasSeconds();
    void activityFollowsTheLog();
    void activityKeepsTheReadersPlace();
    void longValuesShowWholeLines();

    void updatesOfferNoSelfInstall();
};

void SettingsTabsTest::init()
{
    openClientSettings()->clear();
    storeRoles(false, false, true);
}

void SettingsTabsTest::connectedText_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QStringList() << "No devices";
    QTest::newRow("one") << QStringList{"iPad"} << "iPad";
    QTest::newRow("several, as given")
        << QStringList{"Mac mini", "iPad", "iPhone"} << "Mac mini, iPad, iPhone";
}

void SettingsTabsTest::connectedText()
{
    QFETCH(QStringList, names);
    QFETCH(QString, text);
    QCOMPARE(HostSettingsWording::connectedText(names), text);
}

void SettingsTabsTest::savedInText_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("shown");
    QTest::newRow("in home") << "/home/jo/.local/share/Quorvel/deck.json"
                             << "/home/jo"
                             << "~/.local/share/Quorvel/deck.json";
    QTest::newRow("home with a trailing slash") << "/home/jo/deck.json"
                                                << "/home/jo/"
                                                << "~/deck.json";
    QTest::newRow("a longer name beside home") << "/home/joe/deck.json"
                                               << "/home/jo"
                                               << "/home/joe/deck.json";
    QTest::newRow("home's path again further in") << "/srv/home/jo/deck.json"
                                                  << "/home/jo"
                                                  << "/srv/home/jo/deck.json";
    QTest::newRow("outside home") << "/etc/quorvel/deck.json"
                                  << "/home/jo"
                                  << "/etc/quorvel/deck.json";
}

void SettingsTabsTest::savedInText()
{
    QFETCH(QString, path);
    QFETCH(QString, home);
    QFETCH(QString, shown);
    QCOMPARE(HostSettingsWording::savedInText(path, home), shown);
}

void SettingsTabsTest::editUnavailableReason_data()
{
    QTest::addColumn<QString>("listenerStatus");
    QTest::addColumn<bool>("hasPort");
    QTest::addColumn<QString>("reason");
    QTest::newRow("listening") << "listening on :4242" << true << "";
    QTest::newRow("starting") << "starting" << false << "The host is starting…";
    QTest::newRow("failed") << "failed: Address in use" << false
                            << "Can't edit: the host isn't listening (Address in use).";
}

void SettingsTabsTest::editUnavailableReason()
{
    QFETCH(QString, listenerStatus);
    QFETCH(bool, hasPort);
    QFETCH(QString, reason);
    QCOMPARE(HostSettingsWording::editUnavailableReason(listenerStatus, hasPort), reason);
    QCOMPARE(HostSettingsWording::listenerFailure(listenerStatus).has_value(),
             listenerStatus.startsWith(QLatin1String("failed: ")));
}

void SettingsTabsTest::keepAwakeWarning_data()
{
    QTest::addColumn<bool>("wished");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("warning");
    QTest::newRow("held") << true << true << true << ""
                          << "";
    QTest::newRow("not wished") << false << true << false << ""
                                << "";
    QTest::newRow("host stopped") << true << false << false << ""
                                  << "";
    // The services' error texts stay out of the view, whatever they say.
    const QString plainWarning =
        "Nothing keeps this computer awake now: the system didn't let Quorvel hold off sleep. "
        "The details are in Quorvel's log.";
    QTest::newRow("no lock, with reason")
        << true << true << false << "logind is not available" << plainWarning;
    QTest::newRow("no lock, bus errors")
        << true << true << false
        << "logind: Launch helper exited with unknown return code 1; GNOME session: Name "
           "\"org.gnome.SessionManager\" does not exist"
        << plainWarning;
    QTest::newRow("no way to stay awake")
        << true << true << false << "this system offers no way to stay awake" << plainWarning;
    QTest::newRow("still asking") << true << true << false << ""
                                  << "";
}

void SettingsTabsTest::keepAwakeWarning()
{
    QFETCH(bool, wished);
    QFETCH(bool, running);
    QFETCH(bool, held);
    QFETCH(QString, problem);
    QFETCH(QString, warning);
    QCOMPARE(HostSettingsWording::keepAwakeWarning(wished, running, held, problem), warning);
}

void SettingsTabsTest::generalLeavesOutRemotePartsWhileTheRemoteIsOff()
{
    SetupApp app;
    LinkApprovals approvals;
    GeneralSettings general(*app.state, {&approvals, {}, testCopiedFor});
    QVERIFY(!general.remoteSwitch()->isChecked());
    QVERIFY(general.sharingSwitch()->parentWidget()->isHidden());
    QVERIFY(general.links()->isHidden());

    general.remoteSwitch()->click();
    QVERIFY(!general.sharingSwitch()->parentWidget()->isHidden());
    QVERIFY(!general.links()->isHidden());
    // The switch and its line show the sharing as it stands, and turn it on.
    QCOMPARE(general.sharingSwitch()->isChecked(), app.state->sharing().isEnabled());
    if (!general.sharingSwitch()->isChecked())
        general.sharingSwitch()->click();
    QVERIFY(app.state->sharing().isEnabled());
    QVERIFY(general.sharingSwitch()->isChecked());
    QCOMPARE(general.sharingStatus(), app.state->sharing().statusText());

    general.remoteSwitch()->click();
    QVERIFY(general.sharingSwitch()->parentWidget()->isHidden());
    QVERIFY(general.links()->isHidden());
    QVERIFY(!app.state->sharing().isEnabled());
}

void SettingsTabsTest::generalRolesApplyAtOnce()
{
    SetupApp app;
    GeneralSettings general(*app.state, {});
    general.remoteSwitch()->click();
    QVERIFY(app.model.isBrowsing());
    QVERIFY(AppRoles::readFlag(stored(AppRoles::remoteKey)));
    general.hostingSwitch()->click();
    QVERIFY(app.state->host());
    QVERIFY(AppRoles::readFlag(stored(AppRoles::hostingKey)));
    // Roles switched elsewhere show here.
    app.state->roles().setHosting(false);
    app.state->applyRoles();
    QVERIFY(!general.hostingSwitch()->isChecked());
    QVERIFY(AppRoles::readFlag(stored(AppRoles::onboardedKey)));
}

void SettingsTabsTest::startAtLoginFollowsSystemd()
{
    if (QStandardPaths::findExecutable(QStringLiteral("systemctl")).isEmpty())
        QSKIP("systemctl is not installed");
    SetupApp app(SetupApp::Systemctl::real);
    GeneralSettings general(*app.state, {});
    const LoginAgentUnit unit;
    QVERIFY(!general.startAtLoginSwitch()->isChecked());

    general.startAtLoginSwitch()->click();
    QCOMPARE(unit.status(), LoginAgentUnit::Status::enabled);
    QVERIFY(app.state->startsAtLogin());
    QVERIFY(general.startAtLoginSwitch()->isChecked());

    general.startAtLoginSwitch()->click();
    QCOMPARE(unit.status(), LoginAgentUnit::Status::notFound);
    QVERIFY(!app.state->startsAtLogin());
    QVERIFY(!general.startAtLoginSwitch()->isChecked());
}

void SettingsTabsTest::copiedShowsForAWhile()
{
    SetupApp app;
    int copies = 0;
    GeneralSettings general(*app.state, {nullptr, [&copies] { ++copies; }, testCopiedFor});
    QCOMPARE(general.reportButton()->text(), GeneralSettings::copyTitle);
    general.reportButton()->click();
    QCOMPARE(copies, 1);
    QCOMPARE(general.reportButton()->text(), GeneralSettings::copiedTitle);
    QTRY_COMPARE(general.reportButton()->text(), GeneralSettings::copyTitle);
}

void SettingsTabsTest::linksListAndForget()
{
    LinkApprovals approvals;
    approvals.record(QStringLiteral("org.example.Launcher.desktop"), QStringLiteral("Launcher"),
                     true);
    approvals.record(QStringLiteral("org.other.Launcher.desktop"), QStringLiteral("Launcher"),
                     false);
    approvals.record(QStringLiteral("org.example.Deck.desktop"), QStringLiteral("<b>Deck</b>"),
                     true);
    LinkSettings links(approvals);
    const QList<LinkSettings::Row> rows = links.rows();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).name, QStringLiteral("<b>Deck</b>"));
    QCOMPARE(rows.at(1).name, QStringLiteral("Launcher"));
    QCOMPARE(rows.at(2).name, QStringLiteral("Launcher"));
    QStringList answers{rows.at(1).answer, rows.at(2).answer};
    answers.sort();
    QCOMPARE(answers, (QStringList{"Allowed", "Not allowed"}));
    QCOMPARE(rows.at(0).forgetToolTip,
             QStringLiteral("Ask again the next time <b>Deck</b> opens a link"));
    // The tooltip shows the name's tags as they are.
    QCOMPARE(shownToolTip(links.forgetButtons().at(0)->toolTip()), rows.at(0).forgetToolTip);

    // Forgetting one of two same-named apps leaves the other.
    const QString forgotten = rows.at(1).appID;
    links.forgetButtons().at(1)->click();
    QCOMPARE(links.rows().size(), 2);
    QVERIFY(!approvals.decision(forgotten).has_value());
    QVERIFY(!LinkApprovals().decision(forgotten).has_value());
    links.forgetButtons().at(1)->click();
    links.forgetButtons().at(0)->click();
    QVERIFY(links.showsEmptyText());
    QVERIFY(approvals.entries().isEmpty());
}

void SettingsTabsTest::thisComputerTurnsHostingOn()
{
    SetupApp app;
    HostSettings hostTab(*app.state, {});
    ActivitySettings activityTab(*app.state);
    QVERIFY(hostTab.notHosting());
    QVERIFY(activityTab.notHosting());

    hostTab.notHosting()->turnOn()->click();
    QVERIFY(app.state->host());
    QVERIFY(AppRoles::readFlag(stored(AppRoles::hostingKey)));
    QVERIFY(!hostTab.notHosting());
    QVERIFY(!activityTab.notHosting());
    QVERIFY(activityTab.showsNothingYet());
    QCOMPARE(hostTab.connectedText(), QStringLiteral("No devices"));
    // The edit button waits for the listener, then works.
    QTRY_VERIFY(hostTab.localEditor()->button()->isEnabled());
    QCOMPARE(hostTab.localEditor()->reasonText(), QString());
}

void SettingsTabsTest::thisComputerWarnsWhenNothingKeepsItAwake()
{
    // The private session has no logind and no GNOME session manager: no lock can be held.
    storeRoles(false, true, true);
    SetupApp app;
    HostSettings hostTab(*app.state, {});
    KeepAwakeSwitch *keepAwake = hostTab.keepAwake();
    QVERIFY(keepAwake);
    QVERIFY(!keepAwake->box()->isChecked());
    QCOMPARE(keepAwake->warningText(), QString());

    keepAwake->box()->click();
    QVERIFY(app.state->host()->keepsAwake());
    QVERIFY(AppRoles::readFlag(stored(HostCoordinator::keepsAwakeKey)));
    // The switch shows the wish; the warning says it is not met.
    QVERIFY(keepAwake->box()->isChecked());
    QTRY_VERIFY(!keepAwake->warningText().isEmpty());
    QVERIFY(!app.state->host()->awakeLockHeld());

    keepAwake->box()->click();
    QVERIFY(!AppRoles::readFlag(stored(HostCoordinator::keepsAwakeKey)));
    QCOMPARE(keepAwake->warningText(), QString());
}

void SettingsTabsTest::thisComputerShowsTheDeckInFiles()
{
    const DeckInHome deck;
    HostTest::DBusMock fileManager(QDBusConnection::sessionBus(), FileRevealer::service,
                                   FileRevealer::path);
    QVERIFY(fileManager.start({QStringLiteral("--session"), FileRevealer::service,
                               FileRevealer::path, FileRevealer::service}));
    QVERIFY(fileManager.addMethod(FileRevealer::service, QStringLiteral("ShowItems"),
                                  QStringLiteral("ass"), QString(), QString()));
    storeRoles(false, true, true);
    SetupApp app;
    FileRevealer revealer;
    QSignalSpy revealed(&revealer, &FileRevealer::revealed);
    HostSettings hostTab(*app.state, [&revealer](const QString &path) { revealer.reveal(path); });
    QCOMPARE(hostTab.savedInText(), QStringLiteral("~/Quorvel Decks/deck.json"));

    hostTab.showInFilesButton()->click();
    QTRY_COMPARE(revealed.size(), 1);
    QCOMPARE(revealed.first().first().toBool(), true);
    const QVariantList arguments = fileManager.lastCallArguments(QStringLiteral("ShowItems"));
    QCOMPARE(arguments.value(0).toStringList(),
             QStringList{QUrl::fromLocalFile(deck.path).toString(QUrl::FullyEncoded)});
}

void SettingsTabsTest::activityMarks_data()
{
    QTest::addColumn<HostActivity::Outcome>("outcome");
    QTest::addColumn<QString>("symbol");
    QTest::newRow("ok") << HostActivity::Outcome::ok << "checkmark.circle.fill";
    QTest::newRow("failed") << HostActivity::Outcome::failed << "exclamationmark.triangle.fill";
    QTest::newRow("info") << HostActivity::Outcome::info << "info.circle";
}

void SettingsTabsTest::activityMarks()
{
    QFETCH(HostActivity::Outcome, outcome);
    QFETCH(QString, symbol);
    QCOMPARE(ActivityRow::markSymbol(outcome), symbol);
}

void SettingsTabsTest::activityTimeHasSeconds_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("line");
    QTest::newRow("12-hour") << "en_US"
                             << "iPad · 2:05:09\u202fPM";
    QTest::newRow("24-hour") << "de_DE"
                             << "iPad · 14:05:09";
}

void SettingsTabsTest::activityTimeHasSeconds()
{
    QFETCH(QString, locale);
    QFETCH(QString, line);
    const HostActivity entry = entryAt(QTime(14, 5, 9), HostActivity::Outcome::ok);
    QString shown = ActivityRow::deviceLine(entry, QLocale(locale));
    // Locale data differ in the blank before the day period.
    shown.replace(u' ', u'\u202f')
        .replace(QStringLiteral("iPad\u202f·\u202f"), QStringLiteral("iPad · "));
    QCOMPARE(shown, line);
}

void SettingsTabsTest::activityFollowsTheLog()
{
    storeRoles(false, true, true);
    SetupApp app;
    ActivitySettings tab(*app.state);
    QVERIFY(tab.showsNothingYet());
    HostCoordinator *host = app.state->host();
    host->addActivity(entryAt(QTime(9, 0, 0), HostActivity::Outcome::ok));
    host->addActivity(entryAt(QTime(9, 1, 0), HostActivity::Outcome::failed, QString()));
    host->addActivity(
        entryAt(QTime(9, 2, 0), HostActivity::Outcome::failed, QStringLiteral("exit 1")));
    QCOMPARE(tab.rows().size(), 3);
    // Newest first; an empty detail shows no line.
    QCOMPARE(tab.rows().at(0)->lines().size(), 3);
    QCOMPARE(tab.rows().at(0)->lines().last(), QStringLiteral("exit 1"));
    QVERIFY(tab.rows().at(0)->detailLabel()->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(tab.rows().at(1)->lines().size(), 2);
    QCOMPARE(tab.rows().at(2)->lines().size(), 2);

    app.state->roles().setHosting(false);
    app.state->applyRoles();
    QVERIFY(tab.notHosting());
}

void SettingsTabsTest::activityKeepsTheReadersPlace()
{
    storeRoles(false, true, true);
    SetupApp app;
    HostCoordinator *host = app.state->host();
    for (int minute = 0; minute < 30; ++minute)
        host->addActivity(entryAt(QTime(9, minute, 0), HostActivity::Outcome::ok));
    ActivitySettings tab(*app.state);
    tab.resize(400, 300);
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    QScrollBar *bar = tab.scrollArea()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);

    // Reading at the top, the newest entry comes into sight.
    host->addActivity(entryAt(QTime(10, 0, 0), HostActivity::Outcome::failed));
    QCOMPARE(tab.rows().size(), 31);
    QCOMPARE(bar->value(), 0);

    // Reading further down, the row read stays where it was, the same row.
    const QPointer<ActivityRow> reading = tab.rows().at(15);
    bar->setValue(reading->y() - 7);
    const int shownAt = reading->y() - bar->value();
    host->addActivity(entryAt(QTime(10, 1, 0), HostActivity::Outcome::ok));
    host->addActivity(entryAt(QTime(10, 2, 0), HostActivity::Outcome::ok));
    QCOMPARE(tab.rows().size(), 33);
    QVERIFY(reading);
    QCOMPARE(tab.rows().at(17), reading.data());
    QTRY_COMPARE(reading->y() - bar->value(), shownAt);
}

void SettingsTabsTest::longValuesShowWholeLines()
{
    storeRoles(false, true, true);
    SetupApp app;
    HostCoordinator *host = app.state->host();
    // The host keeps a detail on one line; this one wraps over many at the tab's width.
    QStringList words;
    for (int line = 1; line <= 10; ++line)
        words << QStringLiteral("error line %1 of the build output").arg(line);
    const QString detail = words.join(u' ');
    host->addActivity(entryAt(QTime(9, 0, 0), HostActivity::Outcome::failed, detail));
    ActivitySettings tab(*app.state);
    tab.resize(500, 400);
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    PlainLabel *label = tab.rows().at(0)->detailLabel();
    QCOMPARE(label->text(), detail);
    QTRY_COMPARE(label->shownText().count(u'\n'), 2);
    QVERIFY(label->shownText().endsWith(QStringLiteral("…")));
    QString kept = label->shownText().replace(u'\n', u' ');
    kept.chop(1);
    QVERIFY2(detail.startsWith(kept), qPrintable(kept));
}

void SettingsTabsTest::updatesOfferNoSelfInstall()
{
    Updater updater(QUrl(QStringLiteral("https://127.0.0.1:9/appcast.xml")), QStringLiteral("1.4"));
    UpdateSettings tab(updater, QStringLiteral("1.4"));
    QStringList switches;
    for (const QCheckBox *box : tab.findChildren<QCheckBox *>())
        switches << box->text();
    QCOMPARE(switches, (QStringList{"Check for updates automatically", "Get test builds"}));
    QCOMPARE(tab.versionText(), QStringLiteral("Version 1.4"));
    QCOMPARE(tab.availableText(), QString());

    tab.testBuilds()->click();
    QCOMPARE(stored(Updater::channelKey).toString(), Updater::testingChannel);
    tab.automaticChecks()->click();
    QVERIFY(!updater.automaticallyChecks());
    tab.testBuilds()->click();
    QVERIFY(!openClientSettings()->contains(Updater::channelKey));
}

QTEST_MAIN(SettingsTabsTest)
#include "SettingsTabsTest.moc"
