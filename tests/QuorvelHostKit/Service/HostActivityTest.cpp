#include "QuorvelHostKit/Service/HostActivity.h"

#include <QTest>

using Quorvel::HostActivity;

class HostActivityTest : public QObject {
    Q_OBJECT

private slots:
    void clip_data();
    void clip();
    void entriesWithSameTextsDiffer();
    void makeClipsDeviceAndDetail();
};

void HostActivityTest::clip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("expected");

    const QString eighty(80, QLatin1Char('a'));
    const QString ellipsis(QChar(0x2026));
    QTest::newRow("exactly the limit") << eighty << 80 << eighty;
    QTest::newRow("one over the limit") << eighty + "b" << 80 << eighty + ellipsis;
    QTest::newRow("trimmed before counting") << "  " + eighty + "  " << 80 << eighty;
    QTest::newRow("lines become one line") << "\nfirst\nsecond\r\n" << 500 << "first second";
    QTest::newRow("runs are not collapsed") << "a\n\nb" << 500 << "a  b";
    QTest::newRow("tab inside becomes space") << "a\tb" << 500 << "a b";
    QTest::newRow("only blanks") << " \n \t\r\n " << 80 << "";
    QTest::newRow("inner spaces stay") << "a   b" << 80 << "a   b";
    QTest::newRow("format character becomes space")
        << QString("a") + QChar(0x200B) + "b" << 80 << "a b";
    QTest::newRow("no-break space is trimmed") << QString(QChar(0x00A0)) + "x" << 80 << "x";
    QTest::newRow("line separator is not trimmed")
        << QString(QChar(0x2028)) + "x" << 80 << QString(QChar(0x2028)) + "x";
    // A flag is two scalars but one user-perceived character.
    const QString flag = QString::fromUtf8("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA");
    QTest::newRow("graphemes counted whole") << flag + flag + flag << 2 << flag + flag + ellipsis;
    QTest::newRow("combining mark stays with its letter") << QString::fromUtf8("e\xCC\x81"
                                                                               "e\xCC\x81"
                                                                               "e")
                                                          << 2
                                                          << QString::fromUtf8("e\xCC\x81"
                                                                               "e\xCC\x81") +
                                                                 ellipsis;
}

void HostActivityTest::clip()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QString, expected);
    QCOMPARE(HostActivity::clip(text, limit), expected);
}

void HostActivityTest::entriesWithSameTextsDiffer()
{
    const auto first = HostActivity::make("Phone", "Connected", HostActivity::Outcome::info);
    auto second = first;
    QCOMPARE(second, first);
    second.id = QUuid::createUuid();
    QVERIFY(second != first);
    auto withDetail = first;
    withDetail.detail = QString();
    QVERIFY(withDetail != first);
}

void HostActivityTest::makeClipsDeviceAndDetail()
{
    const auto entry = HostActivity::make(QString(100, 'd'), "Ran Lights",
                                          HostActivity::Outcome::failed, QString(600, 'x'));
    QCOMPARE(entry.device.size(), HostActivity::deviceLimit + 1);
    QCOMPARE(entry.detail->size(), HostActivity::detailLimit + 1);
    QCOMPARE(entry.summary, QStringLiteral("Ran Lights"));
    QVERIFY(!entry.id.isNull());
    QVERIFY(qAbs(entry.date.secsTo(QDateTime::currentDateTimeUtc())) < 5);
    QVERIFY(!HostActivity::make("a", "b", HostActivity::Outcome::ok).detail.has_value());
}

QTEST_GUILESS_MAIN(HostActivityTest)
#include "HostActivityTest.moc"
