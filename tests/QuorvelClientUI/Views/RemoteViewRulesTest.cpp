#include "QuorvelClientUI/Views/RemoteViewRules.h"

#include <QTest>
#include <QTimeZone>

using namespace Quorvel;
using namespace Quorvel::RemoteViewRules;
using Status = ClientConnectionStatus;

Q_DECLARE_METATYPE(Quorvel::ClientConnectionStatus)
Q_DECLARE_METATYPE(std::optional<Quorvel::ControlState>)
Q_DECLARE_METATYPE(Quorvel::StatusTone)
Q_DECLARE_METATYPE(Quorvel::RemoteViewRules::SearchNotice)
Q_DECLARE_METATYPE(Quorvel::RemoteViewRules::NotConnectedCase)
Q_DECLARE_METATYPE(Quorvel::RemoteViewRules::RootParts::Main)

namespace {

DiscoveredHost host(const QString &name)
{
    DiscoveredHost made;
    made.name = name;
    made.id = name + QStringLiteral("._quorvel._tcp.local.");
    made.endpoint = HostPortEndpoint{QStringLiteral("127.0.0.1"), 4000};
    return made;
}

std::optional<ControlState> state(std::optional<bool> isOn, std::optional<QString> detail,
                                  bool busy = false)
{
    return ControlState{QStringLiteral("a"), isOn, detail, busy,
                        QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC)};
}

} // namespace

class RemoteViewRulesTest : public QObject {
    Q_OBJECT
private slots:
    void badge_data();
    void badge();
    void busyRule_data();
    void busyRule();
    void readout_data();
    void readout();
    void statusLine_data();
    void statusLine();
    void hostMark_data();
    void hostMark();
    void searchNotice_data();
    void searchNotice();
    void notConnectedCase_data();
    void notConnectedCase();
    void rootParts_data();
    void rootParts();
};

void RemoteViewRulesTest::badge_data()
{
    QTest::addColumn<std::optional<ControlState>>("state");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("spinner");
    QTest::addColumn<StatusTone>("tone");
    QTest::addColumn<QString>("text");
    QTest::newRow("busy before all") << state(true, QStringLiteral("live")) << true << true
                                     << StatusTone::secondary << QStringLiteral("working…");
    QTest::newRow("no state") << std::optional<ControlState>() << false << false << StatusTone::gray
                              << QStringLiteral("unknown");
    QTest::newRow("reading absent, detail ignored")
        << state(std::nullopt, QStringLiteral("standby")) << false << false << StatusTone::gray
        << QStringLiteral("unknown");
    QTest::newRow("on with detail")
        << state(true, QStringLiteral("live, 3 viewers")) << false << false << StatusTone::green
        << QStringLiteral("live, 3 viewers");
    QTest::newRow("on") << state(true, std::nullopt) << false << false << StatusTone::green
                        << QStringLiteral("running");
    QTest::newRow("off") << state(false, std::nullopt) << false << false << StatusTone::red
                         << QStringLiteral("stopped");
    QTest::newRow("off with detail") << state(false, QStringLiteral("idle")) << false << false
                                     << StatusTone::red << QStringLiteral("idle");
    QTest::newRow("detail with an escape and an override")
        << state(true, QStringLiteral("\u001B[31mred\u001B[0m \u202Eevil\u202C")) << false << false
        << StatusTone::green << QStringLiteral("<U+001B>[31mred<U+001B>[0m <U+202E>evil<U+202C>");
}

void RemoteViewRulesTest::badge()
{
    QFETCH(std::optional<ControlState>, state);
    QFETCH(bool, busy);
    QFETCH(bool, spinner);
    QFETCH(StatusTone, tone);
    QFETCH(QString, text);
    const Badge shown = RemoteViewRules::badge(state, busy);
    QCOMPARE(shown.kind == Badge::Kind::busy, spinner);
    QCOMPARE(shown.tone, tone);
    QCOMPARE(shown.text, text);
}

void RemoteViewRulesTest::busyRule_data()
{
    QTest::addColumn<std::optional<ControlState>>("state");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<bool>("busy");
    QTest::newRow("nothing") << std::optional<ControlState>() << false << false;
    QTest::newRow("pending") << std::optional<ControlState>() << true << true;
    QTest::newRow("host busy") << state(true, std::nullopt, true) << false << true;
    QTest::newRow("host idle") << state(true, std::nullopt, false) << false << false;
}

void RemoteViewRulesTest::busyRule()
{
    QFETCH(std::optional<ControlState>, state);
    QFETCH(bool, pending);
    QFETCH(bool, busy);
    QCOMPARE(isBusy(state, pending), busy);
}

