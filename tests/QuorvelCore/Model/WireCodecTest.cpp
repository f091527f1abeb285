#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelCore/Model/WireDate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <limits>

using namespace Quorvel;

namespace {

Deck deckWithTarget(const QString &target)
{
    return Deck{
        QStringLiteral("D"),
        {Control{QStringLiteral("say"), QStringLiteral("Say"), ControlType::button, std::nullopt,
                 Action{Action::Kind::script, target, std::nullopt, std::nullopt, std::nullopt},
                 std::nullopt, std::nullopt, std::nullopt}}};
}

// What the codec wrote when it left the text to QJsonDocument: Qt's own text with every "/"
// escaped.
QByteArray qtText(const QJsonValue &json, QJsonDocument::JsonFormat format)
{
    QByteArray bytes = json.isObject() ? QJsonDocument(json.toObject()).toJson(format)
                                       : QJsonDocument(json.toArray()).toJson(format);
    bytes.replace("/", "\\/");
    return bytes;
}

QJsonValue nested(const QJsonValue &inner, int depth)
{
    QJsonValue json = inner;
    for (int level = 0; level < depth; ++level) {
        json = level % 2 == 0 ? QJsonValue(QJsonArray{1, json})
                              : QJsonValue(QJsonObject{{QStringLiteral("k"), json}});
    }
    return json;
}

} // namespace

class WireCodecTest : public QObject {
    Q_OBJECT

private slots:
    void sharesTheServiceType() { QCOMPARE(Quorvel::serviceType, QStringLiteral("_quorvel._tcp")); }

    void readsOnlyTheWireDateForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("wire form") << "2026-12-09T08:02:50Z" << true;
        QTest::newRow("leap day") << "2028-02-29T23:59:59Z" << true;
        QTest::newRow("not a leap day") << "2026-02-29T00:00:00Z" << false;
        QTest::newRow("fraction") << "2026-12-09T08:02:50.000Z" << false;
        QTest::newRow("offset") << "2026-12-09T08:02:50+00:00" << false;
        QTest::newRow("no zone") << "2026-12-09T08:02:50" << false;
        QTest::newRow("lower-case z") << "2026-12-09T08:02:50z" << false;
        QTest::newRow("lower-case t") << "2026-12-09t08:02:50Z" << false;
        QTest::newRow("space for T") << "2026-12-09 08:02:50Z" << false;
        QTest::newRow("short month") << "2026-1-09T08:02:50Z" << false;
        QTest::newRow("hour 24") << "2026-12-09T24:00:00Z" << false;
        QTest::newRow("month 13") << "2026-13-09T08:02:50Z" << false;
        QTest::newRow("trailing line feed") << "2026-12-09T08:02:50Z\n" << false;
        QTest::newRow("leading space") << " 2026-12-09T08:02:50Z" << false;
        QTest::newRow("Arabic-Indic digits")
            << QStringLiteral("\u0662\u0660\u0662\u0666-12-09T08:02:50Z") << false;
        QTest::newRow("empty") << "" << false;
    }

    void readsOnlyTheWireDateForm()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<QDateTime> date = parseWireDate(text);
        QCOMPARE(date.has_value(), valid);
        if (date) {
            QCOMPARE(date->timeSpec(), Qt::UTC);
            QCOMPARE(formatWireDate(*date), std::optional(text));
        }
    }

    void writesWholeSecondsInUtc_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("offset with a fraction")
            << QDateTime(QDate(2026, 12, 9), QTime(10, 2, 50, 999), Qt::OffsetFromUTC, 2 * 3600)
            << "2026-12-09T08:02:50Z";
        // Half a second before 1970 lies in the last second of 1969.
        QTest::newRow("fraction before 1970")
            << QDateTime::fromMSecsSinceEpoch(-500, Qt::UTC) << "1969-12-31T23:59:59Z";
        QTest::newRow("whole second before 1970")
            << QDateTime::fromMSecsSinceEpoch(-1000, Qt::UTC) << "1969-12-31T23:59:59Z";
    }

    void writesWholeSecondsInUtc()
    {
        QFETCH(QDateTime, date);
        QFETCH(QString, text);
        QCOMPARE(formatWireDate(date), std::optional(text));
        QCOMPARE(wholeSeconds(date), *parseWireDate(text));
    }

    void writesNoTextForAnInvalidDate() { QVERIFY(!formatWireDate(QDateTime())); }

    void escapesSlashes()
    {
        const Deck deck = deckWithTarget(QStringLiteral("/usr/bin/say"));
        const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(deck);
        QVERIFY(bytes);
        QVERIFY(bytes->contains(R"("target": "\/usr\/bin\/say")"));
        QVERIFY(!bytes->contains("\"/"));
        QCOMPARE(WireCodec::decoder().decode<Deck>(*bytes), std::optional(deck));
        const QByteArray message = *WireCodec::encode(Message(deck));
        QVERIFY(message.contains(R"(\/usr\/bin\/say)"));
    }

    void writesSortedIndentedFiles()
    {
        const Deck deck = Deck::sample();
        const QByteArray first = *WireCodec::prettyEncoder(true).encode(deck);
        QCOMPARE(*WireCodec::prettyEncoder(true).encode(Deck::sample()), first);
        QVERIFY(first.count('\n') > 10);
        QVERIFY(first.indexOf("\"controls\"") < first.indexOf("\"deck_name\""));
        QVERIFY(first.indexOf("\"icon\"") < first.indexOf("\"id\""));
        QVERIFY(first.indexOf("\"id\"") < first.indexOf("\"on_action\""));
        const QByteArray compact = *WireCodec::prettyEncoder(false).encode(deck);
        QVERIFY(!compact.contains('\n'));
        QVERIFY(WireCodec::prettyEncoder(true).isPretty());
    }

    void refusesNonFiniteNumbers_data()
    {
        QTest::addColumn<double>("number");
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("negative infinity") << -std::numeric_limits<double>::infinity();
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    }

    void refusesNonFiniteNumbers()
    {
        QFETCH(double, number);
        Deck deck = Deck::sample();
        deck.controls[2].statusCheck->interval = number;
        QString error;
        QVERIFY(!WireCodec::prettyEncoder(true).encode(deck, &error));
        QVERIFY2(error.contains(QStringLiteral("controls[2].status_check.interval")),
                 qPrintable(error));
        QVERIFY(!WireCodec::encode(Message(Message::UpdateDeck{QStringLiteral("R"), deck})));
        deck = Deck::sample();
        deck.controls[0].offAction->timeout = number;
        QVERIFY(!WireCodec::encode(Message(deck)));
    }

    void refusesStatesWithoutADate()
    {
        const Message message(Message::StateUpdate{{ControlState{}}});
        QVERIFY(!WireCodec::encode(message));
    }

    // The compact writer escapes and encodes strings itself, eight units at a time where they
    // are plain ASCII: special characters anywhere in or across such a block must come out as
    // QJsonDocument writes them.
    void writesStringsAsQtDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("only a slash") << QStringLiteral("/");
        const QString plain = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
        for (const QChar special :
             {QChar(u'/'),   QChar(u'"'),   QChar(u'\\'),  QChar(u'\n'),  QChar(u'\b'),
              QChar(u'\f'),  QChar(u'\r'),  QChar(u'\t'),  QChar(0x01),   QChar(0x1f),
              QChar(0x7f),   QChar(0xe9),   QChar(0x7ff),  QChar(0x800),  QChar(0xfffd),
              QChar(0xffff), QChar(0xd800), QChar(0xdbff), QChar(0xdc00), QChar(0xdfff)}) {
            for (const qsizetype at : {0, 1, 7, 8, 9, 15, 16, 17, 35}) {
                QString text = plain;
                text[at] = special;
                QTest::addRow("U+%04X at %lld", special.unicode(), static_cast<long long>(at))
                    << text;
            }
            QTest::addRow("U+%04X last", special.unicode()) << plain + special;
        }
        QTest::newRow("a pair") << QString(plain + QChar(0xd83d) + QChar(0xde00) + plain);
        QTest::newRow("a pair across a block")
            << QString(plain.left(7) + QChar(0xd83d) + QChar(0xde00) + plain);
        QTest::newRow("a high surrogate before a high one")
            << QString(QString(QChar(0xd83d)) + QChar(0xd83d) + QChar(0xde00));
        QTest::newRow("a low surrogate first") << QString(QString(QChar(0xde00)) + QChar(0xd83d));
        QTest::newRow("every slash") << QString(40, u'/');
        QTest::newRow("non-ASCII text") << QStringLiteral("gr\u00fc\u00dfe \u65e5\u672c/\u8a9e");
    }

    void writesStringsAsQtDoes()
    {
        QFETCH(QString, text);
        const QJsonObject object{{text, text}, {QStringLiteral("list"), QJsonArray{text, text}}};
        const std::optional<QByteArray> compact =
            WireCodec::prettyEncoder(false).encodeJson(object);
        QCOMPARE(compact, std::optional(qtText(object, QJsonDocument::Compact)));
        QVERIFY(!compact->contains("\"/"));
        QCOMPARE(WireCodec::decoder().decodeJson(*compact), std::optional(QJsonValue(object)));
        QCOMPARE(WireCodec::prettyEncoder(true).encodeJson(object),
                 std::optional(qtText(object, QJsonDocument::Indented)));
    }

    void writesEscapesExactly()
    {
        const QJsonArray array{QStringLiteral("a/b"), QString(QChar(0xd800)),
                               QStringLiteral("\u0001\"")};
        QCOMPARE(*WireCodec::prettyEncoder(false).encodeJson(array),
                 QByteArray("[\"a\\/b\",\"\\ud800\",\"\\u0001\\\"\"]"));
    }

    void writesNumbersAsQtDoes()
    {
        const QJsonArray array{0,
                               -1,
                               qint64(1) << 60,
                               std::numeric_limits<qint64>::max(),
                               std::numeric_limits<qint64>::min(),
                               0.1,
                               -0.0,
                               1.5,
                               3.0,
                               double(qint64(1) << 60),
                               1e21,
                               1e-7,
                               5e-324,
                               std::numeric_limits<double>::max(),
                               true,
                               false,
                               QJsonValue(),
                               QJsonArray{},
                               QJsonObject{}};
        QCOMPARE(WireCodec::prettyEncoder(false).encodeJson(array),
                 std::optional(qtText(array, QJsonDocument::Compact)));
        QCOMPARE(WireCodec::prettyEncoder(false).encodeJson(QJsonObject{}),
                 std::optional(QByteArray("{}")));
    }

    // The compact writer finds a non-finite number while it writes; it must still find one at
    // any depth and say where it is.
    void refusesNonFiniteNumbersDeepInside()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        for (const bool pretty : {false, true}) {
            const QJsonObject object{
                {QStringLiteral("a"), QStringLiteral("/")},
                {QStringLiteral("z"),
                 nested(QJsonArray{1, QJsonObject{{QStringLiteral("n"), nan}}}, 6)}};
            QString error;
            QVERIFY(!WireCodec::prettyEncoder(pretty).encodeJson(object, &error));
            QCOMPARE(error, QStringLiteral("z.k[1].k[1].k[1][1].n: a number that is not finite "
                                           "cannot be encoded"));
            QVERIFY(!WireCodec::prettyEncoder(pretty).encodeJson(
                QJsonArray{1, std::numeric_limits<double>::infinity()}, &error));
            QCOMPARE(error, QStringLiteral("[1]: a number that is not finite cannot be encoded"));
        }
        Deck deck = Deck::sample();
        deck.controls[2].statusCheck->interval = nan;
        QString error;
        QVERIFY(
            !WireCodec::encode(Message(Message::UpdateDeck{QStringLiteral("R"), deck}), &error));
        QVERIFY2(error.startsWith(QStringLiteral("deck.controls[2].status_check.interval: ")),
                 qPrintable(error));
    }

    // Members given one by one make the object those inserts would make.
    void writesMembersAsTheirObject()
    {
        WireCodec::CompactObject members;
        QJsonObject object;
        const auto both = [&](const QString &key, const auto &value) {
            members.insert(key, value);
            object.insert(key, value);
        };
        both(QStringLiteral("zeta"), QStringLiteral("a/b"));
        both(QStringLiteral("alpha"), true);
        both(QStringLiteral("mid"), qint64(7));
        both(QStringLiteral("list"), QJsonValue(QJsonArray{1.5, QStringLiteral("/")}));
        both(QStringLiteral("alpha"), qint64(2));
        both(QStringLiteral("gone"), QJsonValue(QJsonObject{}));
        both(QStringLiteral("gone"), QJsonValue(QJsonValue::Undefined));
        both(QStringLiteral("\u00e9"), QJsonValue());
        QCOMPARE(members.text(), std::optional(qtText(object, QJsonDocument::Compact)));
        members.insert(QStringLiteral("bad"), QJsonValue(std::numeric_limits<double>::infinity()));
        QVERIFY(!members.text());
    }

    void decodesArraysAndObjects()
    {
        QVERIFY(WireCodec::decoder().decodeJson("[1,2]")->isArray());
        QVERIFY(WireCodec::decoder().decodeJson(R"({"a":"\/"})")->isObject());
        QString error;
        QVERIFY(!WireCodec::decoder().decodeJson("{} trailing", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!WireCodec::decoder().decodeJson(""));
        QVERIFY(!WireCodec::prettyEncoder(true).encodeJson(QJsonValue(5)));
        QCOMPARE(*WireCodec::prettyEncoder(false).encodeJson(QJsonArray{QStringLiteral("a/b")}),
                 QByteArray(R"(["a\/b"])"));
    }
};

QTEST_GUILESS_MAIN(WireCodecTest)
#include "WireCodecTest.moc"
