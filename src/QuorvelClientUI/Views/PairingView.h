#pragma once

#include "QuorvelCore/Discovery/DiscoveredHost.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QLineEdit;
class QPushButton;

namespace Quorvel {

class ClientModel;
class PlainLabel;
class SymbolLabel;

// Asks for one host's pairing code and hands a well-formed one to the model, and says why the
// model asks, following it (the keyring's wait, its refusal, a refused code) wherever the view
// is. The field empties whenever the host changes, so a code typed for one host never goes to
// another. Whenever the view
// shows (opened, or back after a refused code) the field takes the focus with its text selected:
// the code is all the user has to type here, and a new one replaces the old.
class PairingView : public QWidget {
    Q_OBJECT
public:
    explicit PairingView(ClientModel *model, QWidget *parent = nullptr);

    // The host that asked, and why when there is a reason.
    void setHost(const DiscoveredHost &host, const std::optional<QString> &reason);
    const std::optional<DiscoveredHost> &host() const { return m_host; }

    // Submits the typed text when it parses as a pairing code; otherwise does nothing.
    void submit();

    QLineEdit *field() const { return m_field; }
    QPushButton *pairButton() const { return m_pair; }
    QString titleText() const;
    QString instructionText() const;
    // The reason as shown, empty while hidden.
    QString reasonText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refreshButton();
    void followStatus();

    QPointer<ClientModel> m_model;
    std::optional<DiscoveredHost> m_host;
    SymbolLabel *m_title;
    PlainLabel *m_instruction;
    QLineEdit *m_field;
    PlainLabel *m_reason;
    QPushButton *m_pair;
};

} // namespace Quorvel
