#include "SmallDiskFiller.h"

#include "Platform/Files/PendingWrite.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <optional>

using namespace Quorvel;
using namespace std::chrono_literals;

namespace {

// Quick enough for a test; the longest is reached after three doublings.
constexpr PendingWrite::Timings quick{10ms, 80ms};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

// Writes that a full disk refused are tried again until they succeed, the newest bytes winning.
class PendingWriteTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("QUORVEL_SMALL_DISK"), "runs in the small-disk sandbox");
    }

    void waitingBytesAreWrittenOnceThereIsRoom_data()
    {
        QTest::addColumn<QList<QByteArray>>("writes");
        QTest::addColumn<bool>("folderMissing");
        QTest::newRow("over an older file") << QList<QByteArray>{"first"} << false;
        QTest::newRow("a newer write replaces what waits")
            << QList<QByteArray>{"first", "second", "third"} << false;
        QTest::newRow("in a folder made on the way") << QList<QByteArray>{"first"} << true;
    }

    void waitingBytesAreWrittenOnceThereIsRoom()
    {
        QFETCH(QList<QByteArray>, writes);
        QFETCH(bool, folderMissing);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("Quorvel"));
        const QString path = folder + QStringLiteral("/status.json");
        if (!folderMissing) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(writeFile(path, "older"));
        }
        PendingWrite file(PendingWrite::Folder::make, quick);
        QSignalSpy retried(&file, &PendingWrite::retried);

        std::optional<SmallDiskFiller> filler(std::in_place, 0);
        QVERIFY(filler->filled());
        for (const QByteArray &bytes : std::as_const(writes))
            QCOMPARE(file.write(path, bytes), ENOSPC);
        // Still refused while the disk stays full.
        QTRY_VERIFY(retried.size() >= 2);
        QVERIFY(retried.contains(QVariantList{ENOSPC}));
        QVERIFY(file.isPending());
        QCOMPARE(readAll(path), folderMissing ? QByteArray() : QByteArray("older"));

        filler.reset();
        QTRY_COMPARE(readAll(path), writes.last());
        QVERIFY(!file.isPending());
        QCOMPARE(retried.last(), QVariantList{0});
        // Nothing half written is left beside it.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"status.json"});
    }

    // Each failed attempt doubles the wait up to the longest; a new write starts again from the
    // first, and a cancelled one is tried no more.
    void retriesBackOffUpToTheLongestInterval()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/status.json"));
        PendingWrite file(PendingWrite::Folder::mustExist, quick);
        QSignalSpy retried(&file, &PendingWrite::retried);

        QCOMPARE(file.write(path, "bytes"), ENOENT);
        QCOMPARE(file.retryInterval(), 10ms);
        QList<std::chrono::milliseconds> waits;
        for (int attempt = 1; attempt <= 4; ++attempt) {
            QVERIFY(retried.wait());
            QCOMPARE(retried.last(), QVariantList{ENOENT});
            waits.append(file.retryInterval());
        }
        QCOMPARE(waits, (QList<std::chrono::milliseconds>{20ms, 40ms, 80ms, 80ms}));

        QCOMPARE(file.write(path, "newer"), ENOENT);
        QCOMPARE(file.retryInterval(), 10ms);
        file.cancel();
        QVERIFY(!file.isPending());
    }
};

QTEST_GUILESS_MAIN(PendingWriteTest)
#include "PendingWriteTest.moc"
