#include "Knobwire/GracefulClose.h"

#include <QTcpSocket>

#include <sys/socket.h>

namespace Knobwire {

namespace {

// Time the peer gets to read the error line before the connection is cancelled.
constexpr auto defaultGracePeriod = std::chrono::milliseconds(500);

// Touched on the main thread only, like every line connection.
int inGraceCount = 0;
std::chrono::milliseconds currentGracePeriod = defaultGracePeriod;

} // namespace

void GracefulClose::begin(QTcpSocket *connection, const QByteArray &line)
{
    new GracefulClose(connection, line);
}

int GracefulClose::inGrace()
{
    return inGraceCount;
}

std::chrono::milliseconds GracefulClose::gracePeriod()
{
    return currentGracePeriod;
}

void GracefulClose::setGracePeriod(std::chrono::milliseconds period)
{
    currentGracePeriod = period;
}

GracefulClose::GracefulClose(QTcpSocket *connection, const QByteArray &line)
    : m_connection(connection)
{
    ++inGraceCount;
    m_connection->setParent(this);
    connect(m_connection, &QTcpSocket::bytesWritten, this, &GracefulClose::shutDownWhenWritten);
    connect(m_connection, &QTcpSocket::readyRead, this, &GracefulClose::drain);
    connect(m_connection, &QTcpSocket::disconnected, this, &GracefulClose::cancelConnection);
    connect(m_connection, &QTcpSocket::errorOccurred, this, &GracefulClose::cancelConnection);
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this, &GracefulClose::finish);
    m_grace.start(currentGracePeriod);
    if (m_connection->state() != QAbstractSocket::ConnectedState) {
        cancelConnection();
        return;
    }
    m_connection->write(line);
    shutDownWhenWritten();
    drain();
}

GracefulClose::~GracefulClose() = default;

void GracefulClose::shutDownWhenWritten()
{
    if (m_shutDown || m_connection->state() != QAbstractSocket::ConnectedState ||
        m_connection->bytesToWrite() > 0) {
        return;
    }
    m_shutDown = true;
    ::shutdown(int(m_connection->socketDescriptor()), SHUT_WR);
}

void GracefulClose::drain()
{
    m_connection->skip(m_connection->bytesAvailable());
}

void GracefulClose::cancelConnection()
{
    disconnect(m_connection, nullptr, this, nullptr);
    m_connection->abort();
}

void GracefulClose::finish()
{
    cancelConnection();
    --inGraceCount;
    deleteLater();
}

} // namespace Knobwire
