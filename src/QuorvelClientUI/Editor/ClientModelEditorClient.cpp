#include "QuorvelClientUI/Editor/ClientModelEditorClient.h"

#include "QuorvelClientUI/ClientModel.h"

namespace Quorvel {

ClientModelEditorClient::ClientModelEditorClient(ClientModel &model, QObject *parent)
    : DeckEditorClient(parent), m_model(model)
{
    connect(&model, &ClientModel::statusChanged, this, &DeckEditorClient::statusChanged);
    connect(&model, &ClientModel::deckChanged, this, &DeckEditorClient::deckChanged);
    connect(&model, &ClientModel::hostInfoChanged, this, &DeckEditorClient::hostInfoChanged);
    connect(&model, &ClientModel::catalogChanged, this, &DeckEditorClient::catalogChanged);
}

ClientConnectionStatus ClientModelEditorClient::status() const
{
    return m_model.status();
}

std::optional<Deck> ClientModelEditorClient::deck() const
{
    return m_model.deck();
}

std::optional<HostInfo> ClientModelEditorClient::hostInfo() const
{
    return m_model.hostInfo();
}

std::optional<HostCatalog> ClientModelEditorClient::catalog() const
{
    return m_model.catalog();
}

bool ClientModelEditorClient::canEditDeck() const
{
    return m_model.canEditDeck();
}

void ClientModelEditorClient::updateDeck(const Deck &deck, QObject *context,
                                         std::function<void(QStringList)> onDone)
{
    m_model.updateDeck(deck, context, std::move(onDone));
}

void ClientModelEditorClient::test(const Action &action, QObject *context,
                                   std::function<void(ClientTestOutcome)> onDone)
{
    m_model.test(action, context, std::move(onDone));
}

void ClientModelEditorClient::check(const StatusCheck &statusCheck, QObject *context,
                                    std::function<void(ClientTestOutcome)> onDone)
{
    m_model.check(statusCheck, context, std::move(onDone));
}

void ClientModelEditorClient::requestCatalog()
{
    m_model.requestCatalog();
}

} // namespace Quorvel
