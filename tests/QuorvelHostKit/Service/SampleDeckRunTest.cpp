#include "QuorvelHostKit/Execution/SystemExecutor.h"
#include "QuorvelHostKit/Service/DeckStore.h"

#include "DBusMock.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;
using HostTest::DBusMock;

// The deck a new host writes, decoded from its file and run on this machine as far as the
// machine allows: SonoBus is not installed here, and notifications go to a mock notification
// daemon on the sandbox's session bus.
class SampleDeckRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void writtenSampleDecodesAndPassesTheRules();
    void streamSwitchNamesTheMissingApp();
    void helloShowsANotification();
    void uptimeReadsWithoutUsers();
    void olderSampleFileIsKeptAsItIs();

private:
    Control sampleControl(const QString &id) const { return *m_deck.control(id); }

    QTemporaryDir m_dir;
    std::unique_ptr<DBusMock> m_notifications;
    Deck m_deck;
    SystemExecutor m_executor;
};

void SampleDeckRunTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Only the fixture's (empty) application folders are searched.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath("system-data")));
    qputenv("QUORVEL_DECK", QFile::encodeName(m_dir.filePath("deck.json")));
    m_notifications =
        std::make_unique<DBusMock>(QDBusConnection::sessionBus(), "org.freedesktop.Notifications",
                                   "/org/freedesktop/Notifications");
    QVERIFY(m_notifications->start({"--template", "notification_daemon"}));
}

void SampleDeckRunTest::writtenSampleDecodesAndPassesTheRules()
{
    QString problem;
    QCOMPARE(DeckStore::load(&problem), Deck::sample());
    QCOMPARE(problem, QString());
    QFile file(m_dir.filePath("deck.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    DeckStore::LoadError error = DeckStore::LoadError::invalidJSON(QString());
    const std::optional<Deck> written = DeckStore::parse(file.readAll(), &error);
    QVERIFY2(written, qPrintable(error.errorDescription()));
    QCOMPARE(*written, Deck::sample());
    m_deck = *written;
}

void SampleDeckRunTest::streamSwitchNamesTheMissingApp()
{
    const Control stream = sampleControl("turntable_stream");
    const ExecutionResult missing{1, QString(), "Unable to find application named 'SonoBus'\n"};
    QCOMPARE(std::get<ExecutionResult>(QCoro::waitFor(m_executor.run(*stream.onAction))), missing);
    QCOMPARE(std::get<ExecutionResult>(QCoro::waitFor(m_executor.run(*stream.offAction))), missing);
    QCOMPARE(QCoro::waitFor(m_executor.status(*stream.statusCheck)),
             (StatusOutcome{false, "stopped"}));
}

void SampleDeckRunTest::helloShowsANotification()
{
    const ExecutionOutcome outcome =
        QCoro::waitFor(m_executor.run(*sampleControl("say_hello").action));
    QCOMPARE(std::get<ExecutionResult>(outcome).summary(), QStringLiteral("ok"));
    QTRY_COMPARE(m_notifications->callCount("Notify"), 1);
    // Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout)
    QCOMPARE(m_notifications->lastCallArguments("Notify").value(3).toString(),
             QStringLiteral("Hello from the studio"));
}

void SampleDeckRunTest::uptimeReadsWithoutUsers()
{
    const StatusOutcome outcome =
        QCoro::waitFor(m_executor.status(*sampleControl("uptime").statusCheck));
    QVERIFY(outcome.detail);
    QVERIFY(!outcome.detail->isEmpty());
    QVERIFY2(!outcome.detail->contains("user"), qPrintable(*outcome.detail));
    QVERIFY2(outcome.detail->contains("minute") || outcome.detail->contains("hour") ||
                 outcome.detail->contains("day") || outcome.detail->contains("week"),
             qPrintable(*outcome.detail));
}

// A deck file written by an earlier version, with the commands of another system, is the user's:
// it is used as it stands and never replaced by the new sample.
void SampleDeckRunTest::olderSampleFileIsKeptAsItIs()
{
    const QByteArray older = R"({"deck_name": "Studio Controls", "controls": [
        {"id": "turntable_stream", "title": "Turntable Stream", "type": "toggle",
         "on_action": {"type": "shell", "target": "open -a SonoBus"},
         "off_action": {"type": "shortcut", "target": "Quit Sonobus", "timeout": 30},
         "status_check": {"type": "process_running", "target": "SonoBus"}},
        {"id": "uptime", "title": "Uptime", "type": "metric",
         "status_check": {"type": "shell_output", "interval": 30,
                          "target": "uptime | sed -E 's/.*up ([^,]*,[^,]*),.*/\\1/'"}}]})";
    const QString path = m_dir.filePath("older.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(older);
    file.close();
    qputenv("QUORVEL_DECK", QFile::encodeName(path));

    QString problem;
    const Deck deck = DeckStore::load(&problem);
    qputenv("QUORVEL_DECK", QFile::encodeName(m_dir.filePath("deck.json")));

    QCOMPARE(problem, QString());
    QCOMPARE(deck.control("turntable_stream")->onAction->target, QStringLiteral("open -a SonoBus"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), older);
}

QTEST_GUILESS_MAIN(SampleDeckRunTest)
#include "SampleDeckRunTest.moc"
