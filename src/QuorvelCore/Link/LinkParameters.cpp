#include "QuorvelCore/Link/LinkParameters.h"

#include "QuorvelCore/Model/PairingToken.h"

#include <QSslCipher>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QWebSocket>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace Quorvel {

namespace {

void answerPreSharedKey(QSslPreSharedKeyAuthenticator *authenticator, const QByteArray &key)
{
    authenticator->setIdentity(LinkParameters::pskIdentity);
    authenticator->setPreSharedKey(key);
}

} // namespace

LinkParameters::LinkParameters(const PairingToken &code)
    : m_tls(makeTLSOptions()), m_preSharedKey(code.pskData())
{}

void LinkParameters::configureServerSocket(QSslSocket &socket) const
{
    applyTcpOptions(socket);
    socket.setSslConfiguration(m_tls);
    QObject::connect(&socket, &QSslSocket::preSharedKeyAuthenticationRequired, &socket,
                     [key = m_preSharedKey](QSslPreSharedKeyAuthenticator *authenticator) {
                         // A peer naming another identity gets no key, so its handshake fails.
                         if (authenticator->identity() == LinkParameters::pskIdentity)
                             answerPreSharedKey(authenticator, key);
                     });
}

void LinkParameters::configureClientSocket(QWebSocket &socket) const
{
    socket.setSslConfiguration(m_tls);
    applyMessageLimits(socket);
    QObject::connect(&socket, &QWebSocket::preSharedKeyAuthenticationRequired, &socket,
                     [key = m_preSharedKey](QSslPreSharedKeyAuthenticator *authenticator) {
                         answerPreSharedKey(authenticator, key);
                     });
    // QWebSocket makes its TCP socket inside open() as its own child and offers no other way to
    // reach it; its descriptor exists once that socket has connected.
    QObject::connect(
        &socket, &QWebSocket::stateChanged, &socket, [&socket](QAbstractSocket::SocketState state) {
            if (state != QAbstractSocket::ConnectingState)
                return;
            auto *tcp = socket.findChild<QAbstractSocket *>(QString(), Qt::FindDirectChildrenOnly);
            if (tcp)
                QObject::connect(tcp, &QAbstractSocket::connected, tcp,
                                 [tcp] { applyTcpOptions(*tcp); });
        });
}

void LinkParameters::applyMessageLimits(QWebSocket &socket)
{
    socket.setMaxAllowedIncomingMessageSize(maxMessageSize);
    socket.setMaxAllowedIncomingFrameSize(maxMessageSize);
    // One frame per message: the peer never has to join fragments of ours.
    socket.setOutgoingFrameSize(maxMessageSize);
}

bool LinkParameters::applyTcpOptions(QAbstractSocket &socket)
{
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    // Messages are small and often follow each other (a busy state, then the result): with
    // Nagle's algorithm the second waits for the peer's delayed acknowledgement, about 40 ms.
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const qintptr descriptor = socket.socketDescriptor();
    if (descriptor < 0)
        return false;
    const int idleSeconds = int(keepAliveIdle.count());
    return ::setsockopt(int(descriptor), IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds,
                        sizeof idleSeconds) == 0;
}

QSslConfiguration makeTLSOptions()
{
    QSslConfiguration tls;
    // Left at "1.2 or later", OpenSSL picks 1.3, where these PSK callbacks never run.
    tls.setProtocol(QSsl::TlsV1_2);
    tls.setCiphers({QSslCipher(QString::fromLatin1(LinkParameters::cipherName))});
    tls.setSslOption(QSsl::SslOptionDisableSessionTickets, true);
    tls.setSslOption(QSsl::SslOptionDisableSessionPersistence, true);
    tls.setSslOption(QSsl::SslOptionDisableSessionSharing, true);
    // There is no certificate: the key authenticates the host.
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

LinkParameters makeParameters(const PairingToken &code)
{
    return LinkParameters(code);
}

} // namespace Quorvel
