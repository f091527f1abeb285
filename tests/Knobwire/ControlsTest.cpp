#include "Knobwire/Clip.h"
#include "Knobwire/Control.h"
#include "Knobwire/Limits.h"
#include "Knobwire/Sanitize.h"
#include "Knobwire/Update.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <limits>

using namespace Knobwire;
using namespace Qt::StringLiterals;

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void clipsText_data();
    void clipsText();
    void clipCountsScalarsNotUtf16Units();
    void normalizesValue_data();
    void normalizesValue();
    void kindPredicates_data();
    void kindPredicates();
    void readOnlyLevelCannotTurn();
    void sanitizeCleansEachField();
    void sanitizeKeepsFirstOfEqualIds();
    void sanitizeDropsEmptyIds();
    void sanitizeKeepsAtMostMaxControls();
    void sanitizeSetsMeterChannels_data();
    void sanitizeSetsMeterChannels();
    void applyTakesEachField();
    void rememberedDropsLiveState();
    void storedFormWritesRequiredMembers();
    void storedFormRoundTrips();
    void storedFormReading_data();
    void storedFormReading();
};

void ControlsTest::clipsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("clipped");

    QTest::newRow("tab between letters") << u"a\tb"_s << 256 << u"ab"_s;
    QTest::newRow("line breaks and delete") << u"a\r\nb\u007fc\u0085"_s << 256 << u"abc"_s;
    QTest::newRow("direction marks only")
        << u"\u200e\u200f\u061c\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069"_s << 256
        << QString();
    QTest::newRow("neighbours of the dropped ranges stay")
        << u"\u009f\u00a0\u061b\u061d\u200d\u2010\u2029\u202f\u2065\u206a"_s << 256
        << u"\u00a0\u061b\u061d\u200d\u2010\u2029\u202f\u2065\u206a"_s;
    QTest::newRow("spaces stay") << u"  a b  "_s << 256 << u"  a b  "_s;
    QTest::newRow("empty") << QString() << 256 << QString();
    QTest::newRow("300 letters to 256") << QString(300, u'x') << 256 << QString(256, u'x');
    QTest::newRow("dropped scalars do not count") << u"\tab\tc"_s << 2 << u"ab"_s;
    QTest::newRow("combining accent counts twice") << u"e\u0301e"_s << 2 << u"e\u0301"_s;
    QTest::newRow("half of a surrogate pair")
        << QString(QChar(0xD800)) + u"a"_s << 256 << u"\ufffda"_s;
}

void ControlsTest::clipsText()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QString, clipped);
    QCOMPARE(clip(text, limit), clipped);
}

void ControlsTest::clipCountsScalarsNotUtf16Units()
{
    // Each emoji is one scalar but two UTF-16 units.
    const QString emoji = u"\U0001F600"_s;
    QString text;
    for (int i = 0; i < 300; ++i) {
        text += emoji;
    }
    const QString clipped = clip(text, Limits::maxName);
    QCOMPARE(clipped.size(), 2 * Limits::maxName);
    QCOMPARE(clipped.toUcs4().size(), Limits::maxName);
}

void ControlsTest::normalizesValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("normalized");

    QTest::newRow("thousandths") << 0.12345 << 0.123;
    QTest::newRow("above one") << 1.7 << 1.0;
    QTest::newRow("negative") << -0.2 << 0.0;
    QTest::newRow("negative zero") << -0.0 << 0.0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    QTest::newRow("plus infinity") << std::numeric_limits<double>::infinity() << 0.0;
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << 0.0;
    QTest::newRow("half rounds up") << 0.0005 << 0.001;
    QTest::newRow("below half") << 0.0004 << 0.0;
    QTest::newRow("0.0025") << 0.0025 << 0.003;
    QTest::newRow("0.9995") << 0.9995 << 1.0;
}

void ControlsTest::normalizesValue()
{
    QFETCH(double, value);
    QFETCH(double, normalized);
    const double result = Control::normalizedValue(value);
    QCOMPARE(result, normalized);
    QVERIFY(!std::signbit(result));
}

