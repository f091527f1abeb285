#include "QuorvelHostKit/Service/HostStatusFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using Quorvel::HostStatusFile;

namespace {

HostStatusFile sampleStatus()
{
    HostStatusFile status;
    status.version = "dev";
    status.hostName = "Studio";
    status.listener = "listening on :4242";
    status.localNetwork = "not_visible";
    status.clients = 2;
    status.deckEditingAllowed = true;
    status.updatedAt = QDateTime(QDate(2026, 12, 9), QTime(9, 15, 30), Qt::UTC);
    return status;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class HostStatusFileTest : public QObject {
    Q_OBJECT

private slots:
    void absentValuesLeaveTheirKeysOut();
    void writesSortedPrettyJson();
    void missingFolderFailsUntilItExists();
};

void HostStatusFileTest::absentValuesLeaveTheirKeysOut()
{
    const QJsonObject json = sampleStatus().toJson();
    QVERIFY(!json.contains("port"));
    QVERIFY(!json.contains("deck_problem"));
    QVERIFY(!json.contains("awake_lock_problem"));
    QCOMPARE(json.value("keep_awake"), QJsonValue(false));
    QCOMPARE(json.value("awake_lock_held"), QJsonValue(false));
    QCOMPARE(json.size(), 11);

    HostStatusFile full = sampleStatus();
    full.port = 4242;
    full.deckProblem = "deck.json isn't valid: missing \"title\"";
    full.keepAwake = true;
    full.awakeLockProblem = "logind: no system bus";
    const QJsonObject fullJson = full.toJson();
    QCOMPARE(fullJson.value("keep_awake"), QJsonValue(true));
    QCOMPARE(fullJson.value("awake_lock_problem").toString(), *full.awakeLockProblem);
    QCOMPARE(fullJson.value("port").toInt(), 4242);
    QCOMPARE(fullJson.value("deck_problem").toString(), *full.deckProblem);
    QCOMPARE(fullJson.size(), 14);
}

void HostStatusFileTest::writesSortedPrettyJson()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(HostStatusFile::fileName);
    HostStatusFile status = sampleStatus();
    status.port = 4242;
    QVERIFY(status.write(path));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.contains("\n    \"clients\": 2"));
    const QStringList keys{
        "clients",       "deck_editing_allowed",      "host_name", "icloud_signed_in", "listener",
        "local_network", "pairing_in_keychain_group", "port",      "updated_at",       "version"};
    qsizetype previous = -1;
    for (const QString &key : keys) {
        const qsizetype at = bytes.indexOf("\"" + key.toUtf8() + "\":");
        QVERIFY2(at > previous, qPrintable(key));
        previous = at;
    }
    const QJsonObject json = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(json.value("updated_at").toString(), QStringLiteral("2026-12-09T09:15:30Z"));
    QCOMPARE(json.value("local_network").toString(), QStringLiteral("not_visible"));

    status.clients = 0;
    QVERIFY(status.write(path));
    QCOMPARE(QJsonDocument::fromJson(readAll(path)).object().value("clients").toInt(), 0);
}

void HostStatusFileTest::missingFolderFailsUntilItExists()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorvel/status.json");
    QVERIFY(!sampleStatus().write(path));
    QVERIFY(!QFile::exists(path));
    QVERIFY(QDir(dir.path()).mkdir("Quorvel"));
    QVERIFY(sampleStatus().write(path));
    QVERIFY(QFile::exists(path));
}

QTEST_GUILESS_MAIN(HostStatusFileTest)
#include "HostStatusFileTest.moc"
