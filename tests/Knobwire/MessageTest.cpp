#include "Knobwire/Message.h"

#include <QTest>

#include <limits>

using namespace Knobwire;
using namespace Qt::StringLiterals;

namespace {

Message decoded(const QByteArray &line)
{
    Message::Decoded result = Message::decode(line);
    if (const auto *error = std::get_if<Message::DecodeError>(&result)) {
        qWarning() << "unexpected decode error" << error->description;
        return Message::unknown(u"decode error"_s);
    }
    return std::get<Message>(result);
}

} // namespace

class MessageTest : public QObject {
    Q_OBJECT

private slots:
    void rejectsLine_data();
    void rejectsLine();
    void decodesLine_data();
    void decodesLine();
    void decodesHelloFully();
    void decodesUpdateTextStates();
    void clipsReceivedTexts();
    void encodesLine_data();
    void encodesLine();
    void roundTripsEveryCase();
};

void MessageTest::rejectsLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("description");

    const QString typeError = u"Each line must be a JSON object with a \"type\""_s;
    QTest::newRow("array") << "[1,2]"_ba << typeError;
    QTest::newRow("bare number") << "5"_ba << typeError;
    QTest::newRow("type is a number") << R"({"type":5})"_ba << typeError;
    QTest::newRow("no type") << R"({"id":"a"})"_ba << typeError;
    QTest::newRow("not JSON") << "hello"_ba << typeError;
    QTest::newRow("empty") << ""_ba << typeError;
    QTest::newRow("invalid UTF-8")
        << "{\"type\":\"error\",\"message\":\"\xff\xfe\"}"_ba << typeError;
    QTest::newRow("cut short") << R"({"type":"hello","app":"a")"_ba << typeError;
    QTest::newRow("hello app spaces only") << R"({"type":"hello","app":" \u2028\u00a0 "})"_ba
                                           << u"hello needs \"app\": your bundle identifier"_s;
    QTest::newRow("hello app not a text")
        << R"({"type":"hello","app":1})"_ba << u"hello needs \"app\": your bundle identifier"_s;
    QTest::newRow("hello app a space between control characters")
        << R"({"type":"hello","app":"\u000f \u0000"})"_ba
        << u"hello needs \"app\": your bundle identifier"_s;
    // Raw control bytes and NULs inside the app's text, as a fuzzer sent them.
    QTest::newRow("raw control characters in a text")
        << QByteArray::fromBase64(
               "eyJ0eXBlIjoiaGVsbG8iLCJhcHAiOiIPDyAAAAAiLCJ2MBAwY29sIjozLCJrZXkiOiJlZiJ9")
        << typeError;
    QTest::newRow("raw tab in a text") << "{\"type\":\"press\",\"id\":\"a\tb\"}"_ba << typeError;
    QTest::newRow("controls not an array")
        << R"({"type":"controls","controls":{}})"_ba << u"controls needs a \"controls\" array"_s;
    QTest::newRow("update without id")
        << R"({"type":"update","value":1})"_ba << u"update needs an \"id\""_s;
    QTest::newRow("update id only control characters")
        << R"({"type":"update","id":"\n\t"})"_ba << u"update needs an \"id\""_s;
    QTest::newRow("meter levels Booleans")
        << R"({"type":"meter","id":"m","levels":[true,false]})"_ba << u"meter needs \"levels\""_s;
    QTest::newRow("meter numbers only after two")
        << R"({"type":"meter","id":"m","levels":["a","b",1]})"_ba << u"meter needs \"levels\""_s;
    QTest::newRow("meter without levels nor id")
        << R"({"type":"meter"})"_ba << u"meter needs \"levels\""_s;
    QTest::newRow("meter without id")
        << R"({"type":"meter","levels":[1]})"_ba << u"meter needs an \"id\""_s;
    QTest::newRow("turn with only id")
        << R"({"type":"turn","id":"a"})"_ba << u"turn needs \"value\" or \"steps\""_s;
    QTest::newRow("turn steps as text")
        << R"({"type":"turn","id":"a","steps":"3"})"_ba << u"turn needs \"value\" or \"steps\""_s;
    QTest::newRow("turn without id")
        << R"({"type":"turn","steps":1})"_ba << u"turn needs an \"id\""_s;
    QTest::newRow("press without id") << R"({"type":"press"})"_ba << u"press needs an \"id\""_s;
    QTest::newRow("meterSubscribe id not a text")
        << R"({"type":"meterSubscribe","id":7})"_ba << u"meterSubscribe needs an \"id\""_s;
}

