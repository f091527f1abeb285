#include "Widgets/ShownText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Quorvel;

class ShownTextTest : public QObject {
    Q_OBJECT
private slots:
    void oneLineTurnsEveryBreakIntoASpace_data();
    void oneLineTurnsEveryBreakIntoASpace();
    void firstLineSaysWhenLinesAreLeftOut_data();
    void firstLineSaysWhenLinesAreLeftOut();
    void hiddenCharacters_data();
    void hiddenCharacters();
    void hiddenCharactersAreWrittenOut_data();
    void hiddenCharactersAreWrittenOut();
    void jsonShowsHiddenCharactersAsEscapes_data();
    void jsonShowsHiddenCharactersAsEscapes();
};

void ShownTextTest::oneLineTurnsEveryBreakIntoASpace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no break") << "Studio Controls"
                              << "Studio Controls";
    QTest::newRow("line feed") << "Studio\nControls"
                               << "Studio Controls";
    QTest::newRow("carriage return and line feed, one space") << "Studio\r\nControls"
                                                              << "Studio Controls";
    QTest::newRow("line feed and carriage return, two spaces") << "a\n\rb"
                                                               << "a  b";
    QTest::newRow("lone carriage return") << "a\rb"
                                          << "a b";
    QTest::newRow("vertical tab") << "a\vb"
                                  << "a b";
    QTest::newRow("form feed") << "a\fb"
                               << "a b";
    QTest::newRow("next line") << QStringLiteral("a\u0085b") << "a b";
    QTest::newRow("line separator") << QStringLiteral("a\u2028b") << "a b";
    QTest::newRow("paragraph separator") << QStringLiteral("a\u2029b") << "a b";
    QTest::newRow("breaks at both ends stay as spaces") << "\nStudio\n"
                                                        << " Studio ";
    QTest::newRow("tab stays") << "a\tb"
                               << "a\tb";
    QTest::newRow("empty") << ""
                           << "";
}

void ShownTextTest::oneLineTurnsEveryBreakIntoASpace()
{
    QFETCH(QString, text);
    QTEST(ShownText::oneLine(text), "shown");
}

void ShownTextTest::firstLineSaysWhenLinesAreLeftOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one line") << "echo hi"
                              << "echo hi";
    QTest::newRow("two lines") << "echo a\necho b"
                               << "echo a…";
    QTest::newRow("carriage return and line feed") << "echo a\r\necho b"
                                                   << "echo a…";
    QTest::newRow("line separator") << QStringLiteral("echo a\u2028echo b") << "echo a…";
    QTest::newRow("only an ending break") << "echo a\n"
                                          << "echo a";
    QTest::newRow("only blank lines after") << "echo a\n  \n\t\n"
                                            << "echo a";
    QTest::newRow("empty first line") << "\necho b"
                                      << "…";
    QTest::newRow("empty") << ""
                           << "";
}

void ShownTextTest::firstLineSaysWhenLinesAreLeftOut()
{
    QFETCH(QString, text);
    QTEST(ShownText::firstLine(text), "shown");
}

void ShownTextTest::hiddenCharacters_data()
{
    QTest::addColumn<uint>("character");
    QTest::addColumn<bool>("hidden");
    const QList<std::tuple<const char *, uint, bool>> rows{
        {"left-to-right embedding", 0x202A, true},
        {"right-to-left embedding", 0x202B, true},
        {"pop directional formatting", 0x202C, true},
        {"left-to-right override", 0x202D, true},
        {"right-to-left override", 0x202E, true},
        {"left-to-right isolate", 0x2066, true},
        {"right-to-left isolate", 0x2067, true},
        {"first strong isolate", 0x2068, true},
        {"pop directional isolate", 0x2069, true},
        {"left-to-right mark", 0x200E, true},
        {"right-to-left mark", 0x200F, true},
        {"Arabic letter mark", 0x061C, true},
        {"zero-width space", 0x200B, true},
        {"zero-width non-joiner", 0x200C, true},
        {"zero-width joiner", 0x200D, true},
        {"word joiner", 0x2060, true},
        {"byte order mark", 0xFEFF, true},
        {"soft hyphen", 0x00AD, true},
        {"tag letter", 0xE0041, true},
        {"escape", 0x1B, true},
        {"null", 0x00, true},
        {"carriage return", 0x0D, true},
        {"delete", 0x7F, true},
        {"next line", 0x85, true},
        {"line separator", 0x2028, true},
        {"paragraph separator", 0x2029, true},
        {"tab", 0x09, false},
        {"line feed", 0x0A, false},
        {"space", 0x20, false},
        {"no-break space", 0xA0, false},
        {"letter", 'e', false},
        {"Hebrew letter", 0x05D0, false},
        {"Arabic letter", 0x0627, false},
        {"combining acute accent", 0x0301, false},
        {"variation selector", 0xFE0F, false},
        {"emoji", 0x1F600, false},
    };
    for (const auto &[name, character, hidden] : rows)
        QTest::newRow(name) << character << hidden;
}

