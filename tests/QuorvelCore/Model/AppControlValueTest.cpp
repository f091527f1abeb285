#include "QuorvelCore/Model/AppControlValue.h"
#include "QuorvelCore/Model/Action.h"
#include "QuorvelCore/Model/NumberText.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace Quorvel;

Q_DECLARE_METATYPE(std::optional<Quorvel::AppControlValue>)

namespace QTest {
template<> char *toString(const std::optional<Quorvel::AppControlValue> &value)
{
    return qstrdup(value ? qPrintable(value->text()) : "none");
}
} // namespace QTest

class AppControlValueTest : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<AppControlValue>>("expected");
        const std::optional<AppControlValue> none;
        QTest::newRow("on") << "on" << std::optional(AppControlValue::on());
        QTest::newRow("off") << "off" << std::optional(AppControlValue::off());
        QTest::newRow("press") << "press" << std::optional(AppControlValue::press());
        QTest::newRow("ON") << "ON" << none;
        QTest::newRow("space before on") << " on" << none;
        QTest::newRow("0") << "0" << std::optional(AppControlValue::level(0.0));
        QTest::newRow("1") << "1" << std::optional(AppControlValue::level(1.0));
        QTest::newRow("-0") << "-0" << std::optional(AppControlValue::level(-0.0));
        QTest::newRow(".5") << ".5" << std::optional(AppControlValue::level(0.5));
        QTest::newRow("5e-1") << "5e-1" << std::optional(AppControlValue::level(0.5));
        QTest::newRow("+0.25") << "+0.25" << std::optional(AppControlValue::level(0.25));
        QTest::newRow("hexadecimal") << "0x0.8p0" << std::optional(AppControlValue::level(0.5));
        QTest::newRow("just above 1") << "1.0000001" << none;
        QTest::newRow("1.5") << "1.5" << none;
        QTest::newRow("50") << "50" << none;
        QTest::newRow("-1") << "-1" << none;
        QTest::newRow("nan") << "nan" << none;
        QTest::newRow("NaN") << "NaN" << none;
        QTest::newRow("inf") << "inf" << none;
        QTest::newRow("overflow") << "1e400" << none;
        QTest::newRow("trailing space") << "0.5 " << none;
        QTest::newRow("leading space") << " 0.5" << none;
        QTest::newRow("leading tab") << "\t0.5" << none;
        QTest::newRow("percent") << "50%" << none;
        QTest::newRow("decimal comma") << "0,5" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("embedded NUL") << QString::fromLatin1("0.5\0", 4) << none;
    }

    void parses()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<AppControlValue>, expected);
        QCOMPARE(AppControlValue::fromString(text), expected);
    }

    void writesTheShortestRoundTripText_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0.0 << "0.0";
        QTest::newRow("-0") << -0.0 << "-0.0";
        QTest::newRow("1") << 1.0 << "1.0";
        QTest::newRow("quarter") << 0.25 << "0.25";
        QTest::newRow("half") << 0.5 << "0.5";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("0.0001") << 0.0001 << "0.0001";
        QTest::newRow("1e-05") << 1e-05 << "1e-05";
        QTest::newRow("2.5e-05") << 2.5e-05 << "2.5e-05";
        QTest::newRow("smallest subnormal")
            << std::numeric_limits<double>::denorm_min() << "5e-324";
        QTest::newRow("one third") << 1.0 / 3.0 << "0.3333333333333333";
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("large") << 1e16 << "1e+16";
        QTest::newRow("below 1e16") << 123456789012345.0 << "123456789012345.0";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan";
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << "-inf";
    }

    void writesTheShortestRoundTripText()
    {
        QFETCH(double, level);
        QFETCH(QString, text);
        QCOMPARE(AppControlValue::level(level).text(), text);
        if (std::isfinite(level)) {
            const std::optional<double> back = parseNumberText(text);
            QVERIFY(back);
            QCOMPARE(std::signbit(*back), std::signbit(level));
            QVERIFY(*back == level);
        }
    }

    void comparesLevelsNumerically()
    {
        QCOMPARE(AppControlValue::level(0.0), AppControlValue::level(-0.0));
        QVERIFY(!(AppControlValue::level(0.5) == AppControlValue::level(0.25)));
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(!(AppControlValue::level(nan) == AppControlValue::level(nan)));
        QVERIFY(!(AppControlValue::on() == AppControlValue::off()));
        QVERIFY(!(AppControlValue::press() == AppControlValue::level(0.0)));
    }

    void buildsAppControlActions_data()
    {
        QTest::addColumn<AppControlValue>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << AppControlValue::level(0.5) << "0.5";
        QTest::newRow("full") << AppControlValue::level(1.0) << "1.0";
        QTest::newRow("press") << AppControlValue::press() << "press";
    }

    void buildsAppControlActions()
    {
        QFETCH(AppControlValue, value);
        QFETCH(QString, text);
        const Action action =
            Action::appControl(QStringLiteral("org.example.Mixer"), QStringLiteral("mute"), value);
        QCOMPARE(action.type, Action::Kind::appControl);
        QCOMPARE(action.target, QStringLiteral("org.example.Mixer"));
        QCOMPARE(action.control, std::optional<QString>("mute"));
        QCOMPARE(action.value, std::optional(text));
        QVERIFY(!action.toJson().contains(QStringLiteral("timeout")));
        QCOMPARE(AppControlValue::fromString(*action.value), std::optional(value));
    }
};

QTEST_GUILESS_MAIN(AppControlValueTest)
#include "AppControlValueTest.moc"
