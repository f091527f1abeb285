#include "HostTestSupport.h"
#include "LogCapture.h"

#include "QuorvelCore/Link/DeviceText.h"

#include <QStringList>
#include <QTest>

using namespace Quorvel;
using namespace Quorvel::HostTest;

namespace {

Deck testDeck()
{
    return Deck{QStringLiteral("Desk"),
                {shellButton(QStringLiteral("hello"), QStringLiteral("echo hi"))}};
}

} // namespace

class HostDeviceTextTest : public QObject {
    Q_OBJECT

private slots:
    // A name made to forge a log line is clipped and cleaned before anything keeps it, and its
    // log line stays one line.
    void forgedNameIsClippedAndEscaped()
    {
        TestHost host(testDeck());
        QVERIFY(host.isListening());
        const QString forged =
            u"Phone\nClient 'Admin Laptop' authenticated"_qs + QString(100, u'x');
        const QString kept = DeviceText::deviceName(forged);
        QCOMPARE(kept.size(), DeviceText::maxNameCharacters);
        QVERIFY(!kept.contains(u'\n'));

        LogCapture log;
        auto device = host.pairedDevice(forged);
        QVERIFY(device);

        QCOMPARE(host.coordinator().connectedClientNames(), QStringList{kept});
        QCOMPARE(host.coordinator().activity().first().device, kept);
        const QStringList authenticated = log.lines().filter(u"authenticated"_qs);
        QCOMPARE(authenticated, QStringList{u"Client '"_qs + kept + u"' authenticated"_qs});
        for (const QString &line : log.lines())
            QVERIFY2(!line.contains(u'\n'), qPrintable(line));
    }

    // Deck and action titles come from devices and from the deck file: none of them starts a
    // line of its own, reorders what a reader sees, or floods the log.
    void titlesStayOnTheirLogLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("line break") << u"Desk\nClient 'Admin Laptop' authenticated"_qs;
        QTest::newRow("carriage return") << u"Desk\rSaved deck 'Other'"_qs;
        QTest::newRow("line separator") << QString::fromUtf16(u"Desk\u2028Loaded deck 'x'");
        QTest::newRow("direction override") << QString::fromUtf16(u"Desk \u202Enosj.kced");
        QTest::newRow("markup") << u"<b>Desk</b> &amp; <script>x</script>"_qs;
        QTest::newRow("300 KB") << QString(300 * 1024, u'd');
    }

    void titlesStayOnTheirLogLine()
    {
        QFETCH(QString, text);
        LogCapture log;
        Deck deck = testDeck();
        deck.deckName = text;
        deck.controls[0].title = text;
        TestHost host(deck);
        TestHost::writeEditingSetting(true);
        auto device = host.pairedDevice();
        QVERIFY(device);
        device->send(Message(
            Message::TriggerAction{QStringLiteral("r1"), QStringLiteral("hello"), std::nullopt}));
        QVERIFY(device->waitForResult(QStringLiteral("r1")));
        deck.controls[0].id = QStringLiteral("hello2");
        device->send(Message(Message::UpdateDeck{QStringLiteral("u1"), deck}));
        const auto saved = device->waitForMessage<Message::DeckUpdateResult>();
        QVERIFY(saved && saved->ok);

        const QStringList lines = log.lines();
        for (const char *said : {"Loaded deck '", "Saved deck '", " → ok"})
            QVERIFY2(!lines.filter(QString::fromUtf8(said)).isEmpty(), said);
        for (const QString &line : lines) {
            for (const char16_t unsafe : {u'\n', u'\r', u'\u2028', u'\u202E'})
                QVERIFY2(!line.contains(QChar(unsafe)), qPrintable(line.left(200)));
            QVERIFY2(line.size() < 1000, qPrintable(line.left(200)));
        }
    }

    // A request with an over-long id gets no answer, not even an error echoing it; the link
    // stays and the next good request is served.
    void overlongIdIsDroppedAndTheLinkStays()
    {
        TestHost host(testDeck());
        QVERIFY(host.isListening());
        auto device = host.pairedDevice();
        QVERIFY(device);
        const qsizetype before = device->messages().size();
        const qsizetype statesBefore = device->received<Message::StateUpdate>().size();

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"with an id of 200 characters"_qs));
        device->send(Message(
            Message::TriggerAction{QString(200, u'r'), QStringLiteral("hello"), std::nullopt}));
        device->send(Message(Message::RequestState{}));

        QVERIFY(device->waitForMessage<Message::StateUpdate>({}, statesBefore));
        QCOMPARE(device->messages().size(), before + 1);
        QVERIFY(device->received<Message::ActionResult>().isEmpty());
        QVERIFY(device->received<Message::Error>().isEmpty());
        QVERIFY(!device->disconnected());

        device->send(Message(Message::TriggerAction{QString(DeviceText::maxIdLength, u'r'),
                                                    QStringLiteral("hello"), std::nullopt}));
        QVERIFY(device->waitForResult(QString(DeviceText::maxIdLength, u'r')));
    }
};

QTEST_GUILESS_MAIN(HostDeviceTextTest)
#include "HostDeviceTextTest.moc"
