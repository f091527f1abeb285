#pragma once

#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/PairingToken.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QRandomGenerator>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QtEndian>

#include <optional>

namespace Quorvel::LinkTest {

// A peer of the host link built by hand from a chosen source address (127.0.0.2 and on), for what
// HostConnection never does: holding a connection idle, dripping a handshake, using a wrong code,
// sending frames of its own choosing and no longer reading.
class RawLinkPeer {
public:
    explicit RawLinkPeer(const QHostAddress &source) : m_source(source)
    {
        QObject::connect(&m_socket, &QSslSocket::readyRead, &m_socket, [this] { read(); });
        QObject::connect(&m_socket, &QAbstractSocket::disconnected, &m_socket,
                         [this] { m_disconnected = true; });
    }

    // A TCP connection and nothing more.
    void connectPlain(quint16 port)
    {
        m_socket.bind(m_source);
        m_socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    }

    // TLS with the link's settings and `code` as its key.
    void connectTls(quint16 port, const PairingToken &code)
    {
        m_socket.setSslConfiguration(makeTLSOptions());
        QObject::connect(&m_socket, &QSslSocket::preSharedKeyAuthenticationRequired, &m_socket,
                         [key = code.pskData()](QSslPreSharedKeyAuthenticator *authenticator) {
                             authenticator->setIdentity(LinkParameters::pskIdentity);
                             authenticator->setPreSharedKey(key);
                         });
        QObject::connect(&m_socket, &QSslSocket::encrypted, &m_socket, [this] {
            m_encrypted = true;
            if (m_upgradeWhenEncrypted)
                writeUpgrade();
        });
        m_socket.bind(m_source);
        m_socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    }

    // TLS, then the WebSocket upgrade request as soon as TLS is up.
    void connectWebSocket(quint16 port, const PairingToken &code)
    {
        m_upgradeWhenEncrypted = true;
        connectTls(port, code);
    }

    // Bytes as they are, on the TCP connection (before or instead of TLS).
    void writeRaw(const QByteArray &bytes) { m_socket.write(bytes); }

    // One masked text frame, as a client sends it.
    void sendText(const QByteArray &payload)
    {
        QByteArray frame;
        frame.append(char(0x81));
        const qsizetype size = payload.size();
        if (size < 126) {
            frame.append(char(0x80 | size));
        } else if (size < 65536) {
            frame.append(char(0x80 | 126));
            frame.append(char(size >> 8)).append(char(size & 0xFF));
        } else {
            frame.append(char(0x80 | 127));
            for (int shift = 56; shift >= 0; shift -= 8)
                frame.append(char((quint64(size) >> shift) & 0xFF));
        }
        const quint32 mask = QRandomGenerator::global()->generate();
        char maskBytes[4];
        qToBigEndian(mask, maskBytes);
        frame.append(maskBytes, 4);
        for (qsizetype i = 0; i < size; ++i)
            frame.append(char(payload.at(i) ^ maskBytes[i % 4]));
        m_socket.write(frame);
    }

    // From now on this end takes no more bytes off the connection, so what the host sends piles
    // up in the kernel's buffers and then in the host.
    void stopReading()
    {
        m_reading = false;
        m_socket.setReadBufferSize(1);
    }

    bool isEncrypted() const { return m_encrypted; }
    bool isUpgraded() const { return m_upgraded; }
    bool isDisconnected() const { return m_disconnected; }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    const QList<QByteArray> &textMessages() const { return m_texts; }
    QSslSocket &socket() { return m_socket; }

private:
    void writeUpgrade()
    {
        m_socket.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                       "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                       "Sec-WebSocket-Version: 13\r\n\r\n");
    }

    void read()
    {
        if (!m_reading)
            return;
        m_buffer.append(m_socket.readAll());
        if (!m_upgraded) {
            const qsizetype end = m_buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            m_upgraded = m_buffer.startsWith("HTTP/1.1 101");
            m_buffer.remove(0, end + 4);
        }
        while (const std::optional<QByteArray> payload = takeFrame()) {
            m_texts.append(*payload);
        }
    }

    // One whole unmasked frame of the host off the buffer; control frames are skipped.
    std::optional<QByteArray> takeFrame()
    {
        while (m_buffer.size() >= 2) {
            const int opcode = m_buffer.at(0) & 0x0F;
            quint64 size = quint8(m_buffer.at(1)) & 0x7F;
            qsizetype header = 2;
            if (size == 126) {
                if (m_buffer.size() < 4)
                    return std::nullopt;
                size = qFromBigEndian<quint16>(m_buffer.constData() + 2);
                header = 4;
            } else if (size == 127) {
                if (m_buffer.size() < 10)
                    return std::nullopt;
                size = qFromBigEndian<quint64>(m_buffer.constData() + 2);
                header = 10;
            }
            if (quint64(m_buffer.size() - header) < size)
                return std::nullopt;
            QByteArray payload = m_buffer.mid(header, qsizetype(size));
            m_buffer.remove(0, header + qsizetype(size));
            if (opcode == 0x1)
                return payload;
        }
        return std::nullopt;
    }

    QHostAddress m_source;
    QSslSocket m_socket;
    QByteArray m_buffer;
    QList<QByteArray> m_texts;
    bool m_upgradeWhenEncrypted = false;
    bool m_encrypted = false;
    bool m_upgraded = false;
    bool m_disconnected = false;
    bool m_reading = true;
};

} // namespace Quorvel::LinkTest
