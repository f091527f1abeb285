#pragma once

#include <QByteArrayList>
#include <QString>

namespace Quorvel {

// The pairing secret may be given to the host through its environment under this name; no
// program the host starts may read it.
inline const QString secretEnvironmentVariable = QStringLiteral("QUORVEL_TOKEN");

// The environment of an action's or check's program, as "NAME=value" entries: this
// application's own (own is an environ-style list), except that PATH never has an empty element
// (which would search the working directory) and gains the usual folders of locally installed
// tools, and that the pairing secret is never handed on.
QByteArrayList childEnvironment(const char *const *own);

} // namespace Quorvel
