#include "QuorvelCore/Link/DeviceText.h"
#include "QuorvelCore/Model/Message.h"

#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(Quorvel::Message)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QString replacement = QString(QChar::ReplacementCharacter);

QString repeated(const QString &piece, int times)
{
    return piece.repeated(times);
}

} // namespace

class DeviceTextTest : public QObject {
    Q_OBJECT

private slots:
    void deviceName_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("kept");

        QTest::newRow("ordinary") << u"Anna's phone"_qs << u"Anna's phone"_qs;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("line break forging a log line")
            << u"Phone\nClient 'Admin Laptop' authenticated"_qs
            << (u"Phone"_qs + replacement + u"Client 'Admin Laptop' authenticated"_qs);
        QTest::newRow("carriage return, tab, escape and NUL")
            << QString::fromUtf16(u"a\rb\tc\x1b[31md\0e", 13)
            << (u"a"_qs + replacement + u"b"_qs + replacement + u"c"_qs + replacement +
                u"[31md"_qs + replacement + u"e"_qs);
        QTest::newRow("line and paragraph separators")
            << QString::fromUtf16(u"a\u2028b\u2029c")
            << (u"a"_qs + replacement + u"b"_qs + replacement + u"c"_qs);
        QTest::newRow("direction override") << QString::fromUtf16(u"evil\u202Egnp.exe")
                                            << (u"evil"_qs + replacement + u"gnp.exe"_qs);
        QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) << replacement;
        QTest::newRow("clipped to 64 characters")
            << repeated(u"x"_qs, 100) << repeated(u"x"_qs, 64);
        QTest::newRow("accented letters count as one character each")
            << repeated(u"e\u0301"_qs, 70) << repeated(u"e\u0301"_qs, 64);
        QTest::newRow("emoji are not cut in half")
            << repeated(QString::fromUtf16(u"\U0001F600"), 65)
            << repeated(QString::fromUtf16(u"\U0001F600"), 64);
        QTest::newRow("endless combining marks stop at the unit limit")
            << (u"a"_qs + repeated(QString(QChar(0x0301)), 1000) + u"b"_qs)
            << (u"a"_qs + repeated(QString(QChar(0x0301)), 511));
        QTest::newRow("a megabyte name")
            << repeated(u"Name "_qs, 200000) << repeated(u"Name "_qs, 13).left(64);
    }

    void deviceName()
    {
        QFETCH(QString, sent);
        QFETCH(QString, kept);
        QCOMPARE(DeviceText::deviceName(sent), kept);
    }

    void overlongIds_data()
    {
        QTest::addColumn<Message>("message");
        QTest::addColumn<std::optional<QString>>("overlong");

        const QString fits = repeated(u"r"_qs, DeviceText::maxIdLength);
        const QString tooLong = repeated(u"r"_qs, DeviceText::maxIdLength + 1);
        const QString longest = repeated(u"c"_qs, 200);
        QTest::newRow("trigger, ids that fit")
            << Message(Message::TriggerAction{fits, fits, std::nullopt})
            << std::optional<QString>();
        QTest::newRow("trigger, long request id")
            << Message(Message::TriggerAction{tooLong, u"c"_qs, std::nullopt})
            << std::optional(tooLong);
        QTest::newRow("trigger, both long: the longer is told")
            << Message(Message::TriggerAction{tooLong, longest, true}) << std::optional(longest);
        QTest::newRow("deck update, long request id")
            << Message(Message::UpdateDeck{tooLong, Deck{}}) << std::optional(tooLong);
        QTest::newRow("test, long request id")
            << Message(Message::Test{tooLong, std::nullopt, std::nullopt})
            << std::optional(tooLong);
        QTest::newRow("messages without ids")
            << Message(Message::RequestState{}) << std::optional<QString>();
    }

    void overlongIds()
    {
        QFETCH(Message, message);
        QFETCH(std::optional<QString>, overlong);
        QCOMPARE(DeviceText::overlongId(message), overlong);
    }
};

QTEST_GUILESS_MAIN(DeviceTextTest)
#include "DeviceTextTest.moc"
