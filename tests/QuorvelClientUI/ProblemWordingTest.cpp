#include "QuorvelClientUI/Editor/ProblemWording.h"

#include <QTest>

using namespace Quorvel;

// The words a card and the save footer show for the deck rules' texts, and the cross-check for
// ids that two rows share.
class ProblemWordingTest : public QObject {
    Q_OBJECT

private slots:
    void rewordsRuleTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("worded");
        QTest::newRow("on target") << "on_action target is empty"
                                   << "Choose what turning it on does.";
        QTest::newRow("off target") << "off_action target is empty"
                                    << "Choose what turning it off does.";
        QTest::newRow("button target") << "action target is empty"
                                       << "Choose what pressing it does.";
        QTest::newRow("check target") << "status_check target is empty"
                                      << "Choose what it checks.";
        QTest::newRow("on target with a NUL")
            << "on_action target holds a NUL character"
            << "What turning it on runs holds a NUL character (<U+0000>), which can't be passed "
               "to a program.";
        QTest::newRow("button target with a NUL")
            << "\"lamp\": action target holds a NUL character"
            << "\"lamp\": What pressing it runs holds a NUL character (<U+0000>), which can't be "
               "passed to a program.";
        QTest::newRow("check target with a NUL")
            << "status_check target holds a NUL character"
            << "What it checks holds a NUL character (<U+0000>), which can't be passed to a "
               "program.";
        QTest::newRow("title") << "title is empty"
                               << "Give it a name.";
        QTest::newRow("id") << "id is empty"
                            << "It needs an ID (Advanced).";
        QTest::newRow("id twice") << "id is used more than once"
                                  << "Another action uses the same ID.";
        QTest::newRow("labelled on target") << "\"lamp\": on_action target is empty"
                                            << "\"lamp\": Choose what turning it on does.";
        QTest::newRow("numbered label") << "action #1: id is empty"
                                        << "action #1: It needs an ID (Advanced).";
        QTest::newRow("numbered button target") << "action #1: action target is empty"
                                                << "action #1: Choose what pressing it does.";
        QTest::newRow("numbered off target") << "action #1: off_action target is empty"
                                             << "action #1: Choose what turning it off does.";
        QTest::newRow("numbered title") << "action #1: title is empty"
                                        << "action #1: Give it a name.";
        QTest::newRow("host's duplicate") << "\"lamp\": id is used more than once"
                                          << "\"lamp\": Another action uses the same ID.";
        QTest::newRow("slot missing") << "off_action is missing"
                                      << "off_action is missing";
        QTest::newRow("timeout") << "action timeout must be positive"
                                 << "action timeout must be positive";
        QTest::newRow("interval") << "status_check interval must be at least 1 second"
                                  << "status_check interval must be at least 1 second";
        QTest::newRow("endless timeout") << "on_action timeout must be a finite number of seconds"
                                         << "on_action timeout must be a finite number of seconds";
        QTest::newRow("endless interval")
            << "status_check interval must be a finite number of seconds"
            << "status_check interval must be a finite number of seconds";
        QTest::newRow("toggle check") << "toggles need a status_check so they can show on or off"
                                      << "toggles need a status_check so they can show on or off";
        QTest::newRow("deck title") << "the title is empty"
                                    << "the title is empty";
        QTest::newRow("no actions") << "there are no actions"
                                    << "there are no actions";
        QTest::newRow("unknown") << "The host refused the changes."
                                 << "The host refused the changes.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void rewordsRuleTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, worded);
        QCOMPARE(friendlyProblem(text), worded);
    }

    void findsSharedIDs_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("rowIDs");
        QTest::addColumn<bool>("duplicate");
        const QString composed = QStringLiteral("caf\u00e9");
        const QString decomposed = QStringLiteral("cafe\u0301");
        QTest::newRow("only its own row") << "lamp" << QStringList{"lamp", "fan"} << false;
        QTest::newRow("two rows") << "lamp" << QStringList{"lamp", "fan", "lamp"} << true;
        QTest::newRow("case differs") << "lamp" << QStringList{"lamp", "Lamp"} << false;
        QTest::newRow("space differs") << "lamp" << QStringList{"lamp", "lamp "} << false;
        QTest::newRow("both empty") << "" << QStringList{"", "fan", ""} << true;
        QTest::newRow("normalisation differs")
            << composed << QStringList{composed, decomposed} << true;
        QTest::newRow("not in the rows") << "lamp" << QStringList{"fan"} << false;
    }
    void findsSharedIDs()
    {
        QFETCH(QString, id);
        QFETCH(QStringList, rowIDs);
        QFETCH(bool, duplicate);
        QCOMPARE(isDuplicateID(id, rowIDs), duplicate);
    }
};

QTEST_GUILESS_MAIN(ProblemWordingTest)
#include "ProblemWordingTest.moc"
