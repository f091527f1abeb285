#include "Quorvel/Outside/LinkApprovals.h"

#include "QuorvelClientUI/ClientSettings.h"

#include <QCollator>
#include <QVariantMap>

#include <algorithm>

namespace Quorvel {

namespace {

const QString nameKey = QStringLiteral("name");
const QString allowedKey = QStringLiteral("allowed");

// By name in the user's language, ignoring case; equal names keep their order.
void sortByName(QList<LinkApprovals::Entry> &entries)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(),
                     [&collator](const LinkApprovals::Entry &a, const LinkApprovals::Entry &b) {
                         return collator.compare(a.name, b.name) < 0;
                     });
}

} // namespace

LinkApprovals::LinkApprovals(QObject *parent) : QObject(parent)
{
    const QVariant stored = openClientSettings()->value(settingsKey);
    if (stored.metaType().id() != QMetaType::QVariantMap)
        return;
    const QVariantMap apps = stored.toMap();
    for (auto it = apps.cbegin(); it != apps.cend(); ++it) {
        if (it.value().metaType().id() != QMetaType::QVariantMap)
            continue;
        const QVariantMap fields = it.value().toMap();
        const QVariant allowed = fields.value(allowedKey);
        if (allowed.metaType().id() != QMetaType::Bool)
            continue;
        const QVariant name = fields.value(nameKey);
        m_entries.append({it.key(),
                          name.metaType().id() == QMetaType::QString ? name.toString() : it.key(),
                          allowed.toBool()});
    }
    sortByName(m_entries);
}

std::optional<bool> LinkApprovals::decision(const QString &appID) const
{
    for (const Entry &entry : m_entries) {
        if (entry.appID == appID)
            return entry.allowed;
    }
    return std::nullopt;
}

void LinkApprovals::record(const QString &appID, const QString &name, bool allowed)
{
    m_entries.removeIf([&appID](const Entry &entry) { return entry.appID == appID; });
    m_entries.append({appID, name, allowed});
    sortAndSave();
}

void LinkApprovals::forget(const QString &appID)
{
    m_entries.removeIf([&appID](const Entry &entry) { return entry.appID == appID; });
    sortAndSave();
}

void LinkApprovals::sortAndSave()
{
    sortByName(m_entries);
    QVariantMap apps;
    for (const Entry &entry : m_entries)
        apps.insert(entry.appID, QVariantMap{{nameKey, entry.name}, {allowedKey, entry.allowed}});
    openClientSettings()->setValue(settingsKey, apps);
    emit entriesChanged();
}

} // namespace Quorvel
