#include "QuorvelCore/Model/ControlState.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QFile>
#include <QJsonDocument>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace Quorvel;

namespace {

// "é" as one precomposed character and as "e" with a combining acute accent.
const QString precomposed = QStringLiteral("caf\u00e9");
const QString decomposed = QStringLiteral("cafe\u0301");

QJsonValue parse(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

Control button(const QString &id)
{
    return Control{id,
                   id,
                   ControlType::button,
                   std::nullopt,
                   Action{Action::Kind::shell, QStringLiteral("true"), {}, {}, {}},
                   std::nullopt,
                   std::nullopt,
                   std::nullopt};
}

} // namespace

class DeckModelTest : public QObject {
    Q_OBJECT

private slots:
    void decodesTheFixtureDeck()
    {
        QFile file(QStringLiteral(FIXTURES_DIR "/deck.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString error;
        const std::optional<Deck> deck = WireCodec::decoder().decode<Deck>(file.readAll(), &error);
        QVERIFY2(deck, qPrintable(error));
        QCOMPARE(deck->deckName, QStringLiteral("Studio Controls"));
        QCOMPARE(deck->controls.size(), std::size_t(4));
        const Control &stream = deck->controls[0];
        QCOMPARE(stream.type, ControlType::toggle);
        QVERIFY(!stream.action);
        QCOMPARE(stream.offAction->timeout, std::optional<double>(30.0));
        QCOMPARE(stream.statusCheck->type, StatusCheck::Kind::processRunning);
        QCOMPARE(deck->controls[1].action->target, QStringLiteral("/usr/bin/say"));
        QCOMPARE(deck->controls[2].statusCheck->control, std::optional<QString>("master"));
        QCOMPARE(deck->controls[3].action->type, Action::Kind::appControl);
    }

    void dropsNullAndUnknownKeysOnTheWayBack()
    {
        const std::optional<Control> control = Control::fromJson(parse(
            R"({"id":"m","title":"M","type":"button","icon":null,"color":"red","action":null})"));
        QVERIFY(control);
        QVERIFY(!control->icon);
        QVERIFY(!control->action);
        QCOMPARE(control->toJson().keys(), QStringList({"id", "title", "type"}));
    }

    void decodes_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        const QByteArray okControl = R"({"id":"a","title":"A","type":"button"})";
        QTest::newRow("empty controls") << QByteArray(R"({"deck_name":"D","controls":[]})") << true;
        QTest::newRow("integer timeout")
            << QByteArray(R"({"deck_name":"D","controls":[{"id":"a","title":"A","type":"button",)"
                          R"("action":{"type":"shell","target":"t","timeout":30}}]})")
            << true;
        QTest::newRow("missing controls") << QByteArray(R"({"deck_name":"D"})") << false;
        QTest::newRow("null name") << QByteArray(R"({"deck_name":null,"controls":[]})") << false;
        QTest::newRow("name is a number")
            << QByteArray(R"({"deck_name":1,"controls":[]})") << false;
        QTest::newRow("controls is an object")
            << QByteArray(R"({"deck_name":"D","controls":{}})") << false;
        QTest::newRow("a control is not an object")
            << QByteArray(R"({"deck_name":"D","controls":[)" + okControl + R"(,"b"]})") << false;
        QTest::newRow("slider control type")
            << QByteArray(R"({"deck_name":"D","controls":[)" + okControl +
                          R"(,{"id":"b","title":"B","type":"slider"}]})")
            << false;
        QTest::newRow("control type in capitals")
            << QByteArray(
                   R"({"deck_name":"D","controls":[{"id":"a","title":"A","type":"Button"}]})")
            << false;
        QTest::newRow("control without type")
            << QByteArray(R"({"deck_name":"D","controls":[{"id":"a","title":"A"}]})") << false;
        QTest::newRow("timeout as text")
            << QByteArray(R"({"deck_name":"D","controls":[{"id":"a","title":"A","type":"button",)"
                          R"("action":{"type":"shell","target":"t","timeout":"30"}}]})")
            << false;
        QTest::newRow("timeout as Boolean")
            << QByteArray(R"({"deck_name":"D","controls":[{"id":"a","title":"A","type":"button",)"
                          R"("action":{"type":"shell","target":"t","timeout":true}}]})")
            << false;
        QTest::newRow("osascript action")
            << QByteArray(R"({"deck_name":"D","controls":[{"id":"a","title":"A","type":"button",)"
                          R"("action":{"type":"osascript","target":"t"}}]})")
            << false;
        QTest::newRow("icon of the wrong type")
            << QByteArray(R"({"deck_name":"D","controls":[{"id":"a","title":"A","type":"button",)"
                          R"("icon":5}]})")
            << false;
        QTest::newRow("status check without target")
            << QByteArray(R"({"deck_name":"D","controls":[{"id":"a","title":"A","type":"metric",)"
                          R"("status_check":{"type":"shell_output"}}]})")
            << false;
        QTest::newRow("not an object") << QByteArray(R"([])") << false;
    }

    void decodes()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QString error;
        const std::optional<Deck> deck = WireCodec::decoder().decode<Deck>(json, &error);
        QCOMPARE(deck.has_value(), decodes);
        QCOMPARE(error.isEmpty(), decodes);
    }

