#pragma once

#include <QStringList>

namespace Quorvel {

// The symbols an action's icon is picked from, in the order they are offered.
class IconCatalog {
public:
    static const QStringList &symbols();
    // Symbols containing the search lower-cased (not trimmed); all of them for an empty search.
    static QStringList filtered(const QString &search);
};

} // namespace Quorvel
