#include "QuorvelHostKit/Execution/CappedPipeReader.h"

#include "QuorvelHostKit/Execution/DescriptorWatcher.h"

#include <array>
#include <cerrno>
#include <unistd.h>

namespace Quorvel {

namespace {
// One read takes at most a full pipe buffer's worth; the event loop gets its turn between reads,
// so a program that writes without pause cannot hold the main thread.
constexpr size_t chunkSize = 64 * 1024;
} // namespace

CappedPipeReader::CappedPipeReader(int fd, qsizetype cap, std::function<void()> onFinished)
    : m_fd(fd), m_cap(cap), m_onFinished(std::move(onFinished))
{
    if (!DescriptorWatcher::instance().watch(m_fd, [this] { readAvailable(); }))
        close();
}

CappedPipeReader::~CappedPipeReader()
{
    close();
}

void CappedPipeReader::close()
{
    if (m_fd < 0)
        return;
    DescriptorWatcher::instance().unwatch(m_fd);
    ::close(m_fd);
    m_fd = -1;
}

void CappedPipeReader::readAvailable()
{
    if (m_fd < 0)
        return;
    std::array<char, chunkSize> chunk;
    ssize_t count;
    do {
        count = ::read(m_fd, chunk.data(), chunk.size());
    } while (count < 0 && errno == EINTR);

    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    // A read error ends the stream as end of file does: nothing more can come from it.
    if (count <= 0) {
        close();
        m_onFinished();
        return;
    }
    const qsizetype room = m_cap - m_bytes.size();
    if (room > 0)
        m_bytes.append(chunk.data(), std::min<qsizetype>(room, count));
}

} // namespace Quorvel
