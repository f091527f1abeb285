#pragma once

#include <QByteArray>

#include <functional>

namespace Quorvel {

// Reads the reading end of one output pipe of a program to its end, keeping only the first
// bytes up to a cap: a program that writes more never blocks on a full pipe, and memory stays
// bounded. Main thread only.
class CappedPipeReader {
public:
    // Takes ownership of fd, which must be non-blocking; onFinished is called once the pipe
    // reached its end (every writer closed it).
    CappedPipeReader(int fd, qsizetype cap, std::function<void()> onFinished);
    ~CappedPipeReader();
    CappedPipeReader(const CappedPipeReader &) = delete;
    CappedPipeReader &operator=(const CappedPipeReader &) = delete;

    // True once the pipe reached its end or was closed.
    bool isFinished() const { return m_fd < 0; }
    // The first bytes read, at most the cap.
    QByteArray bytes() const { return m_bytes; }

    // Stops reading and closes the pipe; a writer that goes on gets a broken pipe.
    void close();

private:
    void readAvailable();

    int m_fd;
    qsizetype m_cap;
    QByteArray m_bytes;
    std::function<void()> m_onFinished;
};

} // namespace Quorvel
