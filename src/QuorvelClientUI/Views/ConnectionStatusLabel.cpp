#include "QuorvelClientUI/Views/ConnectionStatusLabel.h"

#include "QuorvelClientUI/ClientModel.h"
#include "Widgets/SymbolLabel.h"

#include <QVBoxLayout>

namespace Quorvel {

ConnectionStatusLabel::ConnectionStatusLabel(ClientModel *model, QWidget *parent)
    : QWidget(parent), m_model(model),
      m_label(new SymbolLabel({}, {}, TextStyle::caption, StatusTone::secondary, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    m_label->textLabel()->setWrapping();
    if (m_model) {
        for (auto signal :
             {&ClientModel::statusChanged, &ClientModel::isOfflineChanged,
              &ClientModel::searchIsTakingLongChanged, &ClientModel::rememberedHostNameChanged,
              &ClientModel::hostsChanged, &ClientModel::preferredHostKeyChanged}) {
            connect(m_model, signal, this, &ConnectionStatusLabel::refresh);
        }
    }
    refresh();
}

RemoteViewRules::StatusInputs ConnectionStatusLabel::inputsOf(const ClientModel &model)
{
    RemoteViewRules::StatusInputs inputs;
    inputs.status = model.status();
    inputs.isOffline = model.isOffline();
    inputs.isWaitingForRememberedHost = model.isWaitingForRememberedHost();
    inputs.searchIsTakingLong = model.searchIsTakingLong();
    inputs.rememberedHostName = model.rememberedHostName();
    return inputs;
}

void ConnectionStatusLabel::refresh()
{
    if (!m_model) {
        return;
    }
    m_line = RemoteViewRules::statusLine(inputsOf(*m_model));
    m_label->set(m_line.symbol, m_line.text, m_line.tone);
}

} // namespace Quorvel
