#pragma once

#include "Knobwire/Limits.h"
#include "Knobwire/Message.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;

namespace Knobwire {

// One conversation of the app-control protocol over loopback TCP: newline-delimited JSON with
// fixed safety limits. It frames the byte stream into lines, bounds their length, decodes each
// line and hands it to its owner, answers an unreadable line with an error line before it
// closes, bounds what may wait to be written, and reports its end exactly once.
//
// Everything runs on the thread that owns it (the main thread). The owner may send, fail,
// cancel or even destroy the connection from inside any of its callbacks.
class LineConnection : public QObject {
    Q_OBJECT

public:
    // Wraps an accepted socket and takes it over (it no longer belongs to its server). Nothing
    // is started.
    explicit LineConnection(QTcpSocket *connection);
    // Cancels the network connection, unless it is in its grace after an error line (the grace
    // then owns it).
    ~LineConnection() override;

    // A connection to 127.0.0.1 on `port`, made when started.
    static std::unique_ptr<LineConnection> connect(quint16 port);

    // Called when the connection becomes ready, before the first read.
    std::function<void()> onReady;
    // Called for each decoded line, in order of arrival.
    std::function<void(const Message &)> onMessage;
    // Called once when the connection closes, whatever closed it.
    std::function<void()> onClose;
    // Longest accepted line in bytes, without its line feed. May be changed at any time, also
    // from inside onMessage; every later check uses the new value.
    qsizetype maxLine = Limits::maxLine;

    // Starts the connection from the event loop, so no callback runs inside start() itself.
    // Later calls do nothing.
    void start();
    // Writes one message as one line. A closed connection drops it; a connection with more than
    // Limits::maxQueuedSends writes or Limits::maxQueuedBytes bytes in flight is cancelled.
    void send(const Message &message);
    // Sends `text` as an error line and closes: onClose runs before this returns, while the peer
    // gets up to half a second to read the line before the network connection is cancelled.
    void fail(const QString &text);
    // Marks the connection closed, drops the buffer and the callbacks, and calls onClose. It
    // does not cancel the network connection; cancel() does both.
    void close();
    // Cancels the network connection at once, without an error line, and closes.
    void cancel();

    bool closed() const { return m_closed; }

    // Connections of this process that are in their grace after an error line.
    static int gracefulCloses();

private:
    void begin();
    void handleConnected();
    void handleReadable();
    void handleEnd();
    void handleWritten(qint64 bytes);
    // Runs the received chunk through the line scanner; false when the connection closed (or
    // was destroyed) while doing so.
    bool handleData(const QByteArray &chunk);
    // Frees the socket: no handler of this object runs for it any more.
    QTcpSocket *detachSocket();
    QString lengthText() const;

    QTcpSocket *m_connection = nullptr;
    // The port to connect to when started; none for an accepted connection.
    std::optional<quint16> m_port;
    QByteArray m_buffer;
    // Bytes at the start of m_buffer already known to hold no line feed.
    qsizetype m_scanned = 0;
    // Unwritten bytes of each write in flight, oldest first; the front one may be partly written.
    std::deque<qint64> m_inFlight;
    qsizetype m_queued = 0;
    qsizetype m_queuedBytes = 0;
    bool m_started = false;
    bool m_reading = false;
    bool m_closed = false;
};

} // namespace Knobwire
