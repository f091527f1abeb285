#include "QuorvelClientUI/Editor/ControlID.h"

#include <QTest>

using namespace Quorvel;

Q_DECLARE_METATYPE(QSet<QString>)

// Ids for new actions: readable, never empty, never one the deck already has.
class ControlIDTest : public QObject {
    Q_OBJECT

private slots:
    void makesIDs_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSet<QString>>("taken");
        QTest::addColumn<QString>("id");
        const QSet<QString> none;
        QTest::newRow("words") << "Hello World!" << none << "hello_world";
        QTest::newRow("run of symbols") << "A -- B" << none << "a_b";
        QTest::newRow("empty") << "" << none << "control";
        QTest::newRow("underscores") << "___" << none << "control";
        QTest::newRow("punctuation") << "!!!" << none << "control";
        QTest::newRow("accented letter") << "\u00c7a va" << none << "\u00e7a_va";
        QTest::newRow("decomposed accent stays") << "Cafe\u0301 Noir" << none << "cafe\u0301_noir";
        QTest::newRow("other scripts") << "Музыка 2" << none << "музыка_2";
        QTest::newRow("emoji") << "\U0001F3B5 Play \U0001F44D\U0001F3FD" << none << "play";
        QTest::newRow("digits") << "OBS 30" << none << "obs_30";
        QTest::newRow("taken") << "Zoom" << QSet<QString>{"zoom"} << "zoom_2";
        QTest::newRow("two taken") << "Zoom" << QSet<QString>{"zoom", "zoom_2"} << "zoom_3";
        QTest::newRow("only a number taken") << "Zoom" << QSet<QString>{"zoom_2"} << "zoom";
        QTest::newRow("numbering starts at two")
            << "Zoom" << QSet<QString>{"zoom", "zoom_3"} << "zoom_2";
        QTest::newRow("case differs") << "Zoom" << QSet<QString>{"Zoom"} << "zoom";
        QTest::newRow("empty title taken") << "?" << QSet<QString>{"control"} << "control_2";
        // The deck rules take these for one id, so the new action would clash.
        QTest::newRow("taken in another normalisation")
            << "Caf\u00e9" << QSet<QString>{"cafe\u0301"} << "caf\u00e9_2";
    }
    void makesIDs()
    {
        QFETCH(QString, title);
        QFETCH(QSet<QString>, taken);
        QFETCH(QString, id);
        QCOMPARE(makeControlID(title, taken), id);
    }
};

QTEST_GUILESS_MAIN(ControlIDTest)
#include "ControlIDTest.moc"