void ControlsTest::kindPredicates_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("known");
    QTest::addColumn<bool>("pressable");
    QTest::addColumn<bool>("turnable");

    QTest::newRow("toggle") << u"toggle"_s << true << true << false;
    QTest::newRow("button") << u"button"_s << true << true << false;
    QTest::newRow("level") << u"level"_s << true << true << true;
    QTest::newRow("steps") << u"steps"_s << true << true << true;
    QTest::newRow("meter") << u"meter"_s << true << false << false;
    QTest::newRow("other text") << u"dial"_s << false << false << false;
    QTest::newRow("case matters") << u"Level"_s << false << false << false;
}

void ControlsTest::kindPredicates()
{
    QFETCH(QString, kind);
    QFETCH(bool, known);
    QFETCH(bool, pressable);
    QFETCH(bool, turnable);
    const Control::Kind value(kind);
    QCOMPARE(value.isKnown(), known);
    QCOMPARE(value.isPressable(), pressable);
    QCOMPARE(value.isTurnable(), turnable);
}

void ControlsTest::readOnlyLevelCannotTurn()
{
    Control level(u"volume"_s, std::nullopt, Control::Kind::level);
    QVERIFY(level.canTurn());
    level.readOnly = true;
    QVERIFY(level.kind.isTurnable());
    QVERIFY(level.kind.isPressable());
    QVERIFY(!level.canTurn());
    QCOMPARE(level.name, u"volume"_s);
    QCOMPARE(
        Control::Kind::known(),
        (QList<Control::Kind>{Control::Kind::level, Control::Kind::steps, Control::Kind::toggle,
                              Control::Kind::button, Control::Kind::meter}));
}

void ControlsTest::sanitizeCleansEachField()
{
    const Control dirty(u"\tvol\u202eume"_s, u"\u200e\u200f"_s, Control::Kind(u"dial\n"_s), 0.12345,
                        QString(2000, u'a'), true, u"mix\ter"_s, 2, true);
    const QList<Control> clean = sanitize({dirty});
    QCOMPARE(clean.size(), 1);
    const Control expected(u"volume"_s, u"volume"_s, Control::Kind(u"dial"_s), 0.123,
                           QString(Limits::maxText, u'a'), true, u"mixer"_s, std::nullopt, true);
    QCOMPARE(clean.first(), expected);
    QVERIFY(!clean.first().kind.isKnown());
}

void ControlsTest::sanitizeKeepsFirstOfEqualIds()
{
    const QList<Control> clean = sanitize({Control(u"a\t"_s, u"first"_s, Control::Kind::button),
                                           Control(u"b"_s, std::nullopt, Control::Kind::toggle),
                                           Control(u"a"_s, u"second"_s, Control::Kind::level)});
    QCOMPARE(clean.size(), 2);
    QCOMPARE(clean.at(0).id, u"a"_s);
    QCOMPARE(clean.at(0).name, u"first"_s);
    QCOMPARE(clean.at(1).id, u"b"_s);
}

void ControlsTest::sanitizeDropsEmptyIds()
{
    const QList<Control> clean = sanitize({Control(QString(), u"x"_s, Control::Kind::button),
                                           Control(u"\r\n"_s, u"y"_s, Control::Kind::button),
                                           Control(u"z"_s, QString(), Control::Kind::button)});
    QCOMPARE(clean.size(), 1);
    QCOMPARE(clean.first().name, u"z"_s);
    QCOMPARE(clean.first().text, std::nullopt);
}

void ControlsTest::sanitizeKeepsAtMostMaxControls()
{
    QList<Control> many;
    for (int i = 0; i < 600; ++i) {
        many.append(Control(QString::number(i), std::nullopt, Control::Kind::button));
    }
    const QList<Control> clean = sanitize(many);
    QCOMPARE(clean.size(), Limits::maxControls);
    QCOMPARE(clean.last().id, QString::number(Limits::maxControls - 1));
}

void ControlsTest::sanitizeSetsMeterChannels_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<std::optional<int>>("channels");
    QTest::addColumn<std::optional<int>>("sanitized");

    QTest::newRow("stereo meter") << u"meter"_s << std::optional(2) << std::optional(2);
    QTest::newRow("three channels") << u"meter"_s << std::optional(3) << std::optional(1);
    QTest::newRow("zero channels") << u"meter"_s << std::optional(0) << std::optional(1);
    QTest::newRow("no channels") << u"meter"_s << std::optional<int>() << std::optional(1);
    QTest::newRow("toggle loses channels")
        << u"toggle"_s << std::optional(2) << std::optional<int>();
}

