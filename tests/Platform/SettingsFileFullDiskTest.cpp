#include "LogCapture.h"
#include "SettingsOnDisk.h"
#include "SmallDiskFiller.h"

#include "Platform/Files/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include <optional>

using namespace Quorvel;
using namespace std::chrono_literals;

namespace {

// Quick enough for a test; the longest is reached after three doublings.
constexpr PendingWrite::Timings quick{10ms, 80ms};
constexpr int waitMilliseconds = 5000;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// Settings changed while the disk is full reach the disk once there is room, while the program
// runs and without any later change or read of the settings: no handle stays open meanwhile.
class SettingsFileFullDiskTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("QUORVEL_SMALL_DISK"), "runs in the small-disk sandbox");
        SettingsFile::setRetryTimings(quick);
    }

    void changesCatchUpOnceThereIsRoom_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QList<int>>("pagesLeft");
        QTest::newRow("first start, 0 KiB free") << false << QList<int>{0};
        QTest::newRow("first start, 4 KiB free") << false << QList<int>{1};
        QTest::newRow("existing file, 0 KiB free") << true << QList<int>{0};
        QTest::newRow("existing file, 4 KiB free") << true << QList<int>{1};
        QTest::newRow("first start, 0 KiB, then 4 KiB free") << false << QList<int>{0, 1};
    }

    void changesCatchUpOnceThereIsRoom()
    {
        QFETCH(bool, existing);
        QFETCH(QList<int>, pagesLeft);
        QVERIFY(QDir(SettingsFile::folderPath()).removeRecursively());
        QVariantMap wanted;
        if (existing) {
            SettingsFile::open()->setValue(QStringLiteral("lastHostName"),
                                           QStringLiteral("Studio"));
            wanted.insert(QStringLiteral("lastHostName"), QStringLiteral("Studio"));
            QCOMPARE(settingsOnDisk(SettingsFile::filePath()), wanted);
        }
        const QByteArray before = readAll(SettingsFile::filePath());

        for (int i = 0; i < pagesLeft.size(); ++i) {
            LogCapture log;
            const SmallDiskFiller filler(pagesLeft[i]);
            QVERIFY(filler.filled());
            const QString key = QStringLiteral("change%1").arg(i + 1);
            SettingsFile::open()->setValue(key, true);
            wanted.insert(key, QStringLiteral("true"));
            QVERIFY2(log.mentions(QStringLiteral("can't write ") + SettingsFile::filePath()),
                     qPrintable(log.lines().join(u'\n')));
            QCOMPARE(readAll(SettingsFile::filePath()), before);
            QCOMPARE(QFile::exists(SettingsFile::filePath()), existing);
        }

        LogCapture log;
        QTRY_COMPARE_WITH_TIMEOUT(settingsOnDisk(SettingsFile::filePath()), wanted,
                                  waitMilliseconds);
        QTRY_VERIFY_WITH_TIMEOUT(log.mentions(QStringLiteral("Wrote ") + SettingsFile::filePath()),
                                 waitMilliseconds);
    }
};

QTEST_GUILESS_MAIN(SettingsFileFullDiskTest)
#include "SettingsFileFullDiskTest.moc"
