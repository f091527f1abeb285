#include "QuorvelClientUI/ActionLink.h"

#include <QTest>

using namespace Quorvel;
using Verb = ActionLink::Verb;

Q_DECLARE_METATYPE(std::optional<Quorvel::ActionLink>)

namespace {

Control control(const QString &id, const QString &title, ControlType type = ControlType::button)
{
    Control result;
    result.id = id;
    result.title = title;
    result.type = type;
    return result;
}

} // namespace

class ActionLinkTest : public QObject {
    Q_OBJECT

private slots:
    void parsing_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<std::optional<ActionLink>>("expected");
        const auto link = [](Verb verb, const QString &id) {
            return std::optional<ActionLink>(ActionLink{verb, id});
        };
        const std::optional<ActionLink> invalid;

        QTest::newRow("run") << "quorvel://run/desk-lamp" << link(Verb::run, "desk-lamp");
        QTest::newRow("on") << "quorvel://on/desk-lamp" << link(Verb::on, "desk-lamp");
        QTest::newRow("off") << "quorvel://off/desk-lamp" << link(Verb::off, "desk-lamp");
        QTest::newRow("scheme and verb in any case, id kept")
            << "QUORVEL://RUN/Desk-Lamp" << link(Verb::run, "Desk-Lamp");
        QTest::newRow("slashes around dropped")
            << "quorvel://run//lamp//" << link(Verb::run, "lamp");
        QTest::newRow("encoded space")
            << "quorvel://run/desk%20lamp" << link(Verb::run, "desk lamp");
        QTest::newRow("state on") << "quorvel://run/lamp?state=on" << link(Verb::on, "lamp");
        QTest::newRow("state ON") << "quorvel://run/lamp?state=ON" << link(Verb::on, "lamp");
        QTest::newRow("state true") << "quorvel://run/lamp?state=true" << link(Verb::on, "lamp");
        QTest::newRow("state 1") << "quorvel://run/lamp?state=1" << link(Verb::on, "lamp");
        QTest::newRow("state off") << "quorvel://run/lamp?state=off" << link(Verb::off, "lamp");
        QTest::newRow("state False") << "quorvel://run/lamp?state=False" << link(Verb::off, "lamp");
        QTest::newRow("state 0") << "quorvel://run/lamp?state=0" << link(Verb::off, "lamp");
        QTest::newRow("state without value keeps run")
            << "quorvel://run/lamp?state" << link(Verb::run, "lamp");
        QTest::newRow("State in other case is ignored")
            << "quorvel://run/lamp?State=on" << link(Verb::run, "lamp");
        QTest::newRow("first state counts")
            << "quorvel://run/lamp?state=off&state=on" << link(Verb::off, "lamp");
        QTest::newRow("other items ignored")
            << "quorvel://run/lamp?x=1&state=on" << link(Verb::on, "lamp");
        QTest::newRow("on ignores state")
            << "quorvel://on/lamp?state=off" << link(Verb::on, "lamp");
        QTest::newRow("off ignores bad state")
            << "quorvel://off/lamp?state=maybe" << link(Verb::off, "lamp");

        QTest::newRow("empty state value") << "quorvel://run/lamp?state=" << invalid;
        QTest::newRow("unknown state value") << "quorvel://run/lamp?state=yes" << invalid;
        QTest::newRow("unknown verb") << "quorvel://toggle/lamp" << invalid;
        QTest::newRow("other scheme") << "https://run/lamp" << invalid;
        QTest::newRow("no host") << "quorvel:/run/lamp" << invalid;
        QTest::newRow("no path") << "quorvel://run" << invalid;
        QTest::newRow("only slashes") << "quorvel://run///" << invalid;
        QTest::newRow("slash inside") << "quorvel://run/a/b" << invalid;
        QTest::newRow("encoded slash inside") << "quorvel://run/a%2Fb" << invalid;
    }

    void parsing()
    {
        QFETCH(QString, url);
        QFETCH(std::optional<ActionLink>, expected);
        QCOMPARE(ActionLink::fromUrl(QUrl(url)), expected);
    }

    void buildingAndParsingRoundTrip_data()
    {
        QTest::addColumn<QString>("id");
        QTest::newRow("plain") << "desk-lamp";
        QTest::newRow("space and question mark") << "what now? lamp";
        QTest::newRow("percent and hash") << "100% #1";
        QTest::newRow("non-ASCII") << "Lampe-Ü";
    }

    void buildingAndParsingRoundTrip()
    {
        QFETCH(QString, id);
        for (Verb verb : allCases<Verb>()) {
            const ActionLink link{verb, id};
            QCOMPARE(ActionLink::fromUrl(link.url()), link);
        }
    }

    void builtLinkUsesTheVerbAsHost()
    {
        const ActionLink on{Verb::on, "desk-lamp"};
        QCOMPARE(on.url().toString(), "quorvel://on/desk-lamp");
        const ActionLink spaced{Verb::run, "a b?"};
        QCOMPARE(spaced.url().toString(QUrl::FullyEncoded), "quorvel://run/a%20b%3F");
    }

    void idWithSlashBuildsALinkParsingRefuses()
    {
        const ActionLink slashed{Verb::run, "a/b"};
        QCOMPARE(ActionLink::fromUrl(slashed.url()), std::nullopt);
    }

    void desiredState()
    {
        QCOMPARE(ActionLink::desiredState(Verb::run), std::nullopt);
        QCOMPARE(ActionLink::desiredState(Verb::on), std::optional<bool>(true));
        QCOMPARE(ActionLink::desiredState(Verb::off), std::optional<bool>(false));
    }

    void findControl()
    {
        Deck deck;
        deck.deckName = "D";
        deck.controls = {control("lamp", "Desk Lamp"), control("fan", "lamp"),
                         control("fan2", "Fan")};
        const auto find = [&deck](const QString &text) {
            const std::optional<Control> found = ActionLink{Verb::run, text}.findControl(deck);
            return found ? found->id : QString();
        };
        QCOMPARE(find("lamp"), "lamp");      // the id beats the title "lamp"
        QCOMPARE(find("desk lamp"), "lamp"); // a title in other letter case
        QCOMPARE(find("FAN"), "fan2");       // first title match in deck order
        QCOMPARE(find("LAMP"), "fan");       // no id "LAMP": the title "lamp" matches
        QCOMPARE(find("missing"), QString());
    }

    void offeredLinks()
    {
        using Offer = ActionLink::Offer;
        const QList<Offer> button{{"Run", {Verb::run, "b"}}};
        QCOMPARE(ActionLink::links(control("b", "B")), button);
        const QList<Offer> toggle{{"Turn On", {Verb::on, "t"}},
                                  {"Turn Off", {Verb::off, "t"}},
                                  {"Flip", {Verb::run, "t"}}};
        QCOMPARE(ActionLink::links(control("t", "T", ControlType::toggle)), toggle);
        QVERIFY(ActionLink::links(control("m", "M", ControlType::metric)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(ActionLinkTest)
#include "ActionLinkTest.moc"
