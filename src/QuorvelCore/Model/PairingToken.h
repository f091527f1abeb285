#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Quorvel {

// A pairing code (or the host's editor key): upper-case symbols of an unambiguous alphabet, at
// least minimumLength of them. The code itself never travels; the TLS pre-shared key and the
// challenge proofs are derived from it. A token only comes into being through parsing, so its
// text always holds.
class PairingToken {
public:
    // No I, L, O, 0 or 1: they are too easily mistaken for one another.
    static constexpr char alphabet[] = "ABCDEFGHJKMNPQRSTUVWXYZ23456789";
    static constexpr int alphabetSize = sizeof(alphabet) - 1;
    // Symbols in a generated code: about 119 bits of entropy.
    static constexpr int length = 24;
    // Fewest symbols a typed code may have.
    static constexpr int minimumLength = 16;
    // The message authenticated to derive the TLS pre-shared key.
    static constexpr char pskLabel[] = "quorvel-tls-psk-v1";
    // Random bytes of one challenge nonce, before Base64.
    static constexpr int nonceSize = 32;

    // Upper-cases the text (full Unicode case mapping) and keeps the user-perceived characters
    // that are alphabet symbols; no code when fewer than minimumLength remain.
    static std::optional<PairingToken> parse(const QString &text);
    // A new code of length symbols from the system's secure random source.
    static PairingToken generate();

    // The code: alphabet symbols only.
    const QString &normalized() const { return m_normalized; }
    // The code in groups of four joined by "-".
    QString displayText() const;

    // The 32-byte TLS pre-shared key: HMAC-SHA256 keyed by the code over pskLabel.
    QByteArray pskData() const;

    // A fresh challenge nonce: nonceSize random bytes as standard Base64 (44 characters).
    static QString makeNonce();
    // HMAC-SHA256 keyed by the code over the nonce's text, as 64 lower-case hex digits.
    QString proof(const QString &nonce) const;
    // Whether proof is this code's proof of nonce; hex digits in either case; constant time.
    bool verify(const QString &proof, const QString &nonce) const;

    friend bool operator==(const PairingToken &a, const PairingToken &b) = default;

private:
    explicit PairingToken(QString normalized);

    QString m_normalized;
};

} // namespace Quorvel
