#pragma once

#include <QByteArrayList>
#include <QMutex>

#include <vector>

namespace Quorvel {

// The environment handed to every program the host starts, as an envp array, built from this
// process's environment by childEnvironment(). Building it copies every variable; a status check
// that runs every few seconds would spend more on that than on starting its program, so the
// block is kept and built again only when the environment changed (setenv and unsetenv always
// change the entries of environ).
class EnvironmentBlock {
public:
    // The block for the current environment; valid until the next call.
    char *const *current();

private:
    // Whether the block was built from exactly these entries of an environ-style list.
    bool isBuiltFrom(const char *const *own) const;

    QMutex m_mutex;
    std::vector<const char *> m_source;
    QByteArrayList m_entries;
    std::vector<char *> m_pointers;
};

} // namespace Quorvel
