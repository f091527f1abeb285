#include "QuorvelHostKit/Service/SleepPreventer.h"

#include "Platform/Power/LogindInhibitor.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

// No system bus at all, as on a machine without logind: keeping awake fails quietly.
class SleepPreventerWithoutLogindTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS",
                QByteArray("unix:path=") + m_folder.filePath("no-bus").toUtf8());
    }

    void onHoldsNothingAndCanBeRepeated()
    {
        std::vector<std::unique_ptr<IdleInhibitor>> inhibitors;
        inhibitors.push_back(std::make_unique<LogindInhibitor>());
        SleepPreventer preventer(std::move(inhibitors));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Keep awake is on, but no lock is held: logind: "
                                                "no system bus"));
        preventer.setActive(true);
        QTRY_VERIFY(!preventer.problem().isEmpty());
        QVERIFY(!preventer.isActive());
        preventer.setActive(true);
        QVERIFY(preventer.isAsking());
        QTRY_VERIFY(!preventer.isAsking());
        QVERIFY(!preventer.isActive());
        preventer.setActive(false);
        QVERIFY(!preventer.isActive());
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(SleepPreventerWithoutLogindTest)
#include "SleepPreventerWithoutLogindTest.moc"
