#include "QuorvelHostKit/Execution/EnvironmentBlock.h"

#include "QuorvelHostKit/Execution/ChildEnvironment.h"

#include <unistd.h>

namespace Quorvel {

char *const *EnvironmentBlock::current()
{
    QMutexLocker lock(&m_mutex);
    std::vector<const char *> source;
    for (char **entry = environ; entry && *entry; ++entry)
        source.push_back(*entry);
    if (source != m_source || m_pointers.empty()) {
        m_source = std::move(source);
        m_entries = childEnvironment(environ);
        m_pointers.clear();
        for (QByteArray &entry : m_entries)
            m_pointers.push_back(entry.data());
        m_pointers.push_back(nullptr);
    }
    return m_pointers.data();
}

} // namespace Quorvel
