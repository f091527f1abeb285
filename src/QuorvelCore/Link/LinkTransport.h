#pragma once

#include "QuorvelCore/Model/Message.h"

#include <QByteArray>
#include <QSslConfiguration>
#include <QString>

#include <functional>
#include <optional>

class QObject;
class QWebSocket;

namespace Quorvel {

// The negotiated version and suite as a user reads them, e.g. "TLS 1.2 / 0xA8".
QString tlsSummary(quint16 version, quint16 cipherSuite);
// The summary of a connection's TLS session; nothing before a session is negotiated.
std::optional<QString> tlsSummary(const QSslConfiguration &session);

// One message as the compact JSON text that travels in one WebSocket text message; nothing
// (with the reason in `error`) when it does not encode or when its encoding is larger than the
// peer accepts, which would close the link on its side.
std::optional<QString> encodeForLink(const Message &message, QString *error = nullptr);

// Reads every WebSocket message of `socket`, text and binary alike, as one Message each:
// onMessage gets those that decode (the others are dropped and reading goes on), and onEnd is
// called exactly once when the link ends, with the error when it did not end cleanly. Pings and
// pongs are the socket's own business. Both callbacks stop when `context` is destroyed.
void receiveMessages(QWebSocket *socket, QObject *context,
                     std::function<void(const Message &)> onMessage,
                     std::function<void(const std::optional<QString> &error)> onEnd);

} // namespace Quorvel