void RemoteViewRulesTest::readout_data()
{
    QTest::addColumn<std::optional<ControlState>>("state");
    QTest::addColumn<QString>("text");
    QTest::newRow("no state") << std::optional<ControlState>() << QStringLiteral("—");
    QTest::newRow("no detail") << state(true, std::nullopt) << QStringLiteral("—");
    QTest::newRow("detail") << state(std::nullopt, QStringLiteral("42%")) << QStringLiteral("42%");
    QTest::newRow("detail with an escape, an override and lines")
        << state(std::nullopt, QStringLiteral("\u001B[1m42%\n\u202E%24\u202C"))
        << QStringLiteral("<U+001B>[1m42%\n<U+202E>%24<U+202C>");
}

void RemoteViewRulesTest::readout()
{
    QFETCH(std::optional<ControlState>, state);
    QFETCH(QString, text);
    QCOMPARE(readoutText(state), text);
}

void RemoteViewRulesTest::statusLine_data()
{
    QTest::addColumn<Status>("status");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<bool>("takingLong");
    QTest::addColumn<std::optional<QString>>("remembered");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<StatusTone>("tone");
    const DiscoveredHost a = host(QStringLiteral("Studio"));
    const std::optional<QString> none;
    QTest::newRow("connecting") << Status::connecting(a) << true << true << true << none
                                << QStringLiteral("Connecting to Studio…") << "wifi"
                                << StatusTone::secondary;
    QTest::newRow("connected, offline not consulted")
        << Status::connected(a) << true << false << false << none << QStringLiteral("Studio")
        << "wifi" << StatusTone::green;
    QTest::newRow("needs pairing")
        << Status::needsPairing(a, QStringLiteral("why")) << false << false << false << none
        << QStringLiteral("Pair with Studio") << "key" << StatusTone::orange;
    QTest::newRow("failed") << Status::failed(QStringLiteral("disconnected")) << false << false
                            << false << none << QStringLiteral("disconnected")
                            << "wifi.exclamationmark" << StatusTone::orange;
    QTest::newRow("idle offline") << Status::idle() << true << true << true
                                  << std::optional<QString>(QStringLiteral("Studio"))
                                  << QStringLiteral("Offline") << "wifi.slash"
                                  << StatusTone::secondary;
    QTest::newRow("can't reach, no full stop")
        << Status::idle() << false << true << true
        << std::optional<QString>(QStringLiteral("Studio")) << QStringLiteral("Can't reach Studio")
        << "wifi.exclamationmark" << StatusTone::secondary;
    QTest::newRow("looking for your host") << Status::idle() << false << true << false << none
                                           << QStringLiteral("Looking for your host…")
                                           << "wifi.exclamationmark" << StatusTone::secondary;
    QTest::newRow("idle") << Status::idle() << false << false << true << none
                          << QStringLiteral("Not connected") << "wifi.slash"
                          << StatusTone::secondary;
}

void RemoteViewRulesTest::statusLine()
{
    QFETCH(Status, status);
    QFETCH(bool, offline);
    QFETCH(bool, waiting);
    QFETCH(bool, takingLong);
    QFETCH(std::optional<QString>, remembered);
    QFETCH(QString, text);
    QFETCH(QString, symbol);
    QFETCH(StatusTone, tone);
    const StatusLine line =
        RemoteViewRules::statusLine({status, offline, waiting, takingLong, remembered});
    QCOMPARE(line.text, text);
    QCOMPARE(line.symbol, symbol);
    QCOMPARE(line.tone, tone);
}

void RemoteViewRulesTest::hostMark_data()
{
    QTest::addColumn<Status>("status");
    QTest::addColumn<bool>("thisHost");
    QTest::addColumn<bool>("spinner");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<StatusTone>("tone");
    QTest::addColumn<QString>("help");
    const DiscoveredHost a = host(QStringLiteral("A"));
    const DiscoveredHost b = host(QStringLiteral("B"));
    QTest::newRow("connecting here")
        << Status::connecting(a) << true << true << QString() << StatusTone::secondary << QString();
    QTest::newRow("connected here") << Status::connected(a) << true << false
                                    << "checkmark.circle.fill" << StatusTone::green << QString();
    QTest::newRow("connected elsewhere")
        << Status::connected(b) << true << false << "circle" << StatusTone::secondary << QString();
    QTest::newRow("pairing here") << Status::needsPairing(a, std::nullopt) << true << false
                                  << "key.fill" << StatusTone::orange << QString();
    QTest::newRow("pairing elsewhere") << Status::needsPairing(b, std::nullopt) << true << false
                                       << "circle" << StatusTone::secondary << QString();
    QTest::newRow("failed marks every row")
        << Status::failed(QStringLiteral("refused")) << true << false << "exclamationmark.triangle"
        << StatusTone::orange << QStringLiteral("refused");
    QTest::newRow("idle") << Status::idle() << true << false << "circle" << StatusTone::secondary
                          << QString();
}

