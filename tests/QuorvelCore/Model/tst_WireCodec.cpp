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
#include "tst_WireCodec.moc"
