#pragma once

#include <QByteArray>
#include <QSslConfiguration>

#include <chrono>

class QAbstractSocket;
class QSslSocket;
class QWebSocket;

namespace Quorvel {

class PairingToken;

// The stack both ends of a host link build from one pairing code: TCP with keep-alive, TLS 1.2
// whose only suite is PSK-AES128-GCM-SHA256 keyed by the code, and WebSocket 13 above it with a
// 1 MiB message limit. A wrong code therefore fails inside the TLS handshake, before any message.
class LinkParameters {
public:
    // The largest message either end accepts, and so the largest either end sends.
    static constexpr qint64 maxMessageSize = 1048576;
    // Idle time before TCP probes a silent link, so a vanished peer is noticed in seconds.
    static constexpr std::chrono::seconds keepAliveIdle{10};
    // The same identity for every code: the key alone tells the ends apart.
    static constexpr char pskIdentity[] = "quorvel";
    // TLS_PSK_WITH_AES_128_GCM_SHA256 (0x00A8) in OpenSSL's naming.
    static constexpr char cipherName[] = "PSK-AES128-GCM-SHA256";

    explicit LinkParameters(const PairingToken &code);

    // TLS 1.2 only, the one suite, no resumption, no tickets, no certificate checks.
    const QSslConfiguration &tls() const { return m_tls; }
    const QByteArray &preSharedKey() const { return m_preSharedKey; }

    // An accepted TCP socket of the host: keep-alive, the TLS settings and the key for the peer
    // that presents our identity. Encryption is started by the caller.
    void configureServerSocket(QSslSocket &socket) const;
    // A remote's socket before it opens: the TLS settings, the key, the WebSocket limits, and
    // keep-alive and no Nagle delay on its TCP connection as soon as that exists.
    void configureClientSocket(QWebSocket &socket) const;

    // The message limits of the link; both ends set them on every socket.
    static void applyMessageLimits(QWebSocket &socket);
    // Turns TCP keep-alive on with keepAliveIdle and Nagle's algorithm off; false when the
    // socket refuses the keep-alive time.
    static bool applyTcpOptions(QAbstractSocket &socket);

private:
    QSslConfiguration m_tls;
    QByteArray m_preSharedKey;
};

// The TLS settings of the link, without the key (the key is handed over when a handshake asks).
QSslConfiguration makeTLSOptions();
// The complete stack for one pairing code.
LinkParameters makeParameters(const PairingToken &code);

} // namespace Quorvel
