#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSet>
#include <QtTest>

#include <limits>

using namespace Quorvel;

namespace {

QJsonObject parse(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

std::optional<Message> decode(const QByteArray &text)
{
    return WireCodec::decode(text);
}

// What the codec wrote when it went through the message's QJsonObject: Qt's compact text with
// every "/" escaped.
QByteArray objectText(const Message &message)
{
    QByteArray bytes = QJsonDocument(message.toJson()).toJson(QJsonDocument::Compact);
    bytes.replace("/", "\\/");
    return bytes;
}

// Text that every writer has to escape or encode with care.
const QString awkward = QStringLiteral("/a\"\\b\n\t\u0001\u007f/\u00e9\u20ac/") +
                        QString(QChar(0xd83d)) + QChar(0xde00) + QChar(0xd800) + u'x' +
                        QChar(0xdc00) + QChar(0xd800);

// A nonce with a "/" in it, which the codec writes escaped.
const QString nonce = QStringLiteral("q83vEjRWeJqrze8SNFZ4mqvN7xI0Vnia/rvN7xI0Vng=");

const QDateTime checkedAt(QDate(2026, 12, 9), QTime(8, 2, 50), Qt::UTC);

} // namespace

class MessageTest : public QObject {
    Q_OBJECT

private slots:
    void roundTripsEveryType_data()
    {
        QTest::addColumn<Message>("message");
        QTest::addColumn<Message::Kind>("kind");
        const Deck deck = Deck::sample();
        QTest::newRow("hello") << Message(Message::Hello{"Mac", 2, "proof", "editor"})
                               << Message::Kind::hello;
        QTest::newRow("hello without proofs")
            << Message(Message::Hello{"Mac", 2, std::nullopt, std::nullopt})
            << Message::Kind::hello;
        QTest::newRow("trigger_action")
            << Message(Message::TriggerAction{"R", "lamp", true}) << Message::Kind::triggerAction;
        QTest::newRow("trigger_action press")
            << Message(Message::TriggerAction{"R", "lamp", std::nullopt})
            << Message::Kind::triggerAction;
        QTest::newRow("request_state")
            << Message(Message::RequestState{}) << Message::Kind::requestState;
        QTest::newRow("update_deck")
            << Message(Message::UpdateDeck{"R", deck}) << Message::Kind::updateDeck;
        QTest::newRow("deck_update_result")
            << Message(Message::DeckUpdateResult{"R", false, {"the title is empty"}})
            << Message::Kind::deckUpdateResult;
        QTest::newRow("request_catalog")
            << Message(Message::RequestCatalog{}) << Message::Kind::requestCatalog;
        HostCatalog catalog{{"Quit"},
                            {{"App", "/usr/share/applications/app.desktop", "app.desktop"}},
                            {"App"},
                            {{"org.example.Mixer",
                              "Mixer",
                              true,
                              {{"mute", "Mute", "toggle", "Master", false, std::nullopt, true}}}}};
        QTest::newRow("catalog") << Message(catalog) << Message::Kind::catalog;
        QTest::newRow("test") << Message(Message::Test{"R", deck.controls[1].action,
                                                       deck.controls[2].statusCheck})
                              << Message::Kind::test;
        QTest::newRow("test with neither")
            << Message(Message::Test{"R", std::nullopt, std::nullopt}) << Message::Kind::test;
        QTest::newRow("test_result")
            << Message(Message::TestResult{"R", true, "out", false}) << Message::Kind::testResult;
        QTest::newRow("host_info")
            << Message(HostInfo{"Studio", "dev", true}) << Message::Kind::hostInfo;
        QTest::newRow("challenge")
            << Message(Message::Challenge{nonce}) << Message::Kind::challenge;
        QTest::newRow("deck") << Message(deck) << Message::Kind::deck;
        QTest::newRow("state_update")
            << Message(Message::StateUpdate{{{"a", true, "on", false, checkedAt},
                                             {"b", std::nullopt, std::nullopt, true, checkedAt}}})
            << Message::Kind::stateUpdate;
        QTest::newRow("empty state_update")
            << Message(Message::StateUpdate{}) << Message::Kind::stateUpdate;
        QTest::newRow("action_result") << Message(Message::ActionResult{"R", "lamp", false, "busy"})
                                       << Message::Kind::actionResult;
        QTest::newRow("error") << Message(Message::Error{Message::ErrorCode::unauthorized,
                                                         "pair this device first"})
                               << Message::Kind::error;
    }

