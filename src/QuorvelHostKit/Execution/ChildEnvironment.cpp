#include "QuorvelHostKit/Execution/ChildEnvironment.h"

#include <QList>

namespace Quorvel {

namespace {

// The search path of a session that sets none, as Debian's login shells start with.
const QByteArrayList defaultPath{"/usr/local/bin", "/usr/bin", "/bin"};

// Folders where hand-installed tools live, searched after everything the session names.
const QByteArrayList appendedPath{"/opt/homebrew/bin", "/usr/local/bin"};

const QByteArray pathPrefix = QByteArrayLiteral("PATH=");

QByteArray searchPath(const QByteArray &inherited)
{
    QByteArrayList folders;
    for (const QByteArray &folder : inherited.split(':')) {
        if (!folder.isEmpty())
            folders.append(folder);
    }
    if (folders.isEmpty())
        folders = defaultPath;
    for (const QByteArray &folder : appendedPath) {
        if (!folders.contains(folder))
            folders.append(folder);
    }
    return folders.join(':');
}

} // namespace

QByteArrayList childEnvironment(const char *const *own)
{
    const QByteArray secretPrefix = secretEnvironmentVariable.toLatin1() + '=';
    QByteArrayList environment;
    QByteArray inheritedPath;
    for (const char *const *entry = own; entry && *entry; ++entry) {
        const QByteArray variable(*entry);
        if (variable.startsWith(secretPrefix))
            continue;
        if (variable.startsWith(pathPrefix))
            inheritedPath = variable.mid(pathPrefix.size());
        else
            environment.append(variable);
    }
    environment.append(pathPrefix + searchPath(inheritedPath));
    return environment;
}

} // namespace Quorvel