void ShownTextTest::hiddenCharacters()
{
    QFETCH(uint, character);
    QFETCH(bool, hidden);
    QCOMPARE(ShownText::isHidden(char32_t(character)), hidden);
    const QString text = QStringLiteral("echo ") +
                         QStringView(QChar::fromUcs4(char32_t(character))).toString() +
                         QStringLiteral("x");
    QCOMPARE(ShownText::holdsHidden(text), hidden);
}

void ShownTextTest::hiddenCharactersAreWrittenOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing hidden") << "echo evil"
                                    << "echo evil";
    QTest::newRow("override reads in stored order")
        << QStringLiteral("echo \u202Elive\u202C") << "echo <U+202E>live<U+202C>";
    QTest::newRow("isolate") << QStringLiteral("a\u2067b\u2069") << "a<U+2067>b<U+2069>";
    QTest::newRow("zero-width space in a word")
        << QStringLiteral("r\u200Bm -rf") << "r<U+200B>m -rf";
    QTest::newRow("tag beyond the first plane") << QStringLiteral("a\U000E0041") << "a<U+E0041>";
    QTest::newRow("escape") << QStringLiteral("printf '\u001B[2J'") << "printf '<U+001B>[2J'";
    QTest::newRow("carriage return") << "ls\r\n"
                                     << "ls<U+000D>\n";
    QTest::newRow("lines and tabs stay") << "a\n\tb"
                                         << "a\n\tb";
    QTest::newRow("other scripts stay") << QStringLiteral("echo \u05E9\u05DC\u05D5\u05DD")
                                        << QStringLiteral("echo \u05E9\u05DC\u05D5\u05DD");
    QTest::newRow("emoji stays") << QStringLiteral("say \U0001F600")
                                 << QStringLiteral("say \U0001F600");
}

void ShownTextTest::hiddenCharactersAreWrittenOut()
{
    QFETCH(QString, text);
    QTEST(ShownText::withHiddenShown(text), "shown");
}

// The JSON views: what can't be seen, or would reorder what is around it, inside a string is an
// escape, and the text still reads as the same value.
void ShownTextTest::jsonShowsHiddenCharactersAsEscapes_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "Say Hello"
                           << "Say Hello";
    QTest::newRow("no-break space") << QStringLiteral("Say\u00A0Hello") << "Say\\u00a0Hello";
    QTest::newRow("narrow no-break space") << QStringLiteral("9\u202Fam") << "9\\u202fam";
    QTest::newRow("line separator") << QStringLiteral("ls\u2028x") << "ls\\u2028x";
    QTest::newRow("paragraph separator") << QStringLiteral("a\u2029b") << "a\\u2029b";
    QTest::newRow("override reads in stored order")
        << QStringLiteral("A\u202Eevil\u202CB") << "A\\u202eevil\\u202cB";
    QTest::newRow("isolate and mark")
        << QStringLiteral("\u2067a\u2069\u200F") << "\\u2067a\\u2069\\u200f";
    QTest::newRow("zero-width characters")
        << QStringLiteral("r\u200Bm\u200D\uFEFF") << "r\\u200bm\\u200d\\ufeff";
    QTest::newRow("soft hyphen") << QStringLiteral("a\u00ADb") << "a\\u00adb";
    QTest::newRow("delete and next line")
        << QStringLiteral("a\u007Fb\u0085c") << "a\\u007fb\\u0085c";
    QTest::newRow("tag beyond the first plane")
        << QStringLiteral("a\U000E0041") << "a\\udb40\\udc41";
    QTest::newRow("controls keep the writer's escapes")
        << QStringLiteral("a\u001B[0m\tb\r\n") << "a\\u001b[0m\\tb\\r\\n";
    QTest::newRow("quotes and backslashes")
        << QStringLiteral("say \"\u00A0\" \\\u00A0") << "say \\\"\\u00a0\\\" \\\\\\u00a0";
    QTest::newRow("other scripts and emoji stay")
        << QStringLiteral("\u05E9\u05DC\u05D5\u05DD \U0001F600")
        << QStringLiteral("\u05E9\u05DC\u05D5\u05DD \U0001F600");
}

void ShownTextTest::jsonShowsHiddenCharactersAsEscapes()
{
    QFETCH(QString, value);
    QFETCH(QString, shown);
    const QString json = QString::fromUtf8(
        QJsonDocument(QJsonObject{{value, value}}).toJson(QJsonDocument::Indented));
    const QString escaped = ShownText::jsonWithHiddenEscaped(json);
    QCOMPARE(escaped, QStringLiteral("{\n    \"%1\": \"%1\"\n}\n").arg(shown));
    QVERIFY(!ShownText::holdsHidden(escaped));
    QJsonParseError error;
    const QJsonDocument read = QJsonDocument::fromJson(escaped.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(read.object(), (QJsonObject{{value, value}}));
}

QTEST_APPLESS_MAIN(ShownTextTest)
#include "ShownTextTest.moc"
