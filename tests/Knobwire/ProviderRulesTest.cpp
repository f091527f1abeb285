#include "Knobwire/ProviderRules.h"

#include "Knobwire/Limits.h"
#include "Knobwire/Message.h"

#include <QTest>

#include <limits>

using namespace Knobwire;
using namespace Qt::StringLiterals;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
// Every line ends in one line feed, which the line limit does not count.
constexpr qsizetype lineFeed = 1;

Control level(std::optional<double> value, std::optional<QString> text = {},
              std::optional<bool> on = {})
{
    return Control(u"vol"_s, std::nullopt, Control::Kind::level, value, text, on);
}

Update::TextChange setText(const QString &text)
{
    Update::TextChange change;
    change.emplace(text);
    return change;
}

Update::TextChange clearedText()
{
    Update::TextChange change;
    change.emplace(std::nullopt);
    return change;
}

// `count` controls whose texts are as long as sanitising lets them be, made of `character`.
QList<Control> widestControls(qsizetype count, const QString &character)
{
    const auto filled = [&character](const QString &start, qsizetype scalars) {
        return start + character.repeated(scalars - start.size());
    };
    QList<Control> controls;
    for (qsizetype index = 0; index < count; ++index) {
        controls.append(Control(filled(QString::number(index), Limits::maxName),
                                filled({}, Limits::maxName), Control::Kind::button, 0.5,
                                filled({}, Limits::maxText), true, filled({}, Limits::maxName)));
    }
    return controls;
}

// One control whose line is exactly `size` bytes long without its line feed.
QList<Control> lineOfSize(qsizetype size)
{
    Control control(u"a"_s, std::nullopt, Control::Kind::button, {}, QString());
    const qsizetype frame = Message::controls({control}).encodeLine().size() - lineFeed;
    control.text = QString(size - frame, u'x');
    return {control};
}

} // namespace

class ProviderRulesTest : public QObject {
    Q_OBJECT

private slots:
    void keysMatch_data();
    void keysMatch();
    void limitedLevel_data();
    void limitedLevel();
    void meterLevels_data();
    void meterLevels();
    void outgoingUpdate_data();
    void outgoingUpdate();
    void controlsThatFit_data();
    void controlsThatFit();
};

void ProviderRulesTest::keysMatch_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("match");
    const QString key = u"0123456789abcdef0123456789abcdef"_s;
    QTest::newRow("same") << key << key << true;
    QTest::newRow("last byte differs") << key.chopped(1) + u"0"_s << key << false;
    QTest::newRow("first byte differs") << u"1"_s + key.mid(1) << key << false;
    QTest::newRow("shorter") << key.left(16) << key << false;
    QTest::newRow("longer") << key + u"0"_s << key << false;
    QTest::newRow("empty") << QString() << key << false;
    // Same number of characters, different number of UTF-8 bytes.
    QTest::newRow("non-ASCII") << u"é"_s + key.mid(1) << key << false;
}

void ProviderRulesTest::keysMatch()
{
    QFETCH(QString, given);
    QFETCH(QString, expected);
    QFETCH(bool, match);
    QCOMPARE(Knobwire::keysMatch(given, expected), match);
}

void ProviderRulesTest::limitedLevel_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("limited");
    QTest::newRow("above one") << 1.5 << 1.0;
    QTest::newRow("NaN") << notANumber << 0.0;
    QTest::newRow("infinity") << infinity << 0.0;
    QTest::newRow("negative") << -0.3 << 0.0;
    QTest::newRow("fine value unrounded") << 0.12345 << 0.12345;
    QTest::newRow("one") << 1.0 << 1.0;
}

void ProviderRulesTest::limitedLevel()
{
    QFETCH(double, value);
    QFETCH(double, limited);
    QCOMPARE(Knobwire::limitedLevel(value), limited);
}

void ProviderRulesTest::meterLevels_data()
{
    QTest::addColumn<QList<double>>("levels");
    QTest::addColumn<QList<double>>("sent");
    QTest::newRow("halves away from zero")
        << QList<double>{0.25, -0.25} << QList<double>{0.3, -0.3};
    QTest::newRow("third level dropped") << QList<double>{1, 2, 3} << QList<double>{1, 2};
    QTest::newRow("clamped") << QList<double>{30, -200} << QList<double>{24, -160};
    QTest::newRow("not finite") << QList<double>{infinity, notANumber} << QList<double>{-160, -160};
    QTest::newRow("mono") << QList<double>{-12.34} << QList<double>{-12.3};
}

