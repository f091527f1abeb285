#include "QuorvelHostKit/Service/DeckWatcher.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <utime.h>

using namespace std::chrono_literals;
using Quorvel::DeckWatcher;

namespace {

// Long enough that the poll never fires during a test that is about file-system events.
constexpr auto noPoll = 1h;
// Short, so that event tests finish quickly; bursts in the tests take far less.
constexpr auto shortDebounce = 150ms;
// Long enough that three saves in a row always fall within one burst, even on a busy machine.
constexpr auto burstDebounce = 1s;
// Short, so that poll tests finish quickly.
constexpr auto quickPoll = 100ms;

void writeInPlace(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void writeByRename(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

} // namespace

class DeckWatcherTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void renameOverIsReportedOnce();
    void burstGivesOneReportWithFinalBytes();
    void inPlaceEditIsSeenByEvents();
    void ownSaveIsSilent();
    void touchWithSameBytesIsSilent();
    void deletionIsSilentAndRecreationReported();
    void otherFilesInFolderAreSilent();
    void withoutInitialBytesFirstReadIsReported();
    void pollRunsWhenFolderCannotBeWatched();
    void nothingReportedAfterStop();

private:
    std::unique_ptr<DeckWatcher> makeWatcher(std::optional<QByteArray> initial,
                                             DeckWatcher::Timings timings);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_deckPath;
    QList<QByteArray> m_reports;
};

void DeckWatcherTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_deckPath = m_dir->filePath("deck.json");
    m_reports.clear();
}

std::unique_ptr<DeckWatcher> DeckWatcherTest::makeWatcher(std::optional<QByteArray> initial,
                                                          DeckWatcher::Timings timings)
{
    auto watcher = std::make_unique<DeckWatcher>(
        QUrl::fromLocalFile(m_deckPath), std::move(initial),
        [this](const QByteArray &bytes) { m_reports.append(bytes); }, timings);
    watcher->start();
    return watcher;
}

void DeckWatcherTest::renameOverIsReportedOnce()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, noPoll});
    QSignalSpy checks(watcher.get(), &DeckWatcher::checked);
    QTest::ignoreMessage(QtInfoMsg, "deck.json changed on disk");
    writeByRename(m_deckPath, "two");
    QTRY_COMPARE(m_reports, QList<QByteArray>{"two"});
    QCOMPARE(checks.count(), 1);
}

void DeckWatcherTest::burstGivesOneReportWithFinalBytes()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {burstDebounce, noPoll});
    QSignalSpy checks(watcher.get(), &DeckWatcher::checked);
    writeByRename(m_deckPath, "two");
    writeByRename(m_deckPath, "three");
    writeByRename(m_deckPath, "four");
    QTRY_COMPARE(checks.count(), 1);
    QCOMPARE(m_reports, QList<QByteArray>{"four"});
}

void DeckWatcherTest::inPlaceEditIsSeenByEvents()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, noPoll});
    writeInPlace(m_deckPath, "edited in place");
    QTRY_COMPARE(m_reports, QList<QByteArray>{"edited in place"});
}

void DeckWatcherTest::ownSaveIsSilent()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, quickPoll});
    QSignalSpy checks(watcher.get(), &DeckWatcher::checked);
    writeByRename(m_deckPath, "saved by the host");
    watcher->noteSaved("saved by the host");
    QTRY_VERIFY(checks.count() >= 3);
    QVERIFY(m_reports.isEmpty());
}

void DeckWatcherTest::touchWithSameBytesIsSilent()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, noPoll});
    QSignalSpy checks(watcher.get(), &DeckWatcher::checked);
    QCOMPARE(::utime(QFile::encodeName(m_deckPath).constData(), nullptr), 0);
    QTRY_COMPARE(checks.count(), 1);
    writeByRename(m_deckPath, "one");
    QTRY_COMPARE(checks.count(), 2);
    QVERIFY(m_reports.isEmpty());
}

void DeckWatcherTest::deletionIsSilentAndRecreationReported()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, noPoll});
    QSignalSpy checks(watcher.get(), &DeckWatcher::checked);
    QVERIFY(QFile::remove(m_deckPath));
    QTRY_COMPARE(checks.count(), 1);
    QVERIFY(m_reports.isEmpty());
    writeByRename(m_deckPath, "two");
    QTRY_COMPARE(m_reports, QList<QByteArray>{"two"});
}

void DeckWatcherTest::otherFilesInFolderAreSilent()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, noPoll});
    QSignalSpy checks(watcher.get(), &DeckWatcher::checked);
    writeByRename(m_dir->filePath("status.json"), "{}");
    QTRY_COMPARE(checks.count(), 1);
    QVERIFY(m_reports.isEmpty());
}

void DeckWatcherTest::withoutInitialBytesFirstReadIsReported()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(std::nullopt, {shortDebounce, quickPoll});
    QTRY_COMPARE(m_reports, QList<QByteArray>{"one"});
}

void DeckWatcherTest::pollRunsWhenFolderCannotBeWatched()
{
    m_deckPath = m_dir->filePath("not-yet/deck.json");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Can't watch .*not-yet"));
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, quickPoll});
    QVERIFY(QDir(m_dir->path()).mkdir("not-yet"));
    writeInPlace(m_deckPath, "two");
    QTRY_COMPARE(m_reports, QList<QByteArray>{"two"});
}

void DeckWatcherTest::nothingReportedAfterStop()
{
    writeInPlace(m_deckPath, "one");
    auto watcher = makeWatcher(QByteArray("one"), {shortDebounce, quickPoll});
    QSignalSpy checks(watcher.get(), &DeckWatcher::checked);
    writeByRename(m_deckPath, "two");
    watcher->stop();
    writeByRename(m_deckPath, "three");
    // A second watcher on the same file shows when the events and polls have had their turn.
    auto witness = makeWatcher(QByteArray("three"), {shortDebounce, quickPoll});
    QSignalSpy witnessChecks(witness.get(), &DeckWatcher::checked);
    QTRY_VERIFY(witnessChecks.count() >= 3);
    QCOMPARE(checks.count(), 0);
    QVERIFY(m_reports.isEmpty());
}

QTEST_GUILESS_MAIN(DeckWatcherTest)
#include "DeckWatcherTest.moc"