void ControlsTest::sanitizeSetsMeterChannels()
{
    QFETCH(QString, kind);
    QFETCH(std::optional<int>, channels);
    QFETCH(std::optional<int>, sanitized);
    Control control(u"m"_s, std::nullopt, Control::Kind(kind));
    control.channels = channels;
    QCOMPARE(sanitize({control}).first().channels, sanitized);
}

void ControlsTest::applyTakesEachField()
{
    Control control(u"t"_s, u"Torch"_s, Control::Kind::toggle, std::nullopt, u"old"_s);
    control.apply(Update{u"t"_s, 0.4567, std::nullopt, std::nullopt, std::nullopt});
    QCOMPARE(control.value, 0.457);
    QCOMPARE(control.text, u"old"_s);

    control.apply(
        Update{u"t"_s, std::nullopt, std::optional<QString>(u"new\ttext"_s), true, u"\u200e"_s});
    QCOMPARE(control.text, u"newtext"_s);
    QCOMPARE(control.on, true);
    QCOMPARE(control.name, u"Torch"_s);

    control.apply(Update{u"t"_s, std::nullopt, std::optional<QString>(), std::nullopt, u"Lamp"_s});
    QCOMPARE(control.text, std::nullopt);
    QCOMPARE(control.name, u"Lamp"_s);
    QCOMPARE(control.kind, Control::Kind::toggle);
}

void ControlsTest::rememberedDropsLiveState()
{
    const Control live(u"m"_s, u"Meter"_s, Control::Kind::meter, 0.5, u"loud"_s, true, u"g"_s, 2,
                       true);
    const Control expected(u"m"_s, u"Meter"_s, Control::Kind::meter, std::nullopt, std::nullopt,
                           std::nullopt, u"g"_s, 2, true);
    QCOMPARE(live.remembered(), expected);
}

void ControlsTest::storedFormWritesRequiredMembers()
{
    const QJsonObject stored = Control(u"b"_s, std::nullopt, Control::Kind::button).toJson();
    QCOMPARE(stored, (QJsonObject{{u"id"_s, u"b"_s},
                                  {u"name"_s, u"b"_s},
                                  {u"kind"_s, u"button"_s},
                                  {u"readOnly"_s, false}}));
}

void ControlsTest::storedFormRoundTrips()
{
    const Control control(u"m"_s, u"Meter"_s, Control::Kind::meter, 0.25, u"t/x"_s, false, u"g"_s,
                          2, true);
    QCOMPARE(Control::fromJson(control.toJson()), control);
}

void ControlsTest::storedFormReading_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<std::optional<Control>>("control");

    QTest::newRow("kind missing is a button")
        << R"({"id":"b","name":"B","readOnly":false})"_ba
        << std::optional(Control(u"b"_s, u"B"_s, Control::Kind::button));
    QTest::newRow("null name and kind")
        << R"({"id":"b","name":null,"kind":null})"_ba
        << std::optional(Control(u"b"_s, std::nullopt, Control::Kind::button));
    QTest::newRow("lenient members of the wrong type")
        << R"({"id":"l","kind":"level","value":"1","text":2,"on":1,"group":[],"channels":2.5,"readOnly":"yes"})"_ba
        << std::optional(Control(u"l"_s, std::nullopt, Control::Kind::level));
    QTest::newRow("id not a text") << R"({"id":5,"kind":"button"})"_ba << std::optional<Control>();
    QTest::newRow("id missing") << R"({"kind":"button"})"_ba << std::optional<Control>();
    QTest::newRow("name of the wrong type")
        << R"({"id":"b","name":1})"_ba << std::optional<Control>();
    QTest::newRow("kind of the wrong type")
        << R"({"id":"b","kind":true})"_ba << std::optional<Control>();
}

void ControlsTest::storedFormReading()
{
    QFETCH(QByteArray, json);
    QFETCH(std::optional<Control>, control);
    QCOMPARE(Control::fromJson(QJsonDocument::fromJson(json).object()), control);
}

QTEST_GUILESS_MAIN(ControlsTest)
#include "ControlsTest.moc"
