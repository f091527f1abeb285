#pragma once

#include "QuorvelCore/Discovery/DiscoveredHost.h"

#include <QHash>
#include <QObject>
#include <QPointer>

namespace Quorvel {

class ClientModel;

// Which listed hosts have a pairing code in the keyring. The keyring answers later, while a
// context menu must be built at once: this keeps the last answers and asks again whenever the
// host list or the connection changes.
class StoredCodeCache : public QObject {
    Q_OBJECT
public:
    explicit StoredCodeCache(ClientModel *model, QObject *parent = nullptr);

    bool hasCode(const DiscoveredHost &host) const { return m_hasCode.value(host.id, false); }
    // Asks the keyring again for every listed host.
    void refresh();

signals:
    void changed();

private:
    QPointer<ClientModel> m_model;
    QHash<QString, bool> m_hasCode;
    // Answers of an older round arrive late and are dropped.
    quint64 m_round = 0;
};

} // namespace Quorvel
