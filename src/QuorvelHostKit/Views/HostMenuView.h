#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>

class QPushButton;
class QVBoxLayout;

namespace Quorvel {

class DeckEditingView;
class Divider;
class ElidedLabel;
class HostControlRow;
class HostCoordinator;
class LocalNetworkStatusView;
class PairingCodeView;
class PlainLabel;
class SymbolLabel;

// The host's whole panel: the deck, the listener, the devices, whether devices can see this
// computer, the pairing code, each action with its live state, the last log line, the editing
// switch and the deck file's path; with showsQuit also its own frame and a Quit button.
class HostMenuView : public QWidget {
    Q_OBJECT
public:
    HostMenuView(HostCoordinator *coordinator, bool showsQuit, QWidget *parent = nullptr);

    // For tests and the gallery.
    QString deckTitle() const;
    QString clientCountText() const;
    QList<HostControlRow *> rows() const;
    bool showsLastLog() const;
    QString actionsFileText() const;
    PairingCodeView *pairingCodeView() const { return m_pairingCode; }
    DeckEditingView *deckEditingView() const { return m_deckEditing; }
    QPushButton *quitButton() const { return m_quit; }

signals:
    // After the coordinator was stopped: the window around it ends the application.
    void quitRequested();

private:
    void rebuildRows();
    void refreshStates();
    void refreshHeader();

    QPointer<HostCoordinator> m_coordinator;
    SymbolLabel *m_deckName;
    PlainLabel *m_listener;
    PlainLabel *m_clients;
    LocalNetworkStatusView *m_localNetwork;
    PairingCodeView *m_pairingCode;
    QWidget *m_rowsBox;
    QVBoxLayout *m_rowsLayout;
    QHash<QString, HostControlRow *> m_rows;
    Divider *m_logDivider;
    PlainLabel *m_lastLog;
    DeckEditingView *m_deckEditing;
    ElidedLabel *m_actionsFile;
    QPushButton *m_quit = nullptr;
};

} // namespace Quorvel
