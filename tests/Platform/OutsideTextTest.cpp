#include "Platform/Text/OutsideText.h"

#include <QTest>

using namespace Quorvel;

namespace {

const QString replacement = QString(QChar::ReplacementCharacter);
const QString megabyte = u"Deck "_qs.repeated(200000);

} // namespace

class OutsideTextTest : public QObject {
    Q_OBJECT

private slots:
    void forLog_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("logged");

        QTest::newRow("ordinary") << u"Anna's phone"_qs << u"Anna's phone"_qs;
        QTest::newRow("line break") << u"a\nb"_qs << u"a\\nb"_qs;
        QTest::newRow("a forged line") << u"Desk\n[info] Client 'Admin' authenticated"_qs
                                       << u"Desk\\n[info] Client 'Admin' authenticated"_qs;
        QTest::newRow("carriage return and tab") << u"a\rb\tc"_qs << u"a\\rb\\tc"_qs;
        QTest::newRow("line and paragraph separators")
            << QString::fromUtf16(u"a\u2028b\u2029c") << u"a\\u{2028}b\\u{2029}c"_qs;
        QTest::newRow("backslash, so an escape cannot be faked") << u"a\\nb"_qs << u"a\\\\nb"_qs;
        QTest::newRow("escape sequence") << u"\x1b[2J"_qs << u"\\u{001B}[2J"_qs;
        QTest::newRow("direction override") << QString::fromUtf16(u"a\u202Eb") << u"a\\u{202E}b"_qs;
        QTest::newRow("direction isolate") << QString::fromUtf16(u"a\u2067b") << u"a\\u{2067}b"_qs;
        QTest::newRow("markup stays as written")
            << u"<b>bold</b> &amp;"_qs << u"<b>bold</b> &amp;"_qs;
        QTest::newRow("clipped with the length told")
            << u"y"_qs.repeated(1000)
            << (u"y"_qs.repeated(OutsideText::maxLogLength) + u"… (1000 characters)"_qs);
        QTest::newRow("a megabyte")
            << megabyte
            << (megabyte.left(OutsideText::maxLogLength) + u"… (1000000 characters)"_qs);
        QTest::newRow("an emoji at the clip is not cut in half")
            << (u"y"_qs.repeated(OutsideText::maxLogLength - 1) +
                QString::fromUtf16(u"\U0001F600") + u"z"_qs)
            << (u"y"_qs.repeated(OutsideText::maxLogLength - 1) + u"… (162 characters)"_qs);
    }

    void forLog()
    {
        QFETCH(QString, text);
        QFETCH(QString, logged);
        QCOMPARE(OutsideText::forLog(text), logged);
    }

    void forShowing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");

        QTest::newRow("ordinary") << u"Couldn't run Lights"_qs << u"Couldn't run Lights"_qs;
        QTest::newRow("line break splitting a title")
            << u"Couldn't run Lights\nEverything is fine"_qs
            << (u"Couldn't run Lights"_qs + replacement + u"Everything is fine"_qs);
        QTest::newRow("direction override") << QString::fromUtf16(u"run \u202Etxt.exe")
                                            << (u"run "_qs + replacement + u"txt.exe"_qs);
        QTest::newRow("markup stays as written; the title is plain text")
            << u"<a href=\"x\">y</a>"_qs << u"<a href=\"x\">y</a>"_qs;
        QTest::newRow("a megabyte") << megabyte << megabyte.left(OutsideText::maxShownCharacters);
    }

    void forShowing()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(OutsideText::forShowing(text), shown);
    }
};

QTEST_GUILESS_MAIN(OutsideTextTest)
#include "OutsideTextTest.moc"
