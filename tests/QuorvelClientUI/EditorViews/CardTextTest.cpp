#include "QuorvelClientUI/Views/Editor/AdvancedFields.h"
#include "QuorvelClientUI/Views/Editor/CardStateLine.h"
#include "QuorvelClientUI/Views/Editor/EditorScreenText.h"
#include "QuorvelClientUI/Views/Editor/TestResultText.h"

#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(Quorvel::ClientTestOutcome)
Q_DECLARE_METATYPE(Quorvel::TestResultText)
Q_DECLARE_METATYPE(Quorvel::EditableControl)
Q_DECLARE_METATYPE(std::optional<Quorvel::ControlState>)
Q_DECLARE_METATYPE(Quorvel::ClientConnectionStatus)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

Control control(ControlType type)
{
    Control made;
    made.id = QStringLiteral("a");
    made.title = QStringLiteral("A");
    made.type = type;
    return made;
}

ControlState live(std::optional<bool> isOn, std::optional<QString> detail = std::nullopt,
                  bool busy = false)
{
    ControlState state;
    state.id = QStringLiteral("a");
    state.isOn = isOn;
    state.detail = detail;
    state.isBusy = busy;
    return state;
}

EditableControl changed(EditableControl row)
{
    row.control.title = QStringLiteral("B");
    return row;
}

Action shell(std::optional<double> timeout)
{
    return Action{Action::Kind::shell, QStringLiteral("true"), timeout, std::nullopt, std::nullopt};
}

DiscoveredHost found(const QString &name)
{
    DiscoveredHost host;
    host.id = name;
    host.name = name;
    return host;
}

} // namespace

// The texts of the card and the editor's header and footer, and the card's advanced fields.
class CardTextTest : public QObject {
    Q_OBJECT

private slots:
    void testResult_data()
    {
        QTest::addColumn<ClientTestOutcome>("outcome");
        QTest::addColumn<TestResultText>("shown");
        const QString ok = QStringLiteral("checkmark.circle.fill");
        const QString bad = QStringLiteral("xmark.octagon.fill");
        QTest::newRow("ran with output")
            << ClientTestOutcome::action(true, QStringLiteral(" hi\n"))
            << TestResultText{ok, QStringLiteral(" hi\n"), StatusTone::green};
        QTest::newRow("ran silently")
            << ClientTestOutcome::action(true, QString())
            << TestResultText{ok, QStringLiteral("Done"), StatusTone::green};
        QTest::newRow("failed with output")
            << ClientTestOutcome::action(false, QStringLiteral("no such file"))
            << TestResultText{bad, QStringLiteral("no such file"), StatusTone::red};
        QTest::newRow("failed silently")
            << ClientTestOutcome::action(false, QString())
            << TestResultText{bad, QStringLiteral("It didn't work"), StatusTone::red};
        QTest::newRow("on with detail")
            << ClientTestOutcome::statusCheck(true, QStringLiteral("42%"))
            << TestResultText{QStringLiteral("circle.fill"), QStringLiteral("On: 42%"),
                              StatusTone::green};
        QTest::newRow("off") << ClientTestOutcome::statusCheck(false, QString())
                             << TestResultText{QStringLiteral("circle"), QStringLiteral("Off"),
                                               StatusTone::secondary};
        QTest::newRow("no reading, no detail")
            << ClientTestOutcome::statusCheck(std::nullopt, QString())
            << TestResultText{QStringLiteral("circle"), QString(), StatusTone::secondary};
        QTest::newRow("output with escapes and an override")
            << ClientTestOutcome::action(
                   true, QStringLiteral("\u001B[31mred\u001B[0m \u202Eevil\u202C done\n"))
            << TestResultText{
                   ok, QStringLiteral("<U+001B>[31mred<U+001B>[0m <U+202E>evil<U+202C> done\n"),
                   StatusTone::green};
        QTest::newRow("failure with a control character")
            << ClientTestOutcome::action(false, QStringLiteral("bad\u0007 input\r\n"))
            << TestResultText{bad, QStringLiteral("bad<U+0007> input<U+000D>\n"), StatusTone::red};
        QTest::newRow("check's detail with an override")
            << ClientTestOutcome::statusCheck(true, QStringLiteral("\u202E%24"))
            << TestResultText{QStringLiteral("circle.fill"), QStringLiteral("On: <U+202E>%24"),
                              StatusTone::green};
        QTest::newRow("no answer")
            << ClientTestOutcome::failed(QStringLiteral("No answer from the host."))
            << TestResultText{bad, QStringLiteral("No answer from the host."), StatusTone::red};
    }
    void testResult()
    {
        QFETCH(ClientTestOutcome, outcome);
        QFETCH(TestResultText, shown);
        QCOMPARE(TestResultText::of(outcome), shown);
    }