void RemoteViewRulesTest::hostMark()
{
    QFETCH(Status, status);
    QFETCH(bool, spinner);
    QFETCH(QString, symbol);
    QFETCH(StatusTone, tone);
    QFETCH(QString, help);
    const HostMark mark = RemoteViewRules::hostMark(status, host(QStringLiteral("A")));
    QCOMPARE(mark.kind == HostMark::Kind::spinner, spinner);
    if (!spinner)
        QCOMPARE(mark.symbol, symbol);
    QCOMPARE(mark.tone, tone);
    QCOMPARE(mark.help, help);
}

void RemoteViewRulesTest::searchNotice_data()
{
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("blocked");
    QTest::addColumn<bool>("takingLong");
    QTest::addColumn<SearchNotice>("notice");
    QTest::newRow("hosts listed") << false << true << true << SearchNotice::none;
    QTest::newRow("blocked before taking long") << true << true << true << SearchNotice::blocked;
    QTest::newRow("taking long") << true << false << true << SearchNotice::takingLong;
    QTest::newRow("searching") << true << false << false << SearchNotice::searching;
}

void RemoteViewRulesTest::searchNotice()
{
    QFETCH(bool, empty);
    QFETCH(bool, blocked);
    QFETCH(bool, takingLong);
    QFETCH(SearchNotice, notice);
    QCOMPARE(RemoteViewRules::searchNotice(empty, blocked, takingLong), notice);
}

void RemoteViewRulesTest::notConnectedCase_data()
{
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("blocked");
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<bool>("takingLong");
    QTest::addColumn<bool>("showsList");
    QTest::addColumn<NotConnectedCase>("shown");
    using Case = NotConnectedCase;
    QTest::newRow("offline first") << true << true << true << true << true << Case::offline;
    QTest::newRow("can't reach") << false << false << true << true << true << Case::cantReach;
    QTest::newRow("looking for") << false << false << true << false << false << Case::lookingFor;
    QTest::newRow("blocked hides the remembered host")
        << false << true << true << false << true << Case::hostList;
    QTest::newRow("host list") << false << false << false << true << true << Case::hostList;
    QTest::newRow("nothing") << false << false << false << false << false << Case::nothing;
}

void RemoteViewRulesTest::notConnectedCase()
{
    QFETCH(bool, offline);
    QFETCH(bool, blocked);
    QFETCH(bool, waiting);
    QFETCH(bool, takingLong);
    QFETCH(bool, showsList);
    QFETCH(NotConnectedCase, shown);
    QCOMPARE(RemoteViewRules::notConnectedCase(offline, blocked, waiting, takingLong, showsList),
             shown);
}

void RemoteViewRulesTest::rootParts_data()
{
    QTest::addColumn<Status>("status");
    QTest::addColumn<bool>("hasDeck");
    QTest::addColumn<bool>("notice");
    QTest::addColumn<int>("hosts");
    QTest::addColumn<bool>("canEdit");
    QTest::addColumn<bool>("header");
    QTest::addColumn<RootParts::Main>("main");
    QTest::addColumn<bool>("hostsPart");
    QTest::addColumn<bool>("edit");
    using Main = RootParts::Main;
    const DiscoveredHost a = host(QStringLiteral("A"));
    QTest::newRow("idle, nothing yet") << Status::idle() << false << false << 0 << true << false
                                       << Main::notConnected << false << false;
    QTest::newRow("pairing replaces an old deck")
        << Status::needsPairing(a, std::nullopt) << true << false << 1 << true << true
        << Main::pairing << false << true;
    QTest::newRow("one host: no hosts part")
        << Status::connected(a) << true << true << 1 << true << true << Main::deck << false << true;
    QTest::newRow("two hosts without a deck") << Status::idle() << false << false << 2 << true
                                              << false << Main::notConnected << true << false;
    QTest::newRow("no edit without the callback") << Status::connected(a) << true << false << 2
                                                  << false << true << Main::deck << true << false;
}

void RemoteViewRulesTest::rootParts()
{
    QFETCH(Status, status);
    QFETCH(bool, hasDeck);
    QFETCH(bool, notice);
    QFETCH(int, hosts);
    QFETCH(bool, canEdit);
    QFETCH(bool, header);
    QFETCH(RootParts::Main, main);
    QFETCH(bool, hostsPart);
    QFETCH(bool, edit);
    const RootParts parts = RemoteViewRules::rootParts(status, hasDeck, notice, hosts, canEdit);
    QCOMPARE(parts.header, header);
    QCOMPARE(parts.main, main);
    QCOMPARE(parts.notice, notice);
    QCOMPARE(parts.hosts, hostsPart);
    QCOMPARE(parts.edit, edit);
}

QTEST_GUILESS_MAIN(RemoteViewRulesTest)
#include "RemoteViewRulesTest.moc"
