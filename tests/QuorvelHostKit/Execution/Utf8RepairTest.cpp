#include "QuorvelHostKit/Execution/Utf8Repair.h"

#include <QTest>

using Quorvel::repairedUtf8;

class Utf8RepairTest : public QObject {
    Q_OBJECT

private slots:
    void replacesEachMaximalSubpart_data();
    void replacesEachMaximalSubpart();
};

void Utf8RepairTest::replacesEachMaximalSubpart_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("valid with a line feed")
        << QByteArray("h\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82\n")
        << QStringLiteral("hé € \U0001F642\n");
    QTest::newRow("leading byte order mark kept")
        << QByteArray("\xEF\xBB\xBFhi") << QStringLiteral("\uFEFFhi");
    QTest::newRow("leading byte order mark kept beside a repair")
        << QByteArray("\xEF\xBB\xBFhi\xFF") << QStringLiteral("\uFEFFhi\uFFFD");
    QTest::newRow("stray continuation byte") << QByteArray("a\x80z") << QStringLiteral("a\uFFFDz");
    QTest::newRow("lone 0xFF") << QByteArray("\xFF") << QStringLiteral("\uFFFD");
    QTest::newRow("truncated three-byte character at the end")
        << QByteArray("ok\xE2\x82") << QStringLiteral("ok\uFFFD");
    QTest::newRow("truncated four-byte character before text")
        << QByteArray("\xF0\x9F\x99z") << QStringLiteral("\uFFFDz");
    QTest::newRow("overlong two-byte form")
        << QByteArray("\xC0\xAF") << QStringLiteral("\uFFFD\uFFFD");
    QTest::newRow("overlong three-byte form")
        << QByteArray("\xE0\x80\x80") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80")
                               << QStringLiteral("\uFFFD\uFFFD\uFFFD");
    QTest::newRow("beyond U+10FFFF")
        << QByteArray("\xF4\x90\x80\x80") << QStringLiteral("\uFFFD\uFFFD\uFFFD\uFFFD");
    // The example of the Unicode standard's recommended practice for substitution.
    QTest::newRow("standard's example")
        << QByteArray("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64")
        << QStringLiteral("a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd");
}

void Utf8RepairTest::replacesEachMaximalSubpart()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(repairedUtf8(bytes), text);
}

QTEST_APPLESS_MAIN(Utf8RepairTest)
#include "Utf8RepairTest.moc"