    void roundTripsEveryType()
    {
        QFETCH(Message, message);
        QFETCH(Message::Kind, kind);
        QCOMPARE(message.kind(), kind);
        QString error;
        const std::optional<QByteArray> bytes = WireCodec::encode(message, &error);
        QVERIFY2(bytes, qPrintable(error));
        QCOMPARE(parse(*bytes).value(QStringLiteral("type")).toString(), rawValue(kind));
        const std::optional<Message> back = WireCodec::decode(*bytes, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(*back, message);
    }

    // encode() writes a message from its members without building its QJsonObject; the bytes
    // must be the very ones the object would give.
    void writesTheBytesOfItsObject_data()
    {
        roundTripsEveryType_data();
        QTest::newRow("awkward hello")
            << Message(Message::Hello{awkward, -1, awkward, QString()}) << Message::Kind::hello;
        QTest::newRow("hello with the largest version")
            << Message(Message::Hello{"a", std::numeric_limits<qint64>::max(), {}, {}})
            << Message::Kind::hello;
        QTest::newRow("awkward error")
            << Message(Message::Error{awkward, awkward}) << Message::Kind::error;
        QTest::newRow("awkward deck_update_result")
            << Message(Message::DeckUpdateResult{awkward, true, {awkward, QString()}})
            << Message::Kind::deckUpdateResult;
        QTest::newRow("awkward test_result")
            << Message(Message::TestResult{awkward, false, awkward, true})
            << Message::Kind::testResult;
        QTest::newRow("empty strings")
            << Message(Message::ActionResult{QString(), QString(), true, QString()})
            << Message::Kind::actionResult;
    }

    void writesTheBytesOfItsObject()
    {
        QFETCH(Message, message);
        QCOMPARE(WireCodec::encode(message), std::optional(objectText(message)));
    }

    void decodesEveryFixture()
    {
        const QDir dir(QStringLiteral(FIXTURES_DIR "/messages"));
        const QStringList files = dir.entryList({QStringLiteral("*.json")});
        QSet<Message::Kind> kinds;
        for (const QString &name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QString error;
            const std::optional<Message> message = WireCodec::decode(file.readAll(), &error);
            QVERIFY2(message, qPrintable(name + QStringLiteral(": ") + error));
            QCOMPARE(rawValue(message->kind()) + QStringLiteral(".json"), name);
            QCOMPARE(WireCodec::decode(*WireCodec::encode(*message)), message);
            kinds.insert(message->kind());
        }
        QCOMPARE(kinds.size(), qsizetype(allCases<Message::Kind>().size()));
    }

    void refusesMalformedMessages_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("not JSON") << QByteArray("{");
        QTest::newRow("an array") << QByteArray("[]");
        QTest::newRow("a string") << QByteArray(R"("hello")");
        QTest::newRow("no type") << QByteArray(R"({"client_name":"a"})");
        QTest::newRow("null type") << QByteArray(R"({"type":null})");
        QTest::newRow("type as a number") << QByteArray(R"({"type":1})");
        QTest::newRow("Hello") << QByteArray(R"({"type":"Hello","client_name":"a"})");
        QTest::newRow("type with spaces") << QByteArray(R"({"type":" hello ","client_name":"a"})");
        QTest::newRow("unknown type") << QByteArray(R"({"type":"ping"})");
        QTest::newRow("hello without client_name")
            << QByteArray(R"({"type":"hello","protocol_version":2,"auth":"x","editor_auth":"y"})");
        QTest::newRow("protocol_version as text")
            << QByteArray(R"({"type":"hello","client_name":"a","protocol_version":"2"})");
        QTest::newRow("protocol_version with a fraction")
            << QByteArray(R"({"type":"hello","client_name":"a","protocol_version":2.5})");
        QTest::newRow("protocol_version as Boolean")
            << QByteArray(R"({"type":"hello","client_name":"a","protocol_version":true})");
        QTest::newRow("auth as a number")
            << QByteArray(R"({"type":"hello","client_name":"a","auth":5})");
        QTest::newRow("trigger_action without control_id")
            << QByteArray(R"({"type":"trigger_action","request_id":"R"})");
        QTest::newRow("desired_state as a number")
            << QByteArray(R"({"type":"trigger_action","control_id":"c","desired_state":1})");
        QTest::newRow("update_deck with a bad control")
            << QByteArray(R"({"type":"update_deck","request_id":"R","deck":{"deck_name":"D",)"
                          R"("controls":[{"id":"a","title":"A","type":"slider"}]}})");
        QTest::newRow("deck without deck") << QByteArray(R"({"type":"deck"})");
        QTest::newRow("state_update without states") << QByteArray(R"({"type":"state_update"})");
        QTest::newRow("state_update with a bad date")
            << QByteArray(R"({"type":"state_update","states":[{"id":"a","is_busy":false,)"
                          R"("checked_at":"2026-12-09 08:02:50"}]})");
        QTest::newRow("state_update with a numeric date")
            << QByteArray(R"({"type":"state_update","states":[{"id":"a","is_busy":false,)"
                          R"("checked_at":0}]})");
        QTest::newRow("action_result ok as text") << QByteArray(
            R"({"type":"action_result","request_id":"R","control_id":"c","ok":"yes"})");
        QTest::newRow("problems with a number") << QByteArray(
            R"({"type":"deck_update_result","request_id":"R","ok":true,"problems":[1]})");
        QTest::newRow("test with an action of the wrong type")
            << QByteArray(R"({"type":"test","request_id":"R","action":"shell"})");
        QTest::newRow("host_info without info") << QByteArray(R"({"type":"host_info"})");
        QTest::newRow("catalog without running_apps")
            << QByteArray(R"({"type":"catalog","catalog":{"shortcuts":[],"apps":[]}})");
        QTest::newRow("error without message")
            << QByteArray(R"({"type":"error","code":"unauthorized"})");
        QTest::newRow("challenge with null nonce")
            << QByteArray(R"({"type":"challenge","nonce":null})");
    }

