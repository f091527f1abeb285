#include "QuorvelClientUI/Views/StoredCodeCache.h"

#include "QuorvelClientUI/ClientModel.h"

namespace Quorvel {

StoredCodeCache::StoredCodeCache(ClientModel *model, QObject *parent)
    : QObject(parent), m_model(model)
{
    if (m_model) {
        connect(m_model, &ClientModel::hostsChanged, this, &StoredCodeCache::refresh);
        connect(m_model, &ClientModel::statusChanged, this, &StoredCodeCache::refresh);
    }
    refresh();
}

void StoredCodeCache::refresh()
{
    if (!m_model) {
        return;
    }
    const quint64 round = ++m_round;
    for (const DiscoveredHost &host : m_model->hosts()) {
        // The model outlives a read it began; this cache may not.
        QPointer<StoredCodeCache> self(this);
        m_model->storedCode(host, [self, round, id = host.id](std::optional<PairingToken> code) {
            if (!self || round != self->m_round)
                return;
            const bool has = code.has_value();
            if (self->m_hasCode.value(id, !has) != has) {
                self->m_hasCode.insert(id, has);
                emit self->changed();
            }
        });
    }
}

} // namespace Quorvel
