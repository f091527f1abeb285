#include "QuorvelClientUI/Views/Editor/CatalogFilter.h"

#include <QCoreApplication>

namespace Quorvel {

namespace {

bool isTrimmedSpace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

QString CatalogFilter::trimmed(const QString &search)
{
    qsizetype start = 0;
    qsizetype end = search.size();
    while (start < end && isTrimmedSpace(search.at(start)))
        ++start;
    while (end > start && isTrimmedSpace(search.at(end - 1)))
        --end;
    return search.mid(start, end - start);
}

QStringList CatalogFilter::listed(const QStringList &items, const QString &selection,
                                  const QString &search)
{
    const QString query = trimmed(search).toLower();
    if (!query.isEmpty()) {
        QStringList found;
        for (const QString &item : items) {
            if (item.toLower().contains(query))
                found.append(item);
        }
        return found;
    }
    if (selection.isEmpty() || !items.contains(selection))
        return items;
    QStringList ordered{selection};
    for (const QString &item : items) {
        if (item != selection)
            ordered.append(item);
    }
    return ordered;
}

std::optional<QString> CatalogFilter::offer(const QStringList &items, const QString &search)
{
    const QString typed = trimmed(search);
    if (typed.isEmpty() || items.contains(typed, Qt::CaseInsensitive))
        return std::nullopt;
    return typed;
}

QString CatalogFilter::offerLabel(const QString &name)
{
    return QCoreApplication::translate("CatalogPicker", "Use \u201C%1\u201D").arg(name);
}

QString CatalogFilter::countText(int listed, int total, const QString &search)
{
    if (search.isEmpty())
        return QString();
    return QCoreApplication::translate("CatalogPicker", "%1 of %2").arg(listed).arg(total);
}

} // namespace Quorvel
