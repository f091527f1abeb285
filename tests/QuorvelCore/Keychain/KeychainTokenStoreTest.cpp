#include "KeychainTestSupport.h"

#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include <QTest>
#include <qt6keychain/keychain.h>

#include <memory>

using namespace Quorvel;

namespace {

using ItemAnswer = std::optional<std::optional<PairingToken>>;
// An answer that holds no code (as opposed to no answer at all).
const ItemAnswer noCode{std::in_place};

PairingToken codeOf(const QString &text)
{
    return PairingToken::parse(text).value();
}

// Writes an item as another program (or an older build) might have left it, bypassing the store.
bool writeRawItem(const QString &service, const QString &account, const QByteArray &bytes,
                  bool asText)
{
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setKey(account);
    if (asText) {
        job->setTextData(QString::fromUtf8(bytes));
    } else {
        job->setBinaryData(bytes);
    }
    bool done = false;
    bool ok = false;
    QObject::connect(job, &QKeychain::Job::finished, [&](QKeychain::Job *finished) {
        ok = finished->error() == QKeychain::NoError;
        done = true;
    });
    job->start();
    return QTest::qWaitFor([&done] { return done; }, KeychainWaiter::answerLimitMs) && ok;
}

} // namespace

class KeychainTokenStoreTest : public QObject {
    Q_OBJECT

private slots:
    void savesReadsAndRemovesPerAccount_data()
    {
        QTest::addColumn<QString>("account");
        QTest::newRow("host id") << QStringLiteral("3F2A7C1E-9B4D-4E6A-8C2B-5D1F0A9E7B3C");
        QTest::newRow("host name") << QStringLiteral("Studio Mac");
        QTest::newRow("non-ASCII name") << QStringLiteral("Büro — Café ☕");
    }

    void savesReadsAndRemovesPerAccount()
    {
        QFETCH(QString, account);
        KeychainWaiter keychain{KeychainTokenStore()};
        const PairingToken code = PairingToken::generate();

        QCOMPARE(keychain.save(code, account), std::optional<bool>(true));
        QCOMPARE(keychain.read(account), ItemAnswer(code));
        QVERIFY(keychain.remove(account));
        QCOMPARE(keychain.read(account), noCode);
    }

    void secondStoreReadsWhatFirstSaved()
    {
        const PairingToken code = PairingToken::generate();
        KeychainWaiter first{KeychainTokenStore()};
        QCOMPARE(first.save(code, QStringLiteral("shared-host")), std::optional<bool>(true));

        KeychainWaiter second{KeychainTokenStore(KeychainTokenStore::defaultService)};
        QCOMPARE(second.read(QStringLiteral("shared-host")), ItemAnswer(code));
    }

    void savingAgainReplacesTheCode()
    {
        KeychainWaiter keychain{KeychainTokenStore()};
        const PairingToken older = PairingToken::generate();
        const PairingToken newer = PairingToken::generate();

        QCOMPARE(keychain.save(older, QStringLiteral("host")), std::optional<bool>(true));
        QCOMPARE(keychain.save(newer, QStringLiteral("host")), std::optional<bool>(true));
        QCOMPARE(keychain.read(QStringLiteral("host")), ItemAnswer(newer));
    }

    void accountsAndServicesAreSeparate()
    {
        KeychainWaiter pairing{KeychainTokenStore(KeychainTokenStore::defaultService)};
        KeychainWaiter editor{KeychainTokenStore(KeychainTokenStore::localEditorService)};
        const PairingToken first = PairingToken::generate();
        const PairingToken second = PairingToken::generate();
        const PairingToken editorCode = PairingToken::generate();

        QCOMPARE(pairing.save(first, QStringLiteral("alpha")), std::optional<bool>(true));
        QCOMPARE(pairing.save(second, QStringLiteral("beta")), std::optional<bool>(true));
        QCOMPARE(editor.save(editorCode, QStringLiteral("alpha")), std::optional<bool>(true));

        QCOMPARE(pairing.read(QStringLiteral("alpha")), ItemAnswer(first));
        QCOMPARE(pairing.read(QStringLiteral("beta")), ItemAnswer(second));
        QCOMPARE(editor.read(QStringLiteral("alpha")), ItemAnswer(editorCode));

        QVERIFY(pairing.remove(QStringLiteral("alpha")));
        QCOMPARE(pairing.read(QStringLiteral("alpha")), noCode);
        QCOMPARE(pairing.read(QStringLiteral("beta")), ItemAnswer(second));
        QCOMPARE(editor.read(QStringLiteral("alpha")), ItemAnswer(editorCode));
    }

    void readsStoredText_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("asText");
        QTest::addColumn<std::optional<PairingToken>>("expected");

        const PairingToken code = codeOf(QStringLiteral("ABCDEFGHJKMNPQRSTUVWXYZ2"));
        QTest::newRow("display form")
            << QByteArray("ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2") << true << std::optional(code);
        QTest::newRow("lower case with newline")
            << QByteArray("abcdefghjkmnpqrstuvwxyz2\n") << true << std::optional(code);
        QTest::newRow("sixteen symbols")
            << QByteArray("ABCDEFGHJKMNPQRS") << true << std::optional(codeOf("ABCDEFGHJKMNPQRS"));
        QTest::newRow("fifteen symbols")
            << QByteArray("ABCDEFGHJKMNPQR") << true << std::optional<PairingToken>();
        QTest::newRow("empty") << QByteArray() << true << std::optional<PairingToken>();
        QTest::newRow("binary code bytes")
            << QByteArray("ABCDEFGHJKMNPQRSTUVWXYZ2") << false << std::optional(code);
        QTest::newRow("not UTF-8") << QByteArray("ABCDEFGHJKMNPQRS\xff\xfeTUVWXYZ2") << false
                                   << std::optional<PairingToken>();
    }

    void readsStoredText()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, asText);
        QFETCH(std::optional<PairingToken>, expected);
        const QString account = QStringLiteral("raw-%1").arg(QTest::currentDataTag());
        QVERIFY(writeRawItem(KeychainTokenStore::defaultService, account, stored, asText));

        KeychainWaiter keychain{KeychainTokenStore()};
        QCOMPARE(keychain.read(account), ItemAnswer(expected));
    }

    void removingAMissingAccountIsSilent()
    {
        KeychainWaiter keychain{KeychainTokenStore()};
        QVERIFY(keychain.remove(QStringLiteral("never-saved")));
        QCOMPARE(keychain.read(QStringLiteral("never-saved")), noCode);
    }

    void noAnswerReachesAContextThatIsGone()
    {
        const KeychainTokenStore store;
        KeychainWaiter keychain{store};
        QCOMPARE(keychain.save(PairingToken::generate(), QStringLiteral("host")),
                 std::optional<bool>(true));

        bool lateAnswer = false;
        auto context = std::make_unique<QObject>();
        store.read(QStringLiteral("host"), context.get(),
                   [&lateAnswer](std::optional<PairingToken>) { lateAnswer = true; });
        context.reset();
        // Requests are served in order, so once this one is answered the first has finished too.
        QVERIFY(keychain.read(QStringLiteral("host")).has_value());
        QVERIFY(!lateAnswer);
    }
};

QTEST_GUILESS_MAIN(KeychainTokenStoreTest)
#include "KeychainTokenStoreTest.moc"
