#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>

class QTcpSocket;

namespace Knobwire {

// The end of a connection after an error line: the line is written, the sending direction is
// shut so the peer reads it and then an end of stream, and whatever the peer still sends is read
// and thrown away (closing with unread data would reset the connection and could destroy the
// line at the peer). The connection is cancelled when the peer closes, or after the grace.
class GracefulClose : public QObject {
    Q_OBJECT

public:
    // Takes over the socket, writes `line` and frees itself when the grace ends.
    static void begin(QTcpSocket *connection, const QByteArray &line);

    // Connections of this process in their grace.
    static int inGrace();

    // How long the peer gets to read the error line; tests stretch it to show that the peer's
    // end of stream comes from the half-close, not from the cancel.
    static std::chrono::milliseconds gracePeriod();
    static void setGracePeriod(std::chrono::milliseconds period);

private:
    GracefulClose(QTcpSocket *connection, const QByteArray &line);
    ~GracefulClose() override;

    void shutDownWhenWritten();
    void drain();
    void cancelConnection();
    void finish();

    QTcpSocket *m_connection;
    QTimer m_grace;
    bool m_shutDown = false;
};

} // namespace Knobwire
