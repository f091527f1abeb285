#include "QuorvelHostKit/Service/RunChoice.h"

#include <QTest>

using namespace Quorvel;

namespace {

Action shell(const QString &command)
{
    return Action{Action::Kind::shell, command, std::nullopt, std::nullopt, std::nullopt};
}

Control control(ControlType type, bool withOffAction = true)
{
    Control made;
    made.id = QStringLiteral("c");
    made.title = QStringLiteral("C");
    made.type = type;
    made.action = shell(QStringLiteral("press"));
    made.onAction = shell(QStringLiteral("on"));
    if (withOffAction) {
        made.offAction = shell(QStringLiteral("off"));
    }
    return made;
}

// -1 for none, else 0 or 1: data tables hold plain values.
std::optional<bool> fromInt(int value)
{
    return value < 0 ? std::nullopt : std::optional(value == 1);
}

} // namespace

class RunChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
};

void RunChoiceTest::choose_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("withOffAction");
    QTest::addColumn<int>("desired");
    QTest::addColumn<int>("freshIsOn");
    QTest::addColumn<QString>("runs");
    QTest::addColumn<int>("wanted");

    const int button = int(ControlType::button);
    const int toggle = int(ControlType::toggle);
    const int metric = int(ControlType::metric);
    QTest::newRow("button") << button << true << -1 << -1 << "press" << -1;
    QTest::newRow("button ignores a state asked for") << button << true << 0 << 1 << "press" << -1;
    QTest::newRow("switch of unknown state turns on") << toggle << true << -1 << -1 << "on" << 1;
    QTest::newRow("switch that is off turns on") << toggle << true << -1 << 0 << "on" << 1;
    QTest::newRow("switch that is on turns off") << toggle << true << -1 << 1 << "off" << 0;
    QTest::newRow("off asked while off") << toggle << true << 0 << 0 << "off" << 0;
    QTest::newRow("on asked while on") << toggle << true << 1 << 1 << "on" << 1;
    QTest::newRow("off asked without off action") << toggle << false << 0 << 1 << "" << 0;
    QTest::newRow("readout") << metric << true << 1 << 1 << "" << -1;
}

void RunChoiceTest::choose()
{
    QFETCH(int, type);
    QFETCH(bool, withOffAction);
    QFETCH(int, desired);
    QFETCH(int, freshIsOn);
    QFETCH(QString, runs);
    QFETCH(int, wanted);

    const RunChoice choice = RunChoice::choose(control(ControlType(type), withOffAction),
                                               fromInt(desired), fromInt(freshIsOn));
    const std::optional<Action> expected =
        runs.isEmpty() ? std::nullopt : std::optional(shell(runs));
    QCOMPARE(choice.action, expected);
    QCOMPARE(choice.wanted, fromInt(wanted));
}

QTEST_GUILESS_MAIN(RunChoiceTest)
#include "RunChoiceTest.moc"
