#include "QuorvelHostKit/Service/HostTokenStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <memory>
#include <sys/stat.h>

using namespace Quorvel;

namespace {

const QString sampleCode = QStringLiteral("ABCDEFGHJKMNPQRSTUVWXYZ2");
// A UUID's canonical text: 32 hexadecimal digits and four dashes.
constexpr qsizetype uuidTextLength = 36;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

mode_t permissionsOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777)
                                                                   : mode_t(-1);
}

QStringList folderEntries()
{
    return QDir(HostTokenStore::folderPath())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

// A file that now holds a fresh code of the generated length, readable by its owner only.
void verifyFreshCodeFile(const PairingToken &code)
{
    const QString path = HostTokenStore::tokenFilePath();
    QCOMPARE(code.normalized().size(), PairingToken::length);
    QCOMPARE(readAll(path), code.normalized().toUtf8());
    QCOMPARE(permissionsOf(path), mode_t(0600));
    for (const QString &entry : folderEntries()) {
        QVERIFY2(!entry.startsWith(QStringLiteral(".pairing-token-")), qPrintable(entry));
    }
}

} // namespace

class HostTokenStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(m_data->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data->path()));
        qunsetenv(HostTokenStore::environmentKey);
        QCOMPARE(HostTokenStore::folderPath(), m_data->filePath(QStringLiteral("Quorvel")));
    }

    void cleanup() { qunsetenv(HostTokenStore::environmentKey); }

    void environmentFixesTheCode()
    {
        qputenv(HostTokenStore::environmentKey, "abcd-efgh-jkmn-pqrs-tuvw-xyz2");
        QCOMPARE(HostTokenStore::loadOrCreate().normalized(), sampleCode);
        QVERIFY(HostTokenStore::isSetByEnvironment());
        QVERIFY(!QFileInfo::exists(HostTokenStore::tokenFilePath()));
    }

    void invalidEnvironmentIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("fifteen symbols") << QByteArray("ABCDEFGHJKMNPQR");
    }

    void invalidEnvironmentIsIgnored()
    {
        QFETCH(QByteArray, value);
        qputenv(HostTokenStore::environmentKey, value);
        QVERIFY(writeFile(HostTokenStore::tokenFilePath(), sampleCode.toUtf8()));

        QTest::ignoreMessage(QtCriticalMsg,
                             "QUORVEL_TOKEN is not a valid pairing code; ignoring it");
        QCOMPARE(HostTokenStore::loadOrCreate().normalized(), sampleCode);
        QVERIFY(!HostTokenStore::isSetByEnvironment());
    }

    void codeFileIsReadAsItStands_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("plain") << sampleCode.toUtf8();
        QTest::newRow("display form") << QByteArray("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2");
        QTest::newRow("lower case with newline") << QByteArray("abcdefghjkmnpqrstuvwxyz2\n");
    }

    void codeFileIsReadAsItStands()
    {
        QFETCH(QByteArray, stored);
        const QString path = HostTokenStore::tokenFilePath();
        QVERIFY(writeFile(path, stored));

        QCOMPARE(HostTokenStore::loadOrCreate().normalized(), sampleCode);
        QCOMPARE(readAll(path), stored);
        QCOMPARE(folderEntries(), QStringList{HostTokenStore::tokenFileName});
    }

    void missingFileGetsANewCode()
    {
        QVERIFY(!QFileInfo::exists(HostTokenStore::folderPath()));
        const PairingToken code = HostTokenStore::loadOrCreate();
        verifyFreshCodeFile(code);
        QCOMPARE(HostTokenStore::loadOrCreate(), code);
    }

    // An unreadable or invalid file may be the only copy of a code the user's devices know: it
    // is kept under a name of its own, never overwritten.
    void unusableFileIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("fifteen symbols") << QByteArray("ABCDEFGHJKMNPQR") << false;
        QTest::newRow("not UTF-8") << QByteArray("ABCDEFGHJKMNPQRS\xff\xfe") << false;
        QTest::newRow("far too large") << QByteArray(1024 * 1024, 'A') << false;
        QTest::newRow("unreadable (a folder)") << QByteArray() << true;
    }

    void unusableFileIsKeptAside()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, asFolder);
        const QString path = HostTokenStore::tokenFilePath();
        if (asFolder) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(writeFile(path, stored));
        }

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^Pairing token file .* is "
                                                               "unusable \\(.*\\); kept it as ")));
        const PairingToken code = HostTokenStore::loadOrCreate();
        verifyFreshCodeFile(code);

        const QStringList kept = QDir(HostTokenStore::folderPath())
                                     .entryList({QStringLiteral("pairing-token.unusable-*")},
                                                QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(kept.size(), 1);
        const QString keptPath = HostTokenStore::folderPath() + QLatin1Char('/') + kept.first();
        if (asFolder) {
            QVERIFY(QFileInfo(keptPath).isDir());
        } else {
            QCOMPARE(readAll(keptPath), stored);
        }
    }

    void secondUnusableFileDoesNotReplaceTheFirst()
    {
        const QString path = HostTokenStore::tokenFilePath();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unusable")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unusable")));
        QVERIFY(writeFile(path, "first"));
        HostTokenStore::loadOrCreate();
        QVERIFY(writeFile(path, "second"));
        HostTokenStore::loadOrCreate();

        QStringList keptContents;
        const QDir folder(HostTokenStore::folderPath());
        for (const QString &name : folder.entryList({QStringLiteral("pairing-token.unusable-*")})) {
            keptContents << QString::fromUtf8(readAll(folder.filePath(name)));
        }
        keptContents.sort();
        QCOMPARE(keptContents, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    }

    void createAndSaveReplacesTheCode()
    {
        QVERIFY(writeFile(HostTokenStore::tokenFilePath(), sampleCode.toUtf8()));
        QTest::ignoreMessage(
            QtInfoMsg, qPrintable("Wrote new pairing token to " + HostTokenStore::tokenFilePath()));
        const PairingToken code = HostTokenStore::createAndSave();
        QVERIFY(code.normalized() != sampleCode);
        verifyFreshCodeFile(code);
        QCOMPARE(HostTokenStore::loadOrCreate(), code);
    }

    void failedSaveStillGivesACode()
    {
        // A file where the folder should be: the folder cannot be made, whoever runs the test.
        QVERIFY(writeFile(HostTokenStore::folderPath(), "not a folder"));
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral("^Could not save pairing token: ")));
        const PairingToken code = HostTokenStore::createAndSave();
        QCOMPARE(code.normalized().size(), PairingToken::length);
        QCOMPARE(readAll(HostTokenStore::folderPath()), QByteArray("not a folder"));
    }

    void hostIDIsKeptInItsFile_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("canonical") << QByteArray("3F2A7C1E-9B4D-4E6A-8C2B-5D1F0A9E7B3C")
                                   << QStringLiteral("3F2A7C1E-9B4D-4E6A-8C2B-5D1F0A9E7B3C");
        QTest::newRow("lower case with blanks")
            << QByteArray(" 3f2a7c1e-9b4d-4e6a-8c2b-5d1f0a9e7b3c\n")
            << QStringLiteral("3F2A7C1E-9B4D-4E6A-8C2B-5D1F0A9E7B3C");
        QTest::newRow("nil UUID") << QByteArray("00000000-0000-0000-0000-000000000000")
                                  << QStringLiteral("00000000-0000-0000-0000-000000000000");
    }

    void hostIDIsKeptInItsFile()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, expected);
        const QString path = HostTokenStore::folderPath() + QStringLiteral("/host-id");
        QVERIFY(writeFile(path, stored));

        QCOMPARE(HostTokenStore::hostID(), expected);
        QCOMPARE(readAll(path), stored);
    }

    void hostIDIsMadeWhenMissingOrUnusable_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("stored");
        QTest::newRow("missing") << std::optional<QByteArray>();
        QTest::newRow("not a UUID") << std::optional<QByteArray>("my-host");
        QTest::newRow("braced UUID")
            << std::optional<QByteArray>("{3f2a7c1e-9b4d-4e6a-8c2b-5d1f0a9e7b3c}");
    }

    void hostIDIsMadeWhenMissingOrUnusable()
    {
        QFETCH(std::optional<QByteArray>, stored);
        const QString path = HostTokenStore::folderPath() + QStringLiteral("/host-id");
        if (stored) {
            QVERIFY(writeFile(path, *stored));
        }

        const QString id = HostTokenStore::hostID();
        QCOMPARE(id.size(), uuidTextLength);
        QCOMPARE(id, id.toUpper());
        QVERIFY(!QUuid::fromString(id).isNull());
        QCOMPARE(readAll(path), id.toUtf8());
        QCOMPARE(HostTokenStore::hostID(), id);
    }

private:
    std::unique_ptr<QTemporaryDir> m_data;
};

QTEST_GUILESS_MAIN(HostTokenStoreTest)
#include "HostTokenStoreTest.moc"
