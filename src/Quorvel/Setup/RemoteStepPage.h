#pragma once

#include <QString>
#include <QWidget>

#include <optional>

namespace Quorvel {

class AppState;
class PairingView;
class SymbolLabel;

// The set-up's page for the remote role. While it is off: how hosts are found. Once it is on:
// the search, the code entry or the connection, as the shared client model stands when the page
// is made.
class RemoteStepPage : public QWidget {
    Q_OBJECT

public:
    explicit RemoteStepPage(AppState &app, QWidget *parent = nullptr);

    // The code entry, while the model needs a code.
    PairingView *pairingView() const { return m_pairing; }
    // "Connected to …", while connected.
    SymbolLabel *connectedLabel() const { return m_connected; }
    // The line under it; empty while the deck has not arrived.
    QString deckLine() const { return m_deckLine; }

    // What the page says of a connected host's deck: none without a deck.
    static std::optional<QString> deckSentence(std::optional<int> actionCount);

private:
    PairingView *m_pairing = nullptr;
    SymbolLabel *m_connected = nullptr;
    QString m_deckLine;
};

} // namespace Quorvel