    void readsIntegersAsDoubles()
    {
        const std::optional<Action> action =
            Action::fromJson(parse(R"({"type":"shell","target":"t","timeout":30})"));
        QVERIFY(action);
        QCOMPARE(*action->timeout, 30.0);
    }

    void decodesStates_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("without is_on")
            << QByteArray(R"({"id":"a","is_busy":false,"checked_at":"2026-12-09T08:02:50Z"})")
            << true;
        QTest::newRow("without is_busy")
            << QByteArray(R"({"id":"a","checked_at":"2026-12-09T08:02:50Z"})") << false;
        QTest::newRow("is_busy as a number")
            << QByteArray(R"({"id":"a","is_busy":0,"checked_at":"2026-12-09T08:02:50Z"})") << false;
        QTest::newRow("without checked_at") << QByteArray(R"({"id":"a","is_busy":false})") << false;
        QTest::newRow("checked_at as a number")
            << QByteArray(R"({"id":"a","is_busy":false,"checked_at":1765267370})") << false;
        QTest::newRow("checked_at with a fraction")
            << QByteArray(R"({"id":"a","is_busy":false,"checked_at":"2026-12-09T08:02:50.5Z"})")
            << false;
    }

    void decodesStates()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        const std::optional<ControlState> state = ControlState::fromJson(parse(json));
        QCOMPARE(state.has_value(), decodes);
        if (state)
            QVERIFY(!state->isOn);
    }

    void comparesTextsByCanonicalEquivalence()
    {
        QVERIFY(precomposed != decomposed);
        Control a = button(precomposed);
        Control b = button(decomposed);
        QVERIFY(a == b);
        b.title = QStringLiteral("other");
        QVERIFY(!(a == b));
        QVERIFY((Deck{precomposed, {}} == Deck{decomposed, {}}));
    }

    void comparesOptionalFieldsAndNumbers()
    {
        Control a = button(QStringLiteral("x"));
        Control b = a;
        b.action->timeout = 30;
        QVERIFY(!(a == b));
        a.action->timeout = 30.0;
        QVERIFY(a == b);
        a.action->timeout = 0.0;
        b.action->timeout = -0.0;
        QVERIFY(a == b);
        a.action->timeout = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(!(a == a));
    }

    void findsTheFirstControlById()
    {
        Control first = button(QStringLiteral("a"));
        first.title = QStringLiteral("first");
        Control second = button(QStringLiteral("a"));
        second.title = QStringLiteral("second");
        const Deck deck{QStringLiteral("D"), {button(decomposed), first, second}};
        QCOMPARE(deck.control(QStringLiteral("a"))->title, QStringLiteral("first"));
        QVERIFY(deck.control(precomposed));
        QVERIFY(!deck.control(QStringLiteral("a ")));
        QVERIFY(!deck.control(QStringLiteral("A")));
    }

    void listsCasesInOrder()
    {
        QCOMPARE(allCases<ControlType>(),
                 (std::array{ControlType::button, ControlType::toggle, ControlType::metric}));
        QCOMPARE(rawValue(Action::Kind::appControl), QStringLiteral("app_control"));
        QCOMPARE(rawValue(StatusCheck::Kind::shellExitCode), QStringLiteral("shell_exit_code"));
        QCOMPARE(fromRawValue<StatusCheck::Kind>(QStringLiteral("process_running")),
                 std::optional(StatusCheck::Kind::processRunning));
        QVERIFY(!fromRawValue<ControlType>(QStringLiteral(" toggle")));
    }

    void roundTripsEveryRecord()
    {
        const Deck sample = Deck::sample();
        QCOMPARE(Deck::fromJson(sample.toJson()), std::optional(sample));
        const ControlState state{QStringLiteral("a"), false, decomposed, true,
                                 QDateTime(QDate(2026, 12, 9), QTime(8, 2, 50), Qt::UTC)};
        QCOMPARE(ControlState::fromJson(state.toJson()), std::optional(state));
    }
};

QTEST_GUILESS_MAIN(DeckModelTest)
#include "DeckModelTest.moc"
