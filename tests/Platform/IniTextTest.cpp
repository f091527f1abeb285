#include "Platform/Files/IniText.h"

#include <QDateTime>
#include <QFile>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QUrl>

using namespace Quorvel;

namespace {

QString quoted(const QString &text)
{
    QString quoted;
    QDebug(&quoted) << text;
    return quoted;
}

// A value spelt out in full: texts tell whether they are null, which QVariant's == overlooks but
// a caller's isNull() and the text written back do not.
QString spell(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString) {
        const QString text = value.toString();
        return text.isNull() ? QStringLiteral("null text") : QStringLiteral("text ") + quoted(text);
    }
    if (value.metaType().id() == QMetaType::QStringList) {
        QStringList items;
        for (const QString &item : value.toStringList())
            items.append(spell(QVariant(item)));
        return QStringLiteral("texts (") + items.join(QStringLiteral(", ")) + u')';
    }
    if (value.metaType().id() == QMetaType::QVariantList) {
        QStringList items;
        for (const QVariant &item : value.toList())
            items.append(spell(item));
        return QStringLiteral("values (") + items.join(QStringLiteral(", ")) + u')';
    }
    QString text;
    QDebug(&text) << value;
    return text;
}

QString describe(const QVariantMap &settings)
{
    QStringList lines;
    for (auto setting = settings.cbegin(); setting != settings.cend(); ++setting) {
        lines.append(quoted(setting.key()) + QStringLiteral(": ") + spell(setting.value()));
    }
    return lines.join(QStringLiteral("; "));
}

QVariantMap one(const QString &key, const QVariant &value)
{
    return {{key, value}};
}

} // namespace

