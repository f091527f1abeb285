#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// What the catalog picker lists for a search: the names that contain it, or with no search every
// name with the picked one first; and the offer to use a typed name the list lacks.
class CatalogFilter {
public:
    // The search without spaces and tabs at either end (line breaks stay).
    static QString trimmed(const QString &search);
    static QStringList listed(const QStringList &items, const QString &selection,
                              const QString &search);
    // The typed name to offer, when it is not empty and no item equals it ignoring case.
    static std::optional<QString> offer(const QStringList &items, const QString &search);
    // The label of the offer row: Use “name”.
    static QString offerLabel(const QString &name);
    // "k of n", shown while the search (as typed) is not empty; otherwise empty.
    static QString countText(int listed, int total, const QString &search);
};

} // namespace Quorvel
