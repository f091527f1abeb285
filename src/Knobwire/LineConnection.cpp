#include "Knobwire/LineConnection.h"

#include "Knobwire/GracefulClose.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

// Largest chunk taken from the socket at once; also the most the socket buffers before it is
// read, so a fast sender cannot fill memory between two reads.
constexpr qint64 readChunk = 65536;
// Connections allowed in their grace at once; beyond it an error line ends the connection at
// once, so that a flood of bad peers cannot hold sockets open.
constexpr int maxGracefulCloses = 32;

bool isBlank(QByteArrayView line)
{
    return std::all_of(line.begin(), line.end(),
                       [](char byte) { return byte == ' ' || byte == '\t' || byte == '\r'; });
}

} // namespace

LineConnection::LineConnection(QTcpSocket *connection) : m_connection(connection)
{
    m_connection->setParent(nullptr);
    m_connection->setReadBufferSize(readChunk);
}

LineConnection::~LineConnection()
{
    if (QTcpSocket *socket = detachSocket()) {
        socket->abort();
        socket->deleteLater();
    }
}

std::unique_ptr<LineConnection> LineConnection::connect(quint16 port)
{
    auto connection = std::make_unique<LineConnection>(new QTcpSocket);
    connection->m_port = port;
    return connection;
}

int LineConnection::gracefulCloses()
{
    return GracefulClose::inGrace();
}

void LineConnection::start()
{
    if (m_started) {
        return;
    }
    m_started = true;
    QMetaObject::invokeMethod(this, &LineConnection::begin, Qt::QueuedConnection);
}

void LineConnection::begin()
{
    if (m_closed || !m_connection) {
        return;
    }
    QObject::connect(m_connection, &QTcpSocket::connected, this, &LineConnection::handleConnected);
    QObject::connect(m_connection, &QTcpSocket::readyRead, this, &LineConnection::handleReadable);
    QObject::connect(m_connection, &QTcpSocket::bytesWritten, this, &LineConnection::handleWritten);
    QObject::connect(m_connection, &QTcpSocket::disconnected, this, &LineConnection::handleEnd);
    QObject::connect(m_connection, &QTcpSocket::errorOccurred, this, &LineConnection::handleEnd);
    if (m_port) {
        m_connection->connectToHost(QHostAddress(QHostAddress::LocalHost), *m_port);
        return;
    }
    // A peer may send its lines and hang up before this start: its connection was ready all the
    // same, and what it sent is still read before the end.
    const bool connected = m_connection->state() == QAbstractSocket::ConnectedState;
    if (connected || m_connection->bytesAvailable() > 0) {
        const QPointer<LineConnection> self(this);
        handleConnected();
        if (!self || connected) {
            return;
        }
    }
    handleEnd();
}

void LineConnection::handleConnected()
{
    if (m_closed) {
        return;
    }
    m_reading = true;
    if (onReady) {
        const QPointer<LineConnection> self(this);
        const auto ready = onReady;
        ready();
        if (!self || m_closed) {
            return;
        }
    }
    handleReadable();
}

void LineConnection::handleReadable()
{
    if (!m_reading) {
        return;
    }
    while (!m_closed && m_connection && m_connection->bytesAvailable() > 0) {
        const QByteArray chunk = m_connection->read(readChunk);
        if (chunk.isEmpty() || !handleData(chunk)) {
            return;
        }
    }
}

void LineConnection::handleEnd()
{
    if (m_closed) {
        return;
    }
    const QPointer<LineConnection> self(this);
    handleReadable();
    if (self && !m_closed) {
        cancel();
    }
}

void LineConnection::handleWritten(qint64 bytes)
{
    while (bytes > 0 && !m_inFlight.empty()) {
        qint64 &front = m_inFlight.front();
        const qint64 taken = std::min(front, bytes);
        front -= taken;
        bytes -= taken;
        m_queuedBytes -= taken;
        if (front == 0) {
            m_inFlight.pop_front();
            --m_queued;
        }
    }
}

bool LineConnection::handleData(const QByteArray &chunk)
{
    m_buffer.append(chunk);
    if (m_closed) {
        return false;
    }
    const QPointer<LineConnection> self(this);
    qsizetype start = 0;
    while (true) {
        const qsizetype feed = m_buffer.indexOf('\n', std::max(start, m_scanned));
        if (feed < 0) {
            m_buffer.remove(0, start);
            m_scanned = m_buffer.size();
            if (m_buffer.size() > maxLine) {
                fail(lengthText());
                return false;
            }
            return true;
        }
        const QByteArrayView line(m_buffer.constData() + start, feed - start);
        start = feed + 1;
        if (line.size() > maxLine) {
            fail(lengthText());
            return false;
        }
        if (isBlank(line) || !onMessage) {
            continue;
        }
        std::optional<Message::Decoded> decoded;
        try {
            decoded = Message::decode(line);
        } catch (const std::exception &) {
            fail(u"Unreadable line"_s);
            return false;
        }
        if (const auto *error = std::get_if<Message::DecodeError>(&*decoded)) {
            fail(error->description);
            return false;
        }
        const auto handler = onMessage;
        handler(std::get<Message>(*decoded));
        if (!self || m_closed) {
            return false;
        }
    }
}

QString LineConnection::lengthText() const
{
    return maxLine < Limits::maxLine ? u"Send hello first"_s : u"A line longer than 1 MB"_s;
}

void LineConnection::send(const Message &message)
{
    if (m_closed || !m_connection) {
        return;
    }
    const QByteArray line = message.encodeLine();
    const qint64 size = line.size();
    if (m_queued >= Limits::maxQueuedSends || m_queuedBytes + size > Limits::maxQueuedBytes) {
        cancel();
        return;
    }
    if (m_connection->write(line) != size) {
        return;
    }
    m_inFlight.push_back(size);
    ++m_queued;
    m_queuedBytes += size;
}

void LineConnection::fail(const QString &text)
{
    if (m_closed) {
        return;
    }
    const QByteArray line = Message::error(text).encodeLine();
    if (QTcpSocket *socket = detachSocket()) {
        if (GracefulClose::inGrace() >= maxGracefulCloses) {
            socket->write(line);
            socket->flush();
            socket->abort();
            socket->deleteLater();
        } else {
            GracefulClose::begin(socket, line);
        }
    }
    close();
}

void LineConnection::close()
{
    if (m_closed) {
        return;
    }
    m_closed = true;
    m_buffer.clear();
    m_scanned = 0;
    if (m_connection) {
        QObject::disconnect(m_connection, nullptr, this, nullptr);
    }
    const auto closeHandler = std::move(onClose);
    onClose = nullptr;
    onMessage = nullptr;
    onReady = nullptr;
    if (closeHandler) {
        closeHandler();
    }
}

void LineConnection::cancel()
{
    if (m_closed) {
        return;
    }
    if (QTcpSocket *socket = detachSocket()) {
        socket->abort();
        socket->deleteLater();
    }
    close();
}

QTcpSocket *LineConnection::detachSocket()
{
    QTcpSocket *socket = m_connection;
    if (socket) {
        QObject::disconnect(socket, nullptr, this, nullptr);
    }
    m_connection = nullptr;
    return socket;
}

} // namespace Knobwire
