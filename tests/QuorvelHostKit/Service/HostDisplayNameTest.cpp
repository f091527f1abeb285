#include "QuorvelHostKit/Service/HostDisplayName.h"

#include <QTest>

using namespace Quorvel;

class HostDisplayNameTest : public QObject {
    Q_OBJECT

private slots:
    void clip_data();
    void clip();
    void displayNameFitsServiceName();
};

void HostDisplayNameTest::clip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString ascii63(63, 'a');
    QTest::newRow("short stays") << "Studio Mac"
                                 << "Studio Mac";
    QTest::newRow("63 bytes stay") << ascii63 << ascii63;
    QTest::newRow("64 bytes lose one") << ascii63 + "b" << ascii63;
    // 62 ASCII bytes and a two-byte letter make 64: the letter goes whole.
    QTest::newRow("two-byte letter not split")
        << QString(62, 'a') + QString::fromUtf8("\xC3\xA9") << QString(62, 'a');
    // 60 bytes and a four-byte emoji make 64: no half of its surrogate pair remains.
    QTest::newRow("emoji not split")
        << QString(60, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80") << QString(60, 'a');
    // 59 bytes and a flag of two four-byte scalars make 67: the whole flag goes, not one half.
    QTest::newRow("flag not split")
        << QString(59, 'a') + QString::fromUtf8("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA")
        << QString(59, 'a');
    // 62 bytes, an "e" and a combining accent make 65: the accent never loses its letter.
    QTest::newRow("accent stays with its letter")
        << QString(62, 'a') + QString::fromUtf8("e\xCC\x81") << QString(62, 'a');
    QTest::newRow("emoji that fits stays")
        << QString(59, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80")
        << QString(59, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80");
}

void HostDisplayNameTest::clip()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString clipped = clipToUtf8Bytes(text, serviceNameMaxBytes);
    QCOMPARE(clipped, expected);
    QVERIFY(clipped.toUtf8().size() <= serviceNameMaxBytes);
}

void HostDisplayNameTest::displayNameFitsServiceName()
{
    const QString name = hostDisplayName();
    QVERIFY(!name.isEmpty());
    QVERIFY(name.toUtf8().size() <= serviceNameMaxBytes);
}

QTEST_GUILESS_MAIN(HostDisplayNameTest)
#include "HostDisplayNameTest.moc"
