#include "QuorvelCore/Model/PairingToken.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>
#include <QTextBoundaryFinder>

#include <array>

namespace Quorvel {

namespace {

// Symbols per group in the display text.
constexpr int displayGroupSize = 4;

QByteArray hmacSha256(const QString &key, const QByteArray &message)
{
    return QMessageAuthenticationCode::hash(message, key.toUtf8(), QCryptographicHash::Sha256);
}

// The alphabet symbol that the user-perceived character stands for, if any; canonically
// equivalent forms (the Kelvin sign for K) count as the symbol itself.
std::optional<QChar> alphabetSymbol(const QString &character)
{
    const QString canonical = character.normalized(QString::NormalizationForm_C);
    if (canonical.size() != 1)
        return std::nullopt;
    const char16_t symbol = canonical.front().unicode();
    for (int i = 0; i < PairingToken::alphabetSize; ++i) {
        if (symbol == static_cast<char16_t>(PairingToken::alphabet[i]))
            return canonical.front();
    }
    return std::nullopt;
}

} // namespace

PairingToken::PairingToken(QString normalized) : m_normalized(std::move(normalized)) {}

std::optional<PairingToken> PairingToken::parse(const QString &text)
{
    // Full case mapping: one character may become several ("ß" becomes "SS").
    const QString upper = text.toUpper();
    QString kept;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, upper);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        if (const std::optional<QChar> symbol = alphabetSymbol(upper.mid(start, end - start)))
            kept.append(*symbol);
        start = end;
    }
    if (kept.size() < minimumLength)
        return std::nullopt;
    return PairingToken(kept);
}

PairingToken PairingToken::generate()
{
    QString symbols;
    symbols.reserve(length);
    for (int i = 0; i < length; ++i) {
        const quint64 draw = QRandomGenerator::system()->generate64();
        symbols.append(QLatin1Char(alphabet[draw % alphabetSize]));
    }
    return *parse(symbols);
}

QString PairingToken::displayText() const
{
    QStringList groups;
    for (qsizetype i = 0; i < m_normalized.size(); i += displayGroupSize)
        groups.append(m_normalized.mid(i, displayGroupSize));
    return groups.join(u'-');
}

QByteArray PairingToken::pskData() const
{
    return hmacSha256(m_normalized, QByteArray(pskLabel));
}

QString PairingToken::makeNonce()
{
    std::array<quint32, nonceSize / sizeof(quint32)> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char *>(words.data()), nonceSize);
    return QString::fromLatin1(bytes.toBase64());
}

QString PairingToken::proof(const QString &nonce) const
{
    return QString::fromLatin1(hmacSha256(m_normalized, nonce.toUtf8()).toHex());
}

bool PairingToken::verify(const QString &proof, const QString &nonce) const
{
    const QByteArray expected = this->proof(nonce).toUtf8();
    const QByteArray received = proof.toLower().toUtf8();
    if (expected.size() != received.size())
        return false;
    // Every byte is looked at, so the time taken tells nothing about where a guess goes wrong.
    unsigned char difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned char>(expected[i] ^ received[i]);
    return difference == 0;
}

} // namespace Quorvel