void MessageTest::rejectsLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, description);
    const Message::Decoded result = Message::decode(line);
    QVERIFY(std::holds_alternative<Message::DecodeError>(result));
    QCOMPARE(std::get<Message::DecodeError>(result).description, description);
}

void MessageTest::decodesLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Message>("message");

    QTest::newRow("hello without name")
        << R"({"type":"hello","app":" com.example.app\n"})"_ba
        << Message::hello(Hello{u"com.example.app"_s, u"com.example.app"_s});
    QTest::newRow("hello app trimmed once its control characters are gone")
        << R"({"type":"hello","app":"\u000f a.b \u0000"})"_ba
        << Message::hello(Hello{u"a.b"_s, u"a.b"_s});
    QTest::newRow("raw tab between members")
        << "{\"type\":\"press\",\t\"id\":\"a\"}"_ba << Message::press(u"a"_s, true);
    QTest::newRow("escaped quote and backslash in a text")
        << R"({"type":"press","id":"a\\\"b"})"_ba << Message::press(u"a\\\"b"_s, true);
    QTest::newRow("hello protocol 3.4") << R"({"type":"hello","app":"a","protocol":3.4})"_ba
                                        << Message::hello(Hello{u"a"_s, u"a"_s, std::nullopt, 3});
    QTest::newRow("hello protocol 2.5 rounds away from zero")
        << R"({"type":"hello","app":"a","protocol":2.5})"_ba
        << Message::hello(Hello{u"a"_s, u"a"_s, std::nullopt, 3});
    QTest::newRow("hello protocol true is none")
        << R"({"type":"hello","app":"a","protocol":true})"_ba
        << Message::hello(Hello{u"a"_s, u"a"_s});
    QTest::newRow("hello protocol too large is none")
        << R"({"type":"hello","app":"a","protocol":1e300})"_ba
        << Message::hello(Hello{u"a"_s, u"a"_s});
    QTest::newRow("controls skips unreadable elements")
        << R"({"type":"controls","controls":["x",{"id":"a"},{"id":"","kind":"button"},{"id":"b","kind":"dial","readOnly":1,"channels":1.5,"on":0}]})"_ba
        << Message::controls({Control(u"b"_s, std::nullopt, Control::Kind(u"dial"_s), std::nullopt,
                                      std::nullopt, std::nullopt, std::nullopt, 2)});
    QTest::newRow("empty controls")
        << R"({"type":"controls","controls":[]})"_ba << Message::controls({});
    QTest::newRow("meter reads two levels")
        << R"({"type":"meter","id":"m","levels":[1.26,-200,5]})"_ba
        << Message::meter(u"m"_s, {1.3, -160.0});
    QTest::newRow("meter rounds halves away from zero")
        << R"({"type":"meter","id":"m","levels":[-1.25,0.05]})"_ba
        << Message::meter(u"m"_s, {-1.3, 0.1});
    QTest::newRow("meter clamps high levels")
        << R"({"type":"meter","id":"m","levels":["x",1e308]})"_ba << Message::meter(u"m"_s, {24.0});
    QTest::newRow("turn clamps steps") << R"({"type":"turn","id":"a","steps":20000})"_ba
                                       << Message::turn(u"a"_s, std::nullopt, 10000);
    QTest::newRow("turn rounds steps")
        << R"({"type":"turn","id":"a","steps":-3.5})"_ba << Message::turn(u"a"_s, std::nullopt, -4);
    QTest::newRow("turn keeps value 2")
        << R"({"type":"turn","id":"a","value":2})"_ba << Message::turn(u"a"_s, 2.0, std::nullopt);
    QTest::newRow("turn with both")
        << R"({"type":"turn","id":"a","value":0.5,"steps":1})"_ba << Message::turn(u"a"_s, 0.5, 1);
    QTest::newRow("press without down")
        << R"({"type":"press","id":"a"})"_ba << Message::press(u"a"_s, true);
    QTest::newRow("press down 0 is missing")
        << R"({"type":"press","id":"a","down":0})"_ba << Message::press(u"a"_s, true);
    QTest::newRow("press up") << R"({"type":"press","id":"a","down":false})"_ba
                              << Message::press(u"a"_s, false);
    QTest::newRow("meterSubscribe off") << R"({"type":"meterSubscribe","id":"m","on":false})"_ba
                                        << Message::meterSubscribe(u"m"_s, false);
    QTest::newRow("meterSubscribe on by default")
        << R"({"type":"meterSubscribe","id":"m"})"_ba << Message::meterSubscribe(u"m"_s, true);
    QTest::newRow("error without message") << R"({"type":"error"})"_ba << Message::error({});
    QTest::newRow("type case matters")
        << R"({"type":"Hello","app":"a"})"_ba << Message::unknown(u"Hello"_s);
    QTest::newRow("type with a control character stays unknown")
        << R"({"type":"p\u0001ress","id":"a"})"_ba << Message::unknown(u"p\u0001ress"_s);
    QTest::newRow("carriage return at the end")
        << "{\"type\":\"press\",\"id\":\"a\"}\r"_ba << Message::press(u"a"_s, true);
}