// The settings file's text against Qt's own INI format, both ways: Qt writes the same bytes for
// the same settings, each reader reads the other's file as the other does, and files written by
// hand or by a script read the same through both readers.
class IniTextTest : public QObject {
    Q_OBJECT

private slots:
    void writesWhatQtWrites_data()
    {
        QTest::addColumn<QVariantMap>("settings");
        const QDateTime utc(QDate(2026, 12, 11), QTime(5, 59, 21), QTimeZone::utc());
        QByteArray everyByte;
        for (int byte = 0; byte < 256; ++byte)
            everyByte += char(byte);

        QTest::newRow("true") << one("allowRemoteDeckEditing", true);
        QTest::newRow("false") << one("keepAwake", false);
        QTest::newRow("number") << one("count", 42);
        QTest::newRow("negative") << one("count", -7);
        QTest::newRow("long") << one("count", Q_INT64_C(-9007199254740993));
        QTest::newRow("unsigned long") << one("count", Q_UINT64_C(18446744073709551615));
        QTest::newRow("fraction") << one("ratio", 0.1);
        QTest::newRow("large") << one("ratio", 1e300);
        QTest::newRow("float") << one("ratio", 1.5f);
        QTest::newRow("text") << one("lastHostName", "Studio Mac");
        QTest::newRow("empty text") << one("name", "");
        QTest::newRow("null text") << one("name", QString());
        QTest::newRow("spaces around") << one("name", "  padded  ");
        QTest::newRow("quotes") << one("name", "say \"hi\" 'now'");
        QTest::newRow("commas") << one("name", "a, b,c");
        QTest::newRow("semicolon") << one("name", "one; two");
        QTest::newRow("equals") << one("name", "x=y");
        QTest::newRow("backslashes") << one("name", "C:\\path\\to\\");
        QTest::newRow("escape lookalike") << one("name", "\\x41 \\n \\101");
        QTest::newRow("line ends") << one("name", "one\ntwo\r\nthree\r");
        QTest::newRow("tabs and controls") << one("name", "\ta\tb\x01\x1f\x7f\a\b\f\v");
        QTest::newRow("NUL") << one("name", QString::fromUtf8("nul\0face", 8));
        QTest::newRow("NUL then digits") << one("name", QString::fromUtf8("a\0"
                                                                          "09AZaz",
                                                                          8));
        QTest::newRow("control then hex") << one("name", "\x01"
                                                         "beef");
        QTest::newRow("non-ASCII") << one("name", QString::fromUtf8("Jürgen’s Mac – 日本語"));
        QTest::newRow("outside the BMP") << one("name", QString::fromUtf8("deck 😀 🎛"));
        QTest::newRow("Latin-1 range") << one("name", QString::fromUtf8("\u00a0\u00ff\u0080"));
        QTest::newRow("leading @") << one("name", "@home");
        QTest::newRow("leading @@") << one("name", "@@home");
        QTest::newRow("byte array lookalike") << one("name", "@ByteArray(not bytes)");
        QTest::newRow("variant lookalike") << one("name", "@Variant(\x01\x02)");
        // U+FEFF in the middle of a value is a character like any other; only a byte order mark
        // at the very start of a value is dropped.
        QTest::newRow("U+FEFF after an escape")
            << one("name", QString::fromUtf8("say \"\uFEFFhi\" a\\\uFEFFb\n\uFEFFc\t\uFEFF"));
        QTest::newRow("U+FEFF first") << one("name", QString::fromUtf8("\uFEFFfirst"));
        QTest::newRow("U+FEFF starting list items")
            << one("apps", QStringList{"x", QString::fromUtf8("\uFEFFy"),
                                       QString::fromUtf8("\uFEFF"), QString::fromUtf8("q\uFEFF")});
        QTest::newRow("U+FEFF starting the first list item")
            << one("apps", QStringList{QString::fromUtf8("\uFEFFx"), "y"});
        QTest::newRow("trailing backslash") << one("name", "end\\");
        QTest::newRow("trailing tab") << one("name", "end\t");
        QTest::newRow("JSON") << one("knobwireProviders",
                                     "[{\"id\":\"a\\/b\",\"name\":\"Deck, \\\"one\\\"\",\"n\":1}]");
        QTest::newRow("bytes") << one("lastDeck", QByteArray("{\"title\": \"Desk\"}"));
        QTest::newRow("no bytes") << one("lastDeck", QByteArray());
        QTest::newRow("every byte") << one("geometry", everyByte);
        QTest::newRow("bytes with commas and spaces")
            << one("geometry", QByteArray(" a, b; c=d \" "));
        QTest::newRow("empty list") << one("apps", QStringList());
        QTest::newRow("list of one") << one("apps", QStringList{"com.example.one"});
        QTest::newRow("list of one empty") << one("apps", QStringList{""});
        QTest::newRow("list") << one("apps", QStringList{"a", "b", "c"});
        QTest::newRow("list of odd texts")
            << one("apps", QStringList{"a, b", "\"q\"", " s ", "@x", "@@y", "", "x;y", "é"});
        QTest::newRow("list of empties") << one("apps", QStringList{"", ""});
        QTest::newRow("values") << one("mixed", QVariantList{1, "two", true, QByteArray("3")});
        QTest::newRow("values of one") << one("mixed", QVariantList{5});
        QTest::newRow("date-time") << one("lastHandover", utc);
        QTest::newRow("local date-time")
            << one("lastHandover", QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 6)));
        QTest::newRow("offset date-time") << one(
            "lastHandover", QDateTime(QDate(2026, 6, 1), QTime(12, 0), QTimeZone(5 * 3600 + 1800)));
        QTest::newRow("no date-time") << one("lastHandover", QDateTime());
        QTest::newRow("date") << one("day", QDate(2026, 12, 11));
        QTest::newRow("map") << one("map", QVariantMap{{"a", 1}, {"b", "two"}});
        QTest::newRow("link") << one("link", QUrl("quorvel://run?id=a%20b"));
        QTest::newRow("rectangle") << one("frame", QRect(-1, 2, 300, 400));
        QTest::newRow("size") << one("frame", QSize(300, 400));
        QTest::newRow("point") << one("frame", QPoint(-5, 6));
        QTest::newRow("invalid") << one("nothing", QVariant());
        QTest::newRow("key with space") << one("with space", 1);
        QTest::newRow("key with =") << one("a=b", 1);
        QTest::newRow("key with ;") << one("a;b", 1);
        QTest::newRow("key with %") << one("100%", 1);
        QTest::newRow("key with backslash") << one("a\\b", 1);
        QTest::newRow("key with brackets") << one("[x]", 1);
        QTest::newRow("key non-ASCII") << one(QString::fromUtf8("größe 日本 😀"), 1);
        QTest::newRow("key capitals") << one("QuorvelSettings.geometry", 1);
        QTest::newRow("group") << one("windows/geometry", 1);
        QTest::newRow("groups in the key")
            << one("windows/QuorvelDeckEditor/geometry", QByteArray("\x01\xd9\xd0\xcb"));
        QTest::newRow("group named General") << one("General/x", 1);
        QTest::newRow("group named general") << one("general/x", 1);
        QTest::newRow("group with odd name") << one(QString::fromUtf8("a b=ü;/x"), 1);
        QTest::newRow("several groups")
            << QVariantMap{{"allowRemoteDeckEditing", true},
                           {"hosting", "true"},
                           {"lastDeck", QByteArray("{}")},
                           {"linkApprovals/apps", QStringList{"a", "b"}},
                           {"linkApprovals/when", utc},
                           {"windows/a/geometry", QByteArray("xy")},
                           {"windows/b/geometry", QByteArray("zw")},
                           {"zeta/x", 1}};
    }

    void writesWhatQtWrites()
    {
        QFETCH(QVariantMap, settings);
        const QByteArray ours = IniText::write(settings);
        const QByteArray qts = writeWithQt(settings);
        QCOMPARE(ours, qts);
        const QVariantMap readByQt = readWithQt(qts);
        const QVariantMap readHere = IniText::read(qts);
        QVERIFY2(readHere == readByQt && describe(readHere) == describe(readByQt),
                 qPrintable(describe(readHere) + QStringLiteral(" != ") + describe(readByQt)));
        QVERIFY(readWithQt(ours) == readByQt);
    }

    void readsWhatQtReads_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("keys before any group") << QByteArray("a=1\nb=two\n");
        QTest::newRow("comments") << QByteArray("; first\n[General]\n;k=no\nk=v ; after\nm=w;x\n");
        QTest::newRow("spaces") << QByteArray("  key   =   spaced value   \t\n");
        QTest::newRow("quoted parts") << QByteArray("k=\"a;b\" , \" c \" ,d\n");
        QTest::newRow("quotes across lines") << QByteArray("k=\"line one\nline two\"\nm=1\n");
        QTest::newRow("continued line") << QByteArray("k=abc\\\ndef\nm=x\\\r\ny\n");
        QTest::newRow("CRLF") << QByteArray("[General]\r\na=1\r\n\r\n[g]\r\nb=2\r\n");
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[General]\na=1\n");
        QTest::newRow("byte order mark, then a blank") << QByteArray("\xEF\xBB\xBF k=1\n");
        QTest::newRow("byte order mark, then a tab") << QByteArray("\xEF\xBB\xBF\tk=1\n");
        QTest::newRow("byte order mark twice") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFk=1\n");
        QTest::newRow("byte order mark, then a line end") << QByteArray("\xEF\xBB\xBF\nk=1\n");
        QTest::newRow("byte order mark, blanks, a group") << QByteArray("\xEF\xBB\xBF  [g]\nk=1\n");
        QTest::newRow("byte order mark, then a comment") << QByteArray("\xEF\xBB\xBF;note\nk=1\n");
        QTest::newRow("byte order marks in keys") << QByteArray("a\\\xEF\xBB\xBF"
                                                                "b=1\nc%41\xEF\xBB\xBF"
                                                                "d=2\n\xEF\xBB\xBF"
                                                                "e=3\n");
        QTest::newRow("group given twice") << QByteArray("[a]\nx=1\n[b]\ny=2\n[a]\nz=3\nx=4\n");
        QTest::newRow("key given twice") << QByteArray("k=1\nk=2\n");
        QTest::newRow("same key through two groups")
            << QByteArray("[General]\na\\b=top\n[a]\nb=group\n");
        QTest::newRow("group without ]") << QByteArray("[open\nk=v\n");
        QTest::newRow("group with more after ]") << QByteArray("[g] x=1\nk=v\n");
        QTest::newRow("General in any case") << QByteArray("[GENERAL]\na=1\n[general]\nb=2\n");
        QTest::newRow("%General") << QByteArray("[%General]\na=1\n[%general]\nb=2\n");
        QTest::newRow("escaped group") << QByteArray("[a%20b\\c]\nk=v\n[%U65E5]\nm=1\n");
        QTest::newRow("spaces in the group") << QByteArray("[  g  ]\nk=v\n");
        QTest::newRow("line without =") << QByteArray("junk\nk=v\n");
        QTest::newRow("escapes") << QByteArray("k=\\x41\\101\\?\\'\\q\\x\\\"\\\\\\a\\0\n");
        QTest::newRow("hex escape at the end") << QByteArray("k=ab \\x20");
        QTest::newRow("octal escape at the end") << QByteArray("k=ab \\40");
        QTest::newRow("backslash at the end") << QByteArray("k=ab  \\");
        QTest::newRow("x at the end") << QByteArray("k=ab  \\x");
        QTest::newRow("long hex escape") << QByteArray("k=\\x1234567 z\n");
        QTest::newRow("spaces after an escape") << QByteArray("k=a\\t  \nm=\\x41  \n");
        QTest::newRow("byte order marks after escapes")
            << QByteArray("k=say \\\"\xEF\xBB\xBFhi\\\"\nm=a\\\\\xEF\xBB\xBF\nn=\\n\xEF\xBB\xBFx\n"
                          "t=\\t\xEF\xBB\xBF\nh=\\x41\xEF\xBB\xBF\no=\\101\xEF\xBB\xBF\n");
        QTest::newRow("byte order marks starting list items")
            << QByteArray("k=x, \xEF\xBB\xBFy\nm=\xEF\xBB\xBF"
                          "a,\xEF\xBB\xBF b, \xEF\xBB\xBF\n"
                          "n=,\xEF\xBB\xBFz\n");
        QTest::newRow("byte order marks after quotes")
            << QByteArray("k=\"\xEF\xBB\xBFq\"\nm=a\"\xEF\xBB\xBFq\"\nn=\"\"\xEF\xBB\xBFr\n");
        QTest::newRow("byte order mark first")
            << QByteArray("k=\xEF\xBB\xBFhi\nm=  \xEF\xBB\xBF  x\nn=\xEF\xBB\xBF\xEF\xBB\xBFtwo\n");
        QTest::newRow("UTF-8 split by an escape")
            << QByteArray("k=\xC3\\n\xA9\nm=\xE2\x82\\t\xAC\n");
        QTest::newRow("UTF-8 split by a comma") << QByteArray("k=\xC3,\xA9\nm=\xC3\"\xA9\"\n");
        QTest::newRow("UTF-8 cut short") << QByteArray("k=ab\xC3\nm=\xE2\x82\nn=\xFF\x80x\n");
        QTest::newRow("empty value") << QByteArray("k=\nm=\"\"\n");
        QTest::newRow("empty value at the end") << QByteArray("k=");
        QTest::newRow("empty values after escapes")
            << QByteArray("k=\\x\nm=\\\r\nn=\\q\no=\\\n\np=  \\\n");
        QTest::newRow("empty value, then CR") << QByteArray("k=\r");
        QTest::newRow("empty list items") << QByteArray("k=,\nm=a,\nn=,b\no=, ,\n");
        QTest::newRow("empty items made otherwise")
            << QByteArray("k=\"\",\"\"\nm=a,\\q  \nn=@String()\no=\\q,a\np=a,\\\n");
        QTest::newRow("lists") << QByteArray("k=a,b,,c\nm=  ,  \nn=\"x\" y, z\n");
        QTest::newRow("UTF-8 key") << QByteArray("größe=1\n日本=2\n");
        QTest::newRow("key escapes")
            << QByteArray("%U65E5=1\n%zz=2\n%4=3\na%=4\n%U12=5\n%41%u0042=6\n%0x1=7\n");
        QTest::newRow("typed values")
            << QByteArray("a=@Invalid()\nb=@Rect(1 2 3)\nc=@Size(1)2)\nd=@Point(1 2)\n"
                          "e=@String(a)\nf=@ByteArray(abc)\ng=@@x\nh=@x, @@y\ni=@@x, y\n"
                          "j=@Rect(1 2 3 4)\nk=@Other(1)\nl=@\n");
        QTest::newRow("broken streams") << QByteArray("v=@Variant(junk)\nd=@DateTime()\n");
        QTest::newRow("setting added by the shell line")
            << QByteArray("[General]\nlastHostName=Studio\n\n[windows]\ng=1\n[General]\n"
                          "allowRemoteDeckEditing=true\n");
    }

    void readsWhatQtReads()
    {
        QFETCH(QByteArray, text);
        const QVariantMap readByQt = readWithQt(text);
        const QVariantMap readHere = IniText::read(text);
        QVERIFY2(readHere == readByQt && describe(readHere) == describe(readByQt),
                 qPrintable(describe(readHere) + QStringLiteral(" != ") + describe(readByQt)));
    }

private:
    // A new file each time: Qt keeps what it read of a file for the next settings on that path.
    QString newPath() { return m_folder.filePath(QStringLiteral("%1.ini").arg(++m_files)); }

    QByteArray writeWithQt(const QVariantMap &settings)
    {
        const QString path = newPath();
        {
            QSettings qt(path, QSettings::IniFormat);
            for (auto setting = settings.cbegin(); setting != settings.cend(); ++setting)
                qt.setValue(setting.key(), setting.value());
        }
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QVariantMap readWithQt(const QByteArray &text)
    {
        const QString path = newPath();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return {{"(unwritable)", path}};
        file.close();
        const QSettings qt(path, QSettings::IniFormat);
        QVariantMap settings;
        for (const QString &key : qt.allKeys())
            settings.insert(key, qt.value(key));
        return settings;
    }

    QTemporaryDir m_folder;
    int m_files = 0;
};

QTEST_GUILESS_MAIN(IniTextTest)
#include "IniTextTest.moc"
