#pragma once

#include <QString>

namespace Quorvel::SchemeHandler {

// Makes the desktop entry at entryPath the default handler of links of the scheme, unless some
// application already is (the user's choice stays). Without it, desktops that keep no
// mimeinfo.cache for the user's own entries do not know where such links go. True when the
// scheme has a handler afterwards.
bool claimIfUnclaimed(const QString &scheme, const QString &entryPath);

} // namespace Quorvel::SchemeHandler