void MessageTest::decodesLine()
{
    QFETCH(QByteArray, line);
    QFETCH(Message, message);
    QCOMPARE(decoded(line), message);
}

void MessageTest::decodesHelloFully()
{
    const Message message = decoded(
        R"({"type":"hello","app":"com.example.app","name":"Ex\tample","version":"1.0","protocol":3,"key":"k/1","extra":1})"_ba);
    QCOMPARE(message,
             Message::hello(Hello{u"com.example.app"_s, u"Example"_s, u"1.0"_s, 3, u"k/1"_s}));
}

void MessageTest::decodesUpdateTextStates()
{
    const auto text = [](const QByteArray &line) { return decoded(line).as<Update>()->text; };
    QCOMPARE(text(R"({"type":"update","id":"a","text":null})"_ba),
             Update::TextChange(std::optional<QString>()));
    QCOMPARE(text(R"({"type":"update","id":"a","text":7})"_ba),
             Update::TextChange(std::optional<QString>()));
    QCOMPARE(text(R"({"type":"update","id":"a","text":"hi"})"_ba),
             Update::TextChange(std::optional<QString>(u"hi"_s)));
    QCOMPARE(text(R"({"type":"update","id":"a"})"_ba), Update::TextChange());

    const Message update =
        decoded(R"({"type":"update","id":"a","value":"1","on":1,"name":"N","text":""})"_ba);
    QCOMPARE(update, Message::update(Update{u"a"_s, std::nullopt, std::optional<QString>(QString()),
                                            std::nullopt, u"N"_s}));
}

void MessageTest::clipsReceivedTexts()
{
    const QByteArray longId = QByteArray(300, 'i');
    const Message press = decoded(R"({"type":"press","id":")" + longId + R"("})");
    QCOMPARE(press.as<Message::Press>()->id, QString(256, u'i'));

    const Message error =
        decoded(R"({"type":"error","message":")" + QByteArray(2000, 'e') + R"(\u202e"})");
    QCOMPARE(error.as<Message::Error>()->message, QString(1024, u'e'));

    const Message hello =
        decoded(R"({"type":"hello","app":")" + longId + R"(","key":")" + longId + R"("})");
    QCOMPARE(hello.as<Hello>()->app.size(), 256);
    QCOMPARE(hello.as<Hello>()->key->size(), 256);
}

