#include "EditorTestSupport.h"

#include "QuorvelClientUI/Editor/ControlDescription.h"

using namespace Quorvel;
using namespace EditorTest;

Q_DECLARE_METATYPE(std::optional<Quorvel::HostInfo>)

namespace {

const QString command42 = QStringLiteral("echo ") + QString(37, u'a');
const QString command43 = command42 + u'b';

Control readout(const QString &command, std::optional<double> interval = std::nullopt)
{
    Control made = control("r", "R", ControlType::metric);
    made.statusCheck = check(StatusCheck::Kind::shellOutput, command, interval);
    return made;
}

} // namespace

// The sentences that tell what a new action will do.
class ControlDescriptionTest : public QObject {
    Q_OBJECT

private slots:
    void describesActions_data()
    {
        QTest::addColumn<Control>("subject");
        QTest::addColumn<std::optional<HostInfo>>("hostInfo");
        QTest::addColumn<QString>("description");
        const std::optional<HostInfo> studio = HostInfo{"Studio", "1.0", true};
        const std::optional<HostInfo> none;
        const QString app = "a.b.Player";

        QTest::newRow("button without an action") << control("b", "B", ControlType::button) << none
                                                  << "A button. Pressing it does nothing yet.";

        Control music = control("m", "Music", ControlType::toggle);
        music.onAction = action(Action::Kind::app, "Music");
        music.offAction = action(Action::Kind::applescript, "tell application \"Music\" to quit");
        music.statusCheck = check(StatusCheck::Kind::processRunning, "Music");
        QTest::newRow("app switch") << music << none
                                    << "A switch. Turning it on opens Music. Turning it off quits "
                                       "Music. It shows on while Music is running.";
        Control unchecked = music;
        unchecked.statusCheck.reset();
        QTest::newRow("switch without a check")
            << unchecked << none
            << "A switch. Turning it on opens Music. Turning it off quits Music. It shows on "
               "while an app is running.";

        QTest::newRow("readout without a check")
            << control("r", "R", ControlType::metric) << none
            << "A readout. It shows nothing yet, refreshed every 5 seconds.";
        QTest::newRow("uptime") << readout("uptime -p | sed 's/^up //'", 30) << studio
                                << "A readout. It shows how long Studio has been up, refreshed "
                                   "every 30 seconds.";
        QTest::newRow("uptime without host info")
            << readout("uptime -p | sed 's/^up //'", 30) << none
            << "A readout. It shows how long the host has been up, refreshed every 30 seconds.";
        QTest::newRow("free disk") << readout("df -h / | awk 'NR==2 {print $4}'", 60) << none
                                   << "A readout. It shows free disk space, refreshed every "
                                      "minute.";
        QTest::newRow("older load command")
            << readout("sysctl -n vm.loadavg | awk '{print $2}'", 10) << none
            << "A readout. It shows the load average, refreshed "
               "every 10 seconds.";
        QTest::newRow("command of 42")
            << readout(command42, 120) << none
            << "A readout. It shows the output of " + command42 + ", refreshed every 2 minutes.";
        QTest::newRow("command of 43")
            << readout(command43) << none
            << "A readout. It shows the output of " + command43.left(40) + QChar(0x2026) +
                   ", refreshed every 5 seconds.";
        QTest::newRow("two lines") << readout(" date\nuptime \n") << none
                                   << "A readout. It shows the output of date uptime, refreshed "
                                      "every 5 seconds.";
        QTest::newRow("interval beyond a day") << readout("date", 1e300) << none
                                               << "A readout. It shows the output of date, "
                                                  "refreshed every 24 hours.";

        Control press = control("p", "P", ControlType::button);
        press.action = appControlAction(app, "skip", "press");
        QTest::newRow("bound button")
            << press << none << "A button that presses Skip in Player Pro.";
        Control mute = control("m", "Mute", ControlType::toggle);
        mute.onAction = appControlAction(app, "mute", "on");
        mute.offAction = appControlAction(app, "mute", "off");
        mute.statusCheck = check(StatusCheck::Kind::appControl, app, std::nullopt, "mute");
        QTest::newRow("bound switch")
            << mute << none
            << "A switch for Mute in Player Pro. It turns it on and off, and shows whether it's "
               "on as soon as it changes.";
        Control volume = control("v", "Volume", ControlType::metric);
        volume.statusCheck = check(StatusCheck::Kind::appControl, app, std::nullopt, "volume");
        QTest::newRow("bound readout")
            << volume << none
            << "A readout of Volume in Player Pro, updated as soon as it changes.";
        Control shellChecked = mute;
        shellChecked.statusCheck = check(StatusCheck::Kind::shellExitCode, "pgrep player");
        QTest::newRow("switch with a shell check is not bound")
            << shellChecked << none
            << "A switch. Turning it on turns Mute in Player Pro on. Turning it off turns Mute in "
               "Player Pro off. It shows on while pgrep player succeeds.";
    }
    void describesActions()
    {
        QFETCH(Control, subject);
        QFETCH(std::optional<HostInfo>, hostInfo);
        QFETCH(QString, description);
        QCOMPARE(describe(subject, studioCatalog(), hostInfo), description);
    }

    void namesOfferedControlsWithoutTheCatalog()
    {
        Control press = control("p", "P", ControlType::button);
        press.action = appControlAction("a.b.Player", "skip", "press");
        QCOMPARE(describe(press, std::nullopt, std::nullopt),
                 QString("A button that presses skip in Player."));
    }
};

QTEST_GUILESS_MAIN(ControlDescriptionTest)
#include "ControlDescriptionTest.moc"