    void refusesMalformedMessages()
    {
        QFETCH(QByteArray, json);
        QString error;
        QVERIFY(!WireCodec::decode(json, &error));
        QVERIFY(!error.isEmpty());
    }

    void appliesTheReadingDefaults()
    {
        for (const QByteArray &json :
             {QByteArray(R"({"type":"hello","client_name":"a"})"),
              QByteArray(R"({"type":"hello","client_name":"a","protocol_version":null})")}) {
            const std::optional<Message> hello = decode(json);
            QVERIFY(hello);
            QCOMPARE(hello->as<Message::Hello>()->protocolVersion, 1);
        }
        QCOMPARE(decode(R"({"type":"hello","client_name":"a","protocol_version":2.0})")
                     ->as<Message::Hello>()
                     ->protocolVersion,
                 2);
        const QRegularExpression uuid(QRegularExpression::anchoredPattern(
            QStringLiteral("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
        QSet<QString> ids;
        for (const QByteArray &json :
             {QByteArray(R"({"type":"trigger_action","control_id":"c"})"),
              QByteArray(R"({"type":"trigger_action","control_id":"c"})"),
              QByteArray(R"({"type":"trigger_action","control_id":"c","request_id":null})")}) {
            const std::optional<Message> trigger = decode(json);
            QVERIFY(trigger);
            const QString id = trigger->as<Message::TriggerAction>()->requestID;
            QVERIFY2(uuid.match(id).hasMatch(), qPrintable(id));
            ids.insert(id);
        }
        QCOMPARE(ids.size(), 3);
        for (const QByteArray &json :
             {QByteArray(R"({"type":"deck_update_result","request_id":"R","ok":true})"),
              QByteArray(
                  R"({"type":"deck_update_result","request_id":"R","ok":true,"problems":null})")}) {
            const std::optional<Message> result = decode(json);
            QVERIFY(result);
            QVERIFY(result->as<Message::DeckUpdateResult>()->problems.isEmpty());
        }
    }

    void ignoresUnknownMembers()
    {
        QCOMPARE(decode(R"({"type":"request_state","extra":[1,2],"client_name":5})"),
                 std::optional(Message(Message::RequestState{})));
        QCOMPARE(decode(R"({"type":"error","code":"teapot","message":"short and stout"})"),
                 std::optional(Message(Message::Error{"teapot", "short and stout"})));
        const std::optional<Message> test = decode(R"({"type":"test","request_id":"R"})");
        QVERIFY(test);
        QVERIFY(!test->as<Message::Test>()->action && !test->as<Message::Test>()->statusCheck);
    }

    void writesOnlyPresentMembers_data()
    {
        QTest::addColumn<Message>("message");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("trigger_action press")
            << Message(Message::TriggerAction{"R", "c", std::nullopt})
            << QStringList{"control_id", "request_id", "type"};
        QTest::newRow("bare test_result") << Message(Message::TestResult{"R", true, {}, {}})
                                          << QStringList{"ok", "request_id", "type"};
        QTest::newRow("deck_update_result without problems")
            << Message(Message::DeckUpdateResult{"R", true, {}})
            << QStringList{"ok", "problems", "request_id", "type"};
        QTest::newRow("hello without proofs")
            << Message(Message::Hello{"a", Message::protocolVersion, {}, {}})
            << QStringList{"client_name", "protocol_version", "type"};
        QTest::newRow("request_catalog")
            << Message(Message::RequestCatalog{}) << QStringList{"type"};
    }

    void writesOnlyPresentMembers()
    {
        QFETCH(Message, message);
        QFETCH(QStringList, keys);
        const QJsonObject json = parse(*WireCodec::encode(message));
        QCOMPARE(json.keys(), keys);
        if (json.contains(QStringLiteral("problems")))
            QVERIFY(json.value(QStringLiteral("problems")).toArray().isEmpty());
    }

    void comparesByCaseAndFields()
    {
        QVERIFY(!(Message(Message::RequestState{}) == Message(Message::RequestCatalog{})));
        QCOMPARE(Message(Message::Challenge{"caf\u00e9"}),
                 Message(Message::Challenge{"cafe\u0301"}));
        QVERIFY(!(Message(Message::TriggerAction{"R", "c", true}) ==
                  Message(Message::TriggerAction{"R", "c", std::nullopt})));
    }

    void encodesDatesAsWholeSeconds()
    {
        const QDateTime withFraction = checkedAt.addMSecs(750);
        const Message message(
            Message::StateUpdate{{{"a", std::nullopt, std::nullopt, false, withFraction}}});
        const QByteArray bytes = *WireCodec::encode(message);
        QVERIFY(bytes.contains(R"("checked_at":"2026-12-09T08:02:50Z")"));
        const Message back = *WireCodec::decode(bytes);
        QCOMPARE(back.as<Message::StateUpdate>()->states[0].checkedAt, checkedAt);
        QVERIFY(!(back == message));
    }
};

QTEST_GUILESS_MAIN(MessageTest)
#include "MessageTest.moc"