void MessageTest::encodesLine_data()
{
    QTest::addColumn<Message>("message");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("update value 0.3 and sorted keys")
        << Message::update(Update{u"a/b"_s, 0.3})
        << "{\"id\":\"a/b\",\"type\":\"update\",\"value\":0.3}\n"_ba;
    QTest::newRow("update clearing text")
        << Message::update(Update{u"a"_s, std::nullopt, std::optional<QString>()})
        << "{\"id\":\"a\",\"text\":null,\"type\":\"update\"}\n"_ba;
    QTest::newRow("control not read-only")
        << Message::controls({Control(u"a"_s, u"A"_s, Control::Kind::level, 0.1)})
        << "{\"controls\":[{\"id\":\"a\",\"kind\":\"level\",\"name\":\"A\",\"value\":0.1}],\"type\":\"controls\"}\n"_ba;
    QTest::newRow("read-only control")
        << Message::controls({Control(u"a"_s, u"A"_s, Control::Kind::meter, std::nullopt,
                                      std::nullopt, std::nullopt, std::nullopt, 2, true)})
        << "{\"controls\":[{\"channels\":2,\"id\":\"a\",\"kind\":\"meter\",\"name\":\"A\",\"readOnly\":true}],\"type\":\"controls\"}\n"_ba;
    QTest::newRow("meter with NaN")
        << Message::meter(u"m"_s, {std::numeric_limits<double>::quiet_NaN(), -3.5})
        << "{\"id\":\"m\",\"levels\":[0,-3.5],\"type\":\"meter\"}\n"_ba;
    QTest::newRow("turn with infinity")
        << Message::turn(u"a"_s, std::numeric_limits<double>::infinity(), 2)
        << "{\"id\":\"a\",\"steps\":2,\"type\":\"turn\",\"value\":0}\n"_ba;
    QTest::newRow("hello")
        << Message::hello(Hello{u"a"_s, u"A"_s, u"1"_s, 3, std::nullopt})
        << "{\"app\":\"a\",\"name\":\"A\",\"protocol\":3,\"type\":\"hello\",\"version\":\"1\"}\n"_ba;
    QTest::newRow("error") << Message::error(u"Send hello first"_s)
                           << "{\"message\":\"Send hello first\",\"type\":\"error\"}\n"_ba;
    QTest::newRow("press") << Message::press(u"a"_s, false)
                           << "{\"down\":false,\"id\":\"a\",\"type\":\"press\"}\n"_ba;
    QTest::newRow("unknown") << Message::unknown(u"later"_s) << "{\"type\":\"later\"}\n"_ba;
}

void MessageTest::encodesLine()
{
    QFETCH(Message, message);
    QFETCH(QByteArray, line);
    QCOMPARE(message.encodeLine(), line);
}

void MessageTest::roundTripsEveryCase()
{
    const QList<Message> messages{
        Message::hello(Hello{u"a"_s, u"Ä"_s, u"2"_s, 3, u"0123456789abcdef"_s}),
        Message::controls(
            {Control(u"t"_s, u"T"_s, Control::Kind::toggle, std::nullopt, u"on"_s, true, u"g"_s)}),
        Message::update(Update{u"a"_s, 0.001, std::optional<QString>(u"x"_s), false, u"n"_s}),
        Message::meter(u"m"_s, {-160.0, 24.0}),
        Message::turn(u"a"_s, 0.125, -7),
        Message::press(u"a"_s, true),
        Message::meterSubscribe(u"m"_s, false),
        Message::error(u"No controls"_s),
        Message::unknown(u"future"_s),
    };
    for (const Message &message : messages) {
        const QByteArray line = message.encodeLine();
        QVERIFY(line.endsWith('\n'));
        QCOMPARE(line.count('\n'), 1);
        QCOMPARE(decoded(line.chopped(1)), message);
    }
}

QTEST_GUILESS_MAIN(MessageTest)
#include "MessageTest.moc"
