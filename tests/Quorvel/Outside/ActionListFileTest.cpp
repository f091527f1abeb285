#include "Quorvel/Outside/ActionListFile.h"

#include "OutsideTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace Quorvel;
using namespace Quorvel::OutsideTest;

namespace {

// The quiet time of the tests that do not measure it.
constexpr std::chrono::milliseconds quietTime{300};
// Long enough that ten updates sent over loopback land inside it even on a busy machine.
constexpr std::chrono::milliseconds burstQuietTime{1000};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject readList(const QString &path)
{
    return QJsonDocument::fromJson(readFile(path)).object();
}

} // namespace

// The actions list file, fed by a real client model linked to a host on loopback.
class ActionListFileTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void entries()
    {
        Deck deck = sampleDeck();
        deck.controls[1].icon = QStringLiteral("fan");
        const QJsonObject lamp =
            ActionListFile::entry(deck.controls[0], stateOf("lamp", true, "x"));
        QCOMPARE(lamp.keys(), QStringList({"id", "kind", "links", "title", "value"}));
        QCOMPARE(lamp["links"].toObject(), QJsonObject({{"run", "quorvel://run/lamp"}}));

        const QJsonObject fan = ActionListFile::entry(deck.controls[1], stateOf("fan", true, "2"));
        QCOMPARE(fan.keys(), QStringList({"icon", "id", "kind", "links", "on", "title", "value"}));
        QCOMPARE(fan["kind"].toString(), QStringLiteral("switch"));
        QCOMPARE(fan["on"].toBool(), true);
        QCOMPARE(fan["links"].toObject(), QJsonObject({{"on", "quorvel://on/fan"},
                                                       {"off", "quorvel://off/fan"},
                                                       {"flip", "quorvel://run/fan"}}));

        const QJsonObject temp =
            ActionListFile::entry(deck.controls[2], stateOf("temp", true, "21 C"));
        QCOMPARE(temp.keys(), QStringList({"id", "kind", "links", "title", "value"}));
        QCOMPARE(temp["kind"].toString(), QStringLiteral("readout"));
        QVERIFY(temp["links"].toObject().isEmpty());

        // A switch without a known position has no "on".
        QVERIFY(
            !ActionListFile::entry(deck.controls[1], stateOf("fan", std::nullopt)).contains("on"));
    }

    void writesTheConnectedHostsActions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Quorvel/remote-actions.json");
        Session session;
        session.host.states = {stateOf("fan", true), stateOf("temp", std::nullopt, "21 C")};
        QVERIFY(session.connect());
        ActionListFile file(&session.model, path, quietTime);
        QVERIFY(file.write());

        const QByteArray text = readFile(path);
        QVERIFY(text.contains("\"quorvel://run/lamp\""));
        QVERIFY(!text.contains("\\/"));
        const QJsonObject list = QJsonDocument::fromJson(text).object();
        QCOMPARE(list.keys(), QStringList({"actions", "connected", "host", "updated"}));
        QCOMPARE(list["connected"].toBool(), true);
        QCOMPARE(list["host"].toString(), session.host.info.hostName);
        QVERIFY(QDateTime::fromString(list["updated"].toString(), Qt::ISODate).isValid());
        const QJsonArray actions = list["actions"].toArray();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[1].toObject()["on"].toBool(), true);
        QCOMPARE(actions[2].toObject()["value"].toString(), QStringLiteral("21 C"));

        // Disconnected: the cached deck, no states, "connected" false.
        session.model.disconnect();
        QVERIFY(file.write());
        const QJsonObject after = readList(path);
        QCOMPARE(after["connected"].toBool(), false);
        QCOMPARE(after["host"].toString(), session.host.info.hostName);
        QCOMPARE(after["actions"].toArray().size(), 3);
        QVERIFY(!after["actions"].toArray()[1].toObject().contains("on"));
        QVERIFY(!after["actions"].toArray()[2].toObject().contains("value"));
    }

    void withNoHostEverUsed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("remote-actions.json");
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        ActionListFile file(&model, path, quietTime);
        QVERIFY(file.write());
        const QJsonObject list = readList(path);
        QVERIFY(!list.contains("host"));
        QCOMPARE(list["actions"].toArray(), QJsonArray());
        QCOMPARE(list["connected"].toBool(), false);
    }

    void aBurstOfChangesGivesOneWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("remote-actions.json");
        Session session;
        QVERIFY(session.connect());
        ActionListFile file(&session.model, path, burstQuietTime);
        file.startObserving();
        QTRY_COMPARE(file.writeCount(), 1);

        for (int i = 0; i < 10; ++i)
            session.host.broadcast(
                Message(Message::StateUpdate{{stateOf("temp", std::nullopt, QString::number(i))}}));
        QTRY_COMPARE(session.model.states().value("temp").detail, std::optional<QString>("9"));
        QVERIFY(file.writePending());
        QTRY_VERIFY(!file.writePending());
        QCOMPARE(file.writeCount(), 2);
        QCOMPARE(readList(path)["actions"].toArray()[2].toObject()["value"].toString(),
                 QStringLiteral("9"));
    }

    void quittingWritesNotConnected()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("remote-actions.json");
        Session session;
        QVERIFY(session.connect());
        ActionListFile file(&session.model, path, quietTime);
        file.startObserving();
        QVERIFY(file.writeFinal());
        QVERIFY(!file.writePending());
        QCOMPARE(readList(path)["connected"].toBool(), false);
    }

    void aFailedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        ClientModel model("Remote", KeychainTokenStore(), true, fastTimings());
        // A folder stands where the file's folder should be created.
        QFile blocker(dir.filePath("blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ActionListFile file(&model, dir.filePath("blocked/remote-actions.json"), quietTime);
        QVERIFY(!file.write());
        QCOMPARE(file.writeCount(), 0);
    }
};

QTEST_GUILESS_MAIN(ActionListFileTest)
#include "ActionListFileTest.moc"