    void stateLine_data()
    {
        QTest::addColumn<EditableControl>("row");
        QTest::addColumn<std::optional<ControlState>>("state");
        QTest::addColumn<QString>("text");
        const EditableControl newSwitch = EditableControl::added(control(ControlType::toggle));
        const EditableControl loadedSwitch = EditableControl::loaded(control(ControlType::toggle));
        const EditableControl loadedButton = EditableControl::loaded(control(ControlType::button));
        const EditableControl loadedReadout = EditableControl::loaded(control(ControlType::metric));
        QTest::newRow("new even with a state")
            << newSwitch << std::optional(live(true)) << QStringLiteral("New, not saved");
        QTest::newRow("no state, unchanged")
            << loadedButton << std::optional<ControlState>() << QString();
        QTest::newRow("no state, changed") << changed(loadedButton) << std::optional<ControlState>()
                                           << QStringLiteral("Changed, not saved");
        QTest::newRow("busy") << changed(loadedButton)
                              << std::optional(live(std::nullopt, {}, true))
                              << QStringLiteral("Working\u2026");
        QTest::newRow("changed button with a state")
            << changed(loadedButton) << std::optional(live(std::nullopt))
            << QStringLiteral("Changed, not saved");
        QTest::newRow("switch on, changed")
            << changed(loadedSwitch) << std::optional(live(true)) << QStringLiteral("On now");
        QTest::newRow("switch off")
            << loadedSwitch << std::optional(live(false)) << QStringLiteral("Off now");
        QTest::newRow("switch unknown, changed")
            << changed(loadedSwitch) << std::optional(live(std::nullopt)) << QString();
        QTest::newRow("readout value")
            << loadedReadout << std::optional(live(std::nullopt, QStringLiteral("21 °C")))
            << QStringLiteral("21 °C");
        QTest::newRow("readout value with an escape")
            << loadedReadout << std::optional(live(std::nullopt, QStringLiteral("\u001B[1m21 °C")))
            << QStringLiteral("<U+001B>[1m21 °C");
    }
    void stateLine()
    {
        QFETCH(EditableControl, row);
        QFETCH(std::optional<ControlState>, state);
        QFETCH(QString, text);
        QCOMPARE(CardStateLine::text(row, state), text);
    }

    void giveUpTime()
    {
        Control toggle = control(ControlType::toggle);
        toggle.onAction = shell(20);
        toggle.offAction = shell(5);
        QCOMPARE(AdvancedFields::giveUpTime(toggle), std::optional<double>(20));
        AdvancedFields::setGiveUpTime(toggle, 30);
        QCOMPARE(toggle.onAction->timeout, std::optional<double>(30));
        QCOMPARE(toggle.offAction->timeout, std::optional<double>(30));
        QVERIFY(!toggle.action);
        AdvancedFields::setGiveUpTime(toggle, 0);
        QCOMPARE(AdvancedFields::giveUpTime(toggle), std::optional<double>());
        QCOMPARE(toggle.offAction->timeout, std::optional<double>());
    }

    void checkInterval()
    {
        Control readout = control(ControlType::metric);
        AdvancedFields::setCheckInterval(readout, 10);
        QVERIFY(!readout.statusCheck);
        readout.statusCheck = StatusCheck{StatusCheck::Kind::shellOutput, QStringLiteral("date"),
                                          std::nullopt, std::nullopt};
        AdvancedFields::setCheckInterval(readout, -3);
        QCOMPARE(AdvancedFields::checkInterval(readout), std::optional<double>(-3));
    }

    void subtitle_data()
    {
        QTest::addColumn<ClientConnectionStatus>("status");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QString>("text");
        const DiscoveredHost studio = found(QStringLiteral("Studio"));
        QTest::newRow("connecting") << ClientConnectionStatus::connecting(studio) << 3 << false
                                    << QStringLiteral("connecting to Studio\u2026");
        QTest::newRow("connected, one") << ClientConnectionStatus::connected(studio) << 1 << true
                                        << QStringLiteral("on Den \u00B7 1 action");
        QTest::newRow("connected, none, view only")
            << ClientConnectionStatus::connected(studio) << 0 << false
            << QStringLiteral("on Den \u00B7 0 actions \u00B7 view only");
        QTest::newRow("pairing") << ClientConnectionStatus::needsPairing(studio, std::nullopt) << 2
                                 << false << QStringLiteral("Studio needs pairing");
        QTest::newRow("failed") << ClientConnectionStatus::failed(QStringLiteral("Refused")) << 2
                                << false << QStringLiteral("not connected: Refused");
        QTest::newRow("idle") << ClientConnectionStatus::idle() << 2 << false
                              << QStringLiteral("not connected");
    }
    void subtitle()
    {
        QFETCH(ClientConnectionStatus, status);
        QFETCH(int, count);
        QFETCH(bool, editable);
        QFETCH(QString, text);
        QCOMPARE(EditorScreenText::subtitle(status, QStringLiteral("Den"), count, editable), text);
    }

    void summary_data()
    {
        QTest::addColumn<int>("unsaved");
        QTest::addColumn<int>("problems");
        QTest::addColumn<QStringList>("nameProblems");
        QTest::addColumn<bool>("hostChanged");
        QTest::addColumn<QString>("text");
        QTest::newRow("everything saved")
            << 0 << 0 << QStringList{} << false << QStringLiteral("Everything is saved on Den");
        QTest::newRow("all parts") << 3 << 1 << QStringList{"Give these actions a title."} << false
                                   << QStringLiteral("3 changes not saved \u00B7 1 needs attention "
                                                     "\u00B7 Give these actions a title.");
        QTest::newRow("singular and plural")
            << 1 << 2 << QStringList{} << false
            << QStringLiteral("1 change not saved \u00B7 2 need attention");
        // The host holds other actions than the copy shown: nothing there is "saved".
        QTest::newRow("host changed, nothing unsaved")
            << 0 << 0 << QStringList{} << true << QString();
        QTest::newRow("host changed, changes")
            << 2 << 0 << QStringList{} << true << QStringLiteral("2 changes not saved");
    }
    void summary()
    {
        QFETCH(int, unsaved);
        QFETCH(int, problems);
        QFETCH(QStringList, nameProblems);
        QFETCH(bool, hostChanged);
        QFETCH(QString, text);
        QCOMPARE(EditorScreenText::summary(unsaved, problems, nameProblems, QStringLiteral("Den"),
                                           hostChanged),
                 text);
    }
};

QTEST_GUILESS_MAIN(CardTextTest)
#include "CardTextTest.moc"
