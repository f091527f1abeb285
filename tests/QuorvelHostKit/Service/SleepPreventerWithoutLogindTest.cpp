#include "QuorvelHostKit/Service/SleepPreventer.h"

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
        SleepPreventer preventer;
        preventer.setActive(true);
        QVERIFY(!preventer.isActive());
        preventer.setActive(true);
        QVERIFY(!preventer.isActive());
        preventer.setActive(false);
        QVERIFY(!preventer.isActive());
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(SleepPreventerWithoutLogindTest)
#include "SleepPreventerWithoutLogindTest.moc"
