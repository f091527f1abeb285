#include "Knobwire/Announcement.h"
#include "Knobwire/MakeKey.h"

#include <QRegularExpression>
#include <QTest>

using namespace Knobwire;
using namespace Qt::StringLiterals;

namespace {

const QString validKey = u"0123456789abcdef0123456789abcdef"_s;

// An announcement text with the given members replacing or adding to valid ones.
QString announcementText(const QString &members)
{
    return uR"({"app":"com.example.app","name":"Example","port":5000,"protocol":3,"key":")"_s +
           validKey + u"\""_s + (members.isEmpty() ? QString() : u","_s + members) + u"}"_s;
}

} // namespace

class AnnouncementTest : public QObject {
    Q_OBJECT

private slots:
    void writesCompactSortedJson();
    void writesPidAndEscapedSlashes();
    void readsBackWhatItWrites();
    void readsAnnouncement_data();
    void readsAnnouncement();
    void limitsUtf8Length();
    void makesFreshHexadecimalKeys();
};

void AnnouncementTest::writesCompactSortedJson()
{
    const Announcement announcement{u"com.example.app"_s, u"Example"_s, 5000, 3, validKey,
                                    std::nullopt};
    QCOMPARE(announcement.json(), uR"({"app":"com.example.app","key":")"_s + validKey +
                                      uR"(","name":"Example","port":5000,"protocol":3})"_s);
}

void AnnouncementTest::writesPidAndEscapedSlashes()
{
    const Announcement announcement{u"a/b"_s, u"Ä/Ö"_s, 65535, 3, validKey, 42};
    QCOMPARE(announcement.json(), uR"({"app":"a\/b","key":")"_s + validKey +
                                      uR"(","name":"Ä\/Ö","pid":42,"port":65535,"protocol":3})"_s);
}

void AnnouncementTest::readsBackWhatItWrites()
{
    const Announcement announcement{u"com.example.app"_s, u"Ex/ample"_s, 1024, 3, validKey, 7};
    QCOMPARE(Announcement::fromJson(announcement.json()), announcement);
}

