#include "QuorvelHostKit/Execution/EnvironmentBlock.h"

#include "QuorvelHostKit/Execution/ChildEnvironment.h"

#include <unistd.h>

namespace Quorvel {

bool EnvironmentBlock::isBuiltFrom(const char *const *own) const
{
    size_t i = 0;
    for (; own && own[i]; ++i) {
        if (i == m_source.size() || m_source[i] != own[i])
            return false;
    }
    return i == m_source.size();
}

char *const *EnvironmentBlock::current()
{
    QMutexLocker lock(&m_mutex);
    if (!m_pointers.empty() && isBuiltFrom(environ))
        return m_pointers.data();
    m_source.clear();
    for (char **entry = environ; entry && *entry; ++entry)
        m_source.push_back(*entry);
    m_entries = childEnvironment(environ);
    m_pointers.clear();
    for (QByteArray &entry : m_entries)
        m_pointers.push_back(entry.data());
    m_pointers.push_back(nullptr);
    return m_pointers.data();
}

} // namespace Quorvel
