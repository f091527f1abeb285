#include "QuorvelHostKit/Service/HostDiagnostics.h"

#include <QTest>

using namespace Quorvel;

namespace {

Action shell(const QString &target)
{
    return Action{Action::Kind::shell, target, std::nullopt, std::nullopt, std::nullopt};
}

Control control(const QString &id, ControlType type)
{
    Control result;
    result.id = id;
    result.title = id;
    result.type = type;
    return result;
}

HostActivity entry(int minute, HostActivity::Outcome outcome, const QString &summary)
{
    return HostActivity{QUuid::createUuid(),
                        QDateTime(QDate(2026, 12, 9), QTime(9, minute, 30)).toUTC(),
                        "Phone",
                        summary,
                        outcome,
                        QString("not shown")};
}

} // namespace

class HostDiagnosticsTest : public QObject {
    Q_OBJECT

private slots:
    void fullReport();
    void pairingLine_data();
    void pairingLine();
    void keepAwakeLine_data();
    void keepAwakeLine();
    void actionKinds_data();
    void actionKinds();
    void recentActivityShowsNewestThirty();
};

void HostDiagnosticsTest::fullReport()
{
    HostDiagnostics diagnostics;
    diagnostics.hostName = "Studio";
    diagnostics.listenerStatus = "listening on :4242";
    diagnostics.localNetwork = "notVisible";
    diagnostics.connectedClientNames = {"iPad", "Den Mac", "Air"};
    diagnostics.allowDeckEditing = true;
    diagnostics.deck = Deck{"Empty", {}};
    diagnostics.deckProblem = "deck.json isn't valid: missing \"title\"";
    diagnostics.activity = {entry(16, HostActivity::Outcome::ok, "Ran Lights"),
                            entry(15, HostActivity::Outcome::info, "Connected")};
    const QStringList expected{
        "Name: Studio",
        "Listener: listening on :4242",
        "Local network: notVisible",
        "Connected devices: Air, Den Mac, iPad",
        "Pairing code: saved, not shared via iCloud Keychain (not signed in to iCloud)",
        "Editing from other devices: allowed",
        "Keep awake: off",
        "Actions: 0 ()",
        "Actions file problem: deck.json isn't valid: missing \"title\"",
        "Recent activity:",
        "  12/9/26 9:16:30 AM  ok  Ran Lights (Phone)",
        "  12/9/26 9:15:30 AM  info  Connected (Phone)",
    };
    QCOMPARE(diagnostics.lines(QLocale(QLocale::English, QLocale::UnitedStates)), expected);

    HostDiagnostics quiet = diagnostics;
    quiet.connectedClientNames.clear();
    quiet.deckProblem.reset();
    quiet.activity.clear();
    quiet.keepsAwake = true;
    const QStringList lines = quiet.lines();
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines.at(3), QStringLiteral("Connected devices: none"));
    QCOMPARE(lines.at(6), QStringLiteral("Keep awake: on"));
}

void HostDiagnosticsTest::pairingLine_data()
{
    QTest::addColumn<bool>("environment");
    QTest::addColumn<bool>("synced");
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<QString>("line");
    QTest::newRow("saved, not shared, signed out")
        << false << false << false
        << "Pairing code: saved, not shared via iCloud Keychain (not signed in to iCloud)";
    QTest::newRow("from the environment, shared, signed in")
        << true << true << true << "Pairing code: set by QUORVEL_TOKEN, shared via iCloud Keychain";
}

void HostDiagnosticsTest::pairingLine()
{
    QFETCH(bool, environment);
    QFETCH(bool, synced);
    QFETCH(bool, signedIn);
    QFETCH(QString, line);
    HostDiagnostics diagnostics;
    diagnostics.pairingSetByEnvironment = environment;
    diagnostics.pairingSyncedToICloud = synced;
    diagnostics.iCloudSignedIn = signedIn;
    QCOMPARE(diagnostics.lines().at(4), line);
}

void HostDiagnosticsTest::keepAwakeLine_data()
{
    QTest::addColumn<bool>("keepsAwake");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("line");
    QTest::newRow("off") << false << QString() << "Keep awake: off";
    QTest::newRow("off, a stale detail is not shown") << false << "lock held by logind"
                                                      << "Keep awake: off";
    QTest::newRow("on, nothing more known") << true << QString() << "Keep awake: on";
    QTest::newRow("on and held") << true << "lock held by logind, GNOME session"
                                 << "Keep awake: on (lock held by logind, GNOME session)";
    QTest::newRow("on without a lock") << true << "no lock held: logind: no system bus"
                                       << "Keep awake: on (no lock held: logind: no system bus)";
}

void HostDiagnosticsTest::keepAwakeLine()
{
    QFETCH(bool, keepsAwake);
    QFETCH(QString, detail);
    QFETCH(QString, line);
    HostDiagnostics diagnostics;
    diagnostics.keepsAwake = keepsAwake;
    diagnostics.keepAwakeDetail = detail;
    QCOMPARE(diagnostics.lines().at(6), line);
}

void HostDiagnosticsTest::actionKinds_data()
{
    QTest::addColumn<Deck>("deck");
    QTest::addColumn<QString>("kinds");

    Control lamp = control("lamp", ControlType::toggle);
    lamp.onAction = shell("lamp on");
    lamp.offAction = shell("lamp off");
    Control open = control("open", ControlType::button);
    open.action =
        Action{Action::Kind::app, "org.gnome.Calculator", std::nullopt, std::nullopt, std::nullopt};
    QTest::newRow("switch and app button") << Deck{"D", {lamp, open}} << "app ×1, shell ×2";
    QTest::newRow("two readouts")
        << Deck{"D", {control("a", ControlType::metric), control("b", ControlType::metric)}} << "";
}

void HostDiagnosticsTest::actionKinds()
{
    QFETCH(Deck, deck);
    QFETCH(QString, kinds);
    HostDiagnostics diagnostics;
    diagnostics.deck = deck;
    QCOMPARE(diagnostics.lines().at(7),
             QStringLiteral("Actions: %1 (%2)").arg(deck.controls.size()).arg(kinds));
}

void HostDiagnosticsTest::recentActivityShowsNewestThirty()
{
    HostDiagnostics diagnostics;
    for (int i = 0; i < 45; ++i) {
        diagnostics.activity.append(
            entry(59 - i, HostActivity::Outcome::failed, QStringLiteral("entry %1").arg(i)));
    }
    const QStringList lines = diagnostics.lines();
    const qsizetype header = lines.indexOf("Recent activity:");
    QVERIFY(header > 0);
    QCOMPARE(lines.size() - header - 1, HostDiagnostics::recentActivityLines);
    QVERIFY(lines.at(header + 1).endsWith("failed  entry 0 (Phone)"));
    QVERIFY(lines.last().endsWith("entry 29 (Phone)"));
    QVERIFY(!lines.join('\n').contains("not shown"));
}

QTEST_GUILESS_MAIN(HostDiagnosticsTest)
#include "HostDiagnosticsTest.moc"