void AnnouncementTest::readsAnnouncement_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("protocol");
    QTest::addColumn<std::optional<qint32>>("pid");
    QTest::addColumn<QString>("name");

    const std::optional<qint32> none;
    const QString example = u"Example"_s;
    QTest::newRow("valid") << announcementText({}) << true << 5000 << 3 << none << example;
    QTest::newRow("port 1023") << announcementText(u"\"port\":1023"_s) << false << 0 << 0 << none
                               << example;
    QTest::newRow("port 1024") << announcementText(u"\"port\":1024"_s) << true << 1024 << 3 << none
                               << example;
    QTest::newRow("port 65535") << announcementText(u"\"port\":65535"_s) << true << 65535 << 3
                                << none << example;
    QTest::newRow("port 65536") << announcementText(u"\"port\":65536"_s) << false << 0 << 0 << none
                                << example;
    QTest::newRow("port 5000.9") << announcementText(u"\"port\":5000.9"_s) << true << 5000 << 3
                                 << none << example;
    QTest::newRow("port as text") << announcementText(u"\"port\":\"5000\""_s) << false << 0 << 0
                                  << none << example;
    QTest::newRow("port 1e300") << announcementText(u"\"port\":1e300"_s) << false << 0 << 0 << none
                                << example;
    QTest::newRow("pid") << announcementText(u"\"pid\":1234"_s) << true << 5000 << 3
                         << std::optional<qint32>(1234) << example;
    QTest::newRow("pid too large")
        << announcementText(u"\"pid\":3000000000"_s) << true << 5000 << 3 << none << example;
    QTest::newRow("pid as text") << announcementText(u"\"pid\":\"12\""_s) << true << 5000 << 3
                                 << none << example;
    QTest::newRow("empty name") << announcementText(u"\"name\":\"\""_s) << true << 5000 << 3 << none
                                << u"com.example.app"_s;
    QTest::newRow("name clipped") << announcementText(u"\"name\":\"Ex\\tample\""_s) << true << 5000
                                  << 3 << none << example;
    QTest::newRow("name missing") << uR"({"app":"a","port":5000,"protocol":3,"key":")"_s +
                                         validKey + u"\"}"_s
                                  << false << 0 << 0 << none << example;
    QTest::newRow("empty app") << announcementText(u"\"app\":\"\""_s) << false << 0 << 0 << none
                               << example;
    QTest::newRow("app with line feed")
        << announcementText(u"\"app\":\"a\\nb\""_s) << false << 0 << 0 << none << example;
    QTest::newRow("app of 257 scalars")
        << announcementText(u"\"app\":\""_s + QString(257, u'a') + u"\""_s) << false << 0 << 0
        << none << example;
    QTest::newRow("protocol 2") << announcementText(u"\"protocol\":2"_s) << true << 5000 << 2
                                << none << example;
    QTest::newRow("protocol 7") << announcementText(u"\"protocol\":7"_s) << true << 5000 << 7
                                << none << example;
    QTest::newRow("protocol 3.9 cut toward zero")
        << announcementText(u"\"protocol\":3.9"_s) << true << 5000 << 3 << none << example;
    QTest::newRow("pid 12.7 cut toward zero") << announcementText(u"\"pid\":12.7"_s) << true << 5000
                                              << 3 << std::optional<qint32>(12) << example;
    QTest::newRow("protocol as text")
        << announcementText(u"\"protocol\":\"3\""_s) << false << 0 << 0 << none << example;
    QTest::newRow("protocol true")
        << announcementText(u"\"protocol\":true"_s) << false << 0 << 0 << none << example;
    QTest::newRow("port true") << announcementText(u"\"port\":true"_s) << false << 0 << 0 << none
                               << example;
    QTest::newRow("protocol beyond an integer")
        << announcementText(u"\"protocol\":1e300"_s) << false << 0 << 0 << none << example;
    QTest::newRow("key of 15") << announcementText(u"\"key\":\"0123456789abcde\""_s) << false << 0
                               << 0 << none << example;
    QTest::newRow("key of 16") << announcementText(u"\"key\":\"0123456789abcdef\""_s) << true
                               << 5000 << 3 << none << example;
    QTest::newRow("key of 16 scalars but 15 characters")
        << announcementText(u"\"key\":\"0123456789abcde\\u0301\""_s) << false << 0 << 0 << none
        << example;
    QTest::newRow("key of 257") << announcementText(u"\"key\":\""_s + QString(257, u'k') + u"\""_s)
                                << false << 0 << 0 << none << example;
    QTest::newRow("key with a direction mark")
        << announcementText(u"\"key\":\"0123456789abcdef\\u202e\""_s) << false << 0 << 0 << none
        << example;
    QTest::newRow("key as number")
        << announcementText(u"\"key\":12345678901234567"_s) << false << 0 << 0 << none << example;
    QTest::newRow("array") << u"[1]"_s << false << 0 << 0 << none << example;
    QTest::newRow("not JSON") << u"announce"_s << false << 0 << 0 << none << example;
    QTest::newRow("empty object") << u"{}"_s << false << 0 << 0 << none << example;
}

void AnnouncementTest::readsAnnouncement()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    const std::optional<Announcement> announcement = Announcement::fromJson(text);
    QCOMPARE(announcement.has_value(), accepted);
    if (!accepted) {
        return;
    }
    QFETCH(int, port);
    QFETCH(int, protocol);
    QFETCH(std::optional<qint32>, pid);
    QFETCH(QString, name);
    QCOMPARE(announcement->port, port);
    QCOMPARE(announcement->protocol, protocol);
    QCOMPARE(announcement->pid, pid);
    QCOMPARE(announcement->name, name);
}

void AnnouncementTest::limitsUtf8Length()
{
    const QString base = announcementText(u"\"pad\":\"\""_s);
    // "é" takes two UTF-8 bytes, so these texts are long in bytes but short in characters.
    QString exact = base;
    exact.insert(exact.size() - 2, QString((4096 - base.toUtf8().size()) / 2, u'é'));
    if (exact.toUtf8().size() < 4096) {
        exact.insert(exact.size() - 2, u'x');
    }
    QCOMPARE(exact.toUtf8().size(), 4096);
    QVERIFY(Announcement::fromJson(exact).has_value());

    QString over = exact;
    over.insert(over.size() - 2, u'x');
    QCOMPARE(over.toUtf8().size(), 4097);
    QVERIFY(!Announcement::fromJson(over).has_value());

    QVERIFY(!Announcement::fromJson(QString(8 * 1024 * 1024, u' ') + base).has_value());
}

void AnnouncementTest::makesFreshHexadecimalKeys()
{
    const QRegularExpression form(u"^[0-9a-f]{32}$"_s);
    QSet<QString> keys;
    for (int i = 0; i < 100; ++i) {
        const QString key = makeKey();
        QVERIFY2(form.match(key).hasMatch(), qPrintable(key));
        keys.insert(key);
    }
    QCOMPARE(keys.size(), 100);
}

QTEST_GUILESS_MAIN(AnnouncementTest)
#include "AnnouncementTest.moc"
