#pragma once

#include "QuorvelClientUI/Editor/DeckEditorClient.h"

namespace Quorvel {

class ClientModel;

// The deck editor's view of a real client model: every value and request passes straight through.
class ClientModelEditorClient : public DeckEditorClient {
    Q_OBJECT

public:
    // The model must outlive this adapter.
    explicit ClientModelEditorClient(ClientModel &model, QObject *parent = nullptr);

    ClientConnectionStatus status() const override;
    std::optional<Deck> deck() const override;
    std::optional<HostInfo> hostInfo() const override;
    std::optional<HostCatalog> catalog() const override;
    bool canEditDeck() const override;

    void updateDeck(const Deck &deck, QObject *context,
                    std::function<void(QStringList)> onDone) override;
    void test(const Action &action, QObject *context,
              std::function<void(ClientTestOutcome)> onDone) override;
    void check(const StatusCheck &statusCheck, QObject *context,
               std::function<void(ClientTestOutcome)> onDone) override;
    void requestCatalog() override;

private:
    ClientModel &m_model;
};

} // namespace Quorvel