void ProviderRulesTest::meterLevels()
{
    QFETCH(QList<double>, levels);
    QFETCH(QList<double>, sent);
    const QList<double> actual = Knobwire::meterLevels(levels);
    QCOMPARE(actual.size(), sent.size());
    for (qsizetype index = 0; index < sent.size(); ++index) {
        QCOMPARE(actual.at(index), sent.at(index));
    }
}

void ProviderRulesTest::outgoingUpdate_data()
{
    QTest::addColumn<Control>("before");
    QTest::addColumn<Control>("after");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<Update>("expected");
    const Update idOnly{.id = u"vol"_s};

    QTest::newRow("unchanged") << level(0.5, u"x"_s, true) << level(0.5, u"x"_s, true) << false
                               << idOnly;
    QTest::newRow("value changed")
        << level(0.5) << level(0.6) << false << Update{.id = u"vol"_s, .value = 0.6};
    QTest::newRow("value removed is not sent")
        << level(0.5) << level(std::nullopt) << false << idOnly;
    QTest::newRow("text set") << level(0.5) << level(0.5, u"loud"_s) << false
                              << Update{.id = u"vol"_s, .text = setText(u"loud"_s)};
    QTest::newRow("text cleared") << level(0.5, u"loud"_s) << level(0.5) << false
                                  << Update{.id = u"vol"_s, .text = clearedText()};
    QTest::newRow("on changed") << level(0.5, {}, false) << level(0.5, {}, true) << false
                                << Update{.id = u"vol"_s, .on = true};
    QTest::newRow("echo of unchanged control")
        << level(0.5, u"x"_s, true) << level(0.5, u"x"_s, true) << true
        << Update{.id = u"vol"_s, .value = 0.5, .text = setText(u"x"_s), .on = true};
    QTest::newRow("echo adds no clear for a control without text")
        << level(0.5) << level(0.5) << true << Update{.id = u"vol"_s, .value = 0.5};
    QTest::newRow("echo keeps the clear of a removed text")
        << level(0.5, u"x"_s) << level(0.5) << true
        << Update{.id = u"vol"_s, .value = 0.5, .text = clearedText()};
    QTest::newRow("echo of a bare control")
        << level(std::nullopt) << level(std::nullopt) << true << idOnly;
}

void ProviderRulesTest::outgoingUpdate()
{
    QFETCH(Control, before);
    QFETCH(Control, after);
    QFETCH(bool, echo);
    QFETCH(Update, expected);
    QCOMPARE(Knobwire::outgoingUpdate(before, after, echo), expected);
}

void ProviderRulesTest::controlsThatFit_data()
{
    QTest::addColumn<QList<Control>>("controls");
    QTest::addColumn<bool>("allFit");
    QTest::newRow("empty") << QList<Control>{} << true;
    QTest::newRow("a few") << widestControls(3, u"a"_s) << true;
    QTest::newRow("widest of plain letters") << widestControls(Limits::maxControls, u"a"_s) << true;
    // Escaped quotes take two bytes each, four-byte characters four.
    QTest::newRow("widest of quotes") << widestControls(Limits::maxControls, u"\""_s) << false;
    QTest::newRow("widest of four-byte characters")
        << widestControls(Limits::maxControls, u"\U0001F39A"_s) << false;
    QTest::newRow("exactly the line limit") << lineOfSize(Limits::maxLine) << true;
    QTest::newRow("one byte over the line limit") << lineOfSize(Limits::maxLine + 1) << false;
}

void ProviderRulesTest::controlsThatFit()
{
    QFETCH(QList<Control>, controls);
    QFETCH(bool, allFit);
    const auto lineSize = [&controls](qsizetype count) {
        return Message::controls(controls.first(count)).encodeLine().size() - lineFeed;
    };
    const qsizetype fitting = Knobwire::controlsThatFit(controls);
    QCOMPARE(fitting == controls.size(), allFit);
    QVERIFY(lineSize(fitting) <= Limits::maxLine);
    if (!allFit) {
        QVERIFY(lineSize(fitting + 1) > Limits::maxLine);
    }
}

QTEST_GUILESS_MAIN(ProviderRulesTest)
#include "ProviderRulesTest.moc"
