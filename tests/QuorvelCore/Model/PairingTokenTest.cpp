#include "QuorvelCore/Model/PairingToken.h"

#include <QtTest>

using namespace Quorvel;

namespace {

const QString code16 = QStringLiteral("ABCDEFGHJKMNPQRS");
const QString code24 = QStringLiteral("ABCDEFGHJKMNPQRSTUVWXYZ2");
const QString nonce = QStringLiteral("q83vEjRWeJqrze8SNFZ4mqvN7xI0VniaIrvN7xI0Vng=");

PairingToken token(const QString &text)
{
    return *PairingToken::parse(text);
}

} // namespace

class PairingTokenTest : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("normalized");
        const QString none;
        QTest::newRow("exactly 16 symbols") << code16 << code16;
        QTest::newRow("16 symbols among other characters") << "ab cd-ef!gh jk\tmn.pq_rs?" << code16;
        QTest::newRow("15 symbols") << "ABCDEFGHJKMNPQR" << none;
        QTest::newRow("lower case") << code24.toLower() << code24;
        QTest::newRow("display text") << "ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2" << code24;
        QTest::newRow("groups with spaces") << "abcd efgh jkmn pqrs tuvw xyz2" << code24;
        QTest::newRow("look-alikes are dropped, not mapped") << "ABCDEFGHJKMNPQRSO0I1L" << code16;
        QTest::newRow("look-alikes leave 15") << "ABCDEFGHJKMNPQRO" << none;
        QTest::newRow("100 symbols") << QString(100, u'Z') << QString(100, u'Z');
        // Full case mapping: one lower-case letter may become two upper-case symbols.
        QTest::newRow("sharp s becomes SS") << "ABCDEFGHJKMNPQ\u00df"
                                            << "ABCDEFGHJKMNPQSS";
        QTest::newRow("ligature ff becomes FF") << "ABCDEFGHJKMNPQ\ufb00"
                                                << "ABCDEFGHJKMNPQFF";
        // ŉ upper-cases to a modifier apostrophe and N: two user-perceived characters.
        QTest::newRow("n with apostrophe keeps its N")
            << "ABCDEFGHJKMNPQR\u0149" << code16.left(15) + "N";
        // ǰ upper-cases to J with a combining caron: one user-perceived character, no symbol.
        QTest::newRow("j with caron is no J") << "ABCDEFGHJKMNPQR\u01f0" << none;
        QTest::newRow("decomposed accent makes no symbol") << "ABCDEFGHJKMNPQRE\u0301" << none;
        QTest::newRow("precomposed accent is dropped") << "ABCDEFGHJKMNPQR\u00c9" << none;
        // The Kelvin sign is canonically equivalent to K and stands for it.
        QTest::newRow("Kelvin sign counts as K") << "ABCDEFGHJ\u212aMNPQRS" << code16;
        QTest::newRow("fullwidth letters are other characters") << "ABCDEFGHJKMNPQR\uff33" << none;
        QTest::newRow("emoji between symbols") << "ABCD\U0001F600EFGHJKMNPQRS" << code16;
        QTest::newRow("empty") << "" << none;
    }

    void parses()
    {
        QFETCH(QString, input);
        QFETCH(QString, normalized);
        const std::optional<PairingToken> parsed = PairingToken::parse(input);
        QCOMPARE(parsed.has_value(), !normalized.isEmpty());
        if (parsed)
            QCOMPARE(parsed->normalized(), normalized);
    }

    void generatesCodesOfTheAlphabet()
    {
        const QString alphabet = QString::fromLatin1(PairingToken::alphabet);
        QCOMPARE(alphabet.size(), 31);
        for (int round = 0; round < 20; ++round) {
            const PairingToken generated = PairingToken::generate();
            QCOMPARE(generated.normalized().size(), PairingToken::length);
            for (QChar symbol : generated.normalized())
                QVERIFY(alphabet.contains(symbol));
            QCOMPARE(generated.displayText().size(), 29);
            QCOMPARE(generated.displayText().split(u'-').size(), 6);
            QCOMPARE(PairingToken::parse(generated.displayText()), std::optional(generated));
        }
        QVERIFY(!(PairingToken::generate() == PairingToken::generate()));
    }

    void showsGroupsOfFour_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("display");
        QTest::newRow("24") << code24 << "ABCD-EFGH-JKMN-PQRS-TUVW-XYZ2";
        QTest::newRow("17") << code16 + "T"
                            << "ABCD-EFGH-JKMN-PQRS-T";
        QTest::newRow("16") << code16 << "ABCD-EFGH-JKMN-PQRS";
    }

    void showsGroupsOfFour()
    {
        QFETCH(QString, code);
        QFETCH(QString, display);
        QCOMPARE(token(code).displayText(), display);
    }

    void derivesTheKeyAndProofs()
    {
        // Reference values from an independent HMAC-SHA256 (Python's hmac module).
        const PairingToken code = token(code24);
        QCOMPARE(code.pskData().toHex(),
                 QByteArray("db66efdde4cd0a16c3e4d235bee91b0baf3e5d2b6dcf48b30e398d82498f6c63"));
        QCOMPARE(
            code.proof(nonce),
            QStringLiteral("d94056e336c6259d1d0fb357e1f6b7690ba8f0a071d4af0a1f3b6d9d7f83689c"));
    }

    void sameCodeInAnyFormGivesTheSameDerivations()
    {
        const PairingToken plain = token(code24);
        const PairingToken typed = token(QStringLiteral("abcd efgh-jkmn pqrs tuvw xyz2"));
        QCOMPARE(typed, plain);
        QCOMPARE(typed.pskData(), plain.pskData());
        QCOMPARE(typed.proof(nonce), plain.proof(nonce));
        QCOMPARE(plain.pskData().size(), 32);
    }

    void makesNonces()
    {
        const QString first = PairingToken::makeNonce();
        QCOMPARE(first.size(), 44);
        QVERIFY(first.endsWith(u'='));
        QCOMPARE(QByteArray::fromBase64(first.toLatin1()).size(), PairingToken::nonceSize);
        QVERIFY(first != PairingToken::makeNonce());
    }

    void verifies_data()
    {
        const PairingToken code = token(code24);
        const QString proof = code.proof(nonce);
        QString changed = proof;
        changed[10] = changed[10] == u'0' ? u'1' : u'0';
        QTest::addColumn<QString>("received");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("expected") << proof << true;
        QTest::newRow("upper case") << proof.toUpper() << true;
        QTest::newRow("one character changed") << changed << false;
        QTest::newRow("one character short") << proof.chopped(1) << false;
        QTest::newRow("one character long") << proof + u'0' << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("another code's proof") << token(code16).proof(nonce) << false;
        QTest::newRow("proof of another nonce") << code.proof(PairingToken::makeNonce()) << false;
    }

    void verifies()
    {
        QFETCH(QString, received);
        QFETCH(bool, accepted);
        QCOMPARE(token(code24).verify(received, nonce), accepted);
    }

    void provesOverTheNonceText()
    {
        const PairingToken code = token(code24);
        const QString proof = code.proof(nonce);
        QCOMPARE(proof.size(), 64);
        QCOMPARE(proof, proof.toLower());
        const QByteArray bytes = QByteArray::fromBase64(nonce.toLatin1());
        QVERIFY(code.proof(QString::fromLatin1(bytes.toHex())) != proof);
        QVERIFY(code.proof(QString::fromLatin1(bytes.toBase64(QByteArray::OmitTrailingEquals))) !=
                proof);
    }
};

QTEST_GUILESS_MAIN(PairingTokenTest)
#include "PairingTokenTest.moc"
