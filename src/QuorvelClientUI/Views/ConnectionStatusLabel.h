#pragma once

#include "QuorvelClientUI/Views/RemoteViewRules.h"

#include <QPointer>
#include <QWidget>

namespace Quorvel {

class ClientModel;
class SymbolLabel;

// The remote's one-line status: where the connection stands, with a symbol and a colour.
class ConnectionStatusLabel : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionStatusLabel(ClientModel *model, QWidget *parent = nullptr);

    RemoteViewRules::StatusLine line() const { return m_line; }
    // What the model's values make of it now.
    static RemoteViewRules::StatusInputs inputsOf(const ClientModel &model);

private:
    void refresh();

    QPointer<ClientModel> m_model;
    SymbolLabel *m_label;
    RemoteViewRules::StatusLine m_line;
};

} // namespace Quorvel
