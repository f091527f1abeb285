#pragma once

#include "QuorvelClientUI/Views/RemoteViewRules.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QStackedLayout;

namespace Quorvel {

class BorderlessButton;
class ClientModel;
class ConnectionStatusLabel;
class DeckView;
class Divider;
class HostListView;
class NotConnectedView;
class PairingView;
class PlainLabel;

// The remote role's whole surface: the status line, then pairing, the host's actions or what
// stands instead of them, the last notice, the other hosts and the way to the deck editor.
// Showing it starts the model; it never stops or disconnects it.
class ClientRootView : public QWidget {
    Q_OBJECT
public:
    // Without onEditDeck there is no "Edit Actions…" button.
    ClientRootView(ClientModel *model, std::function<void()> onEditDeck = {},
                   QWidget *parent = nullptr);

    const RemoteViewRules::RootParts &parts() const { return m_parts; }
    ConnectionStatusLabel *statusLabel() const { return m_status; }
    DeckView *deckView() const { return m_deck; }
    PairingView *pairingView() const { return m_pairing; }
    NotConnectedView *notConnectedView() const { return m_notConnected; }
    HostListView *hostList() const { return m_hostList; }
    BorderlessButton *editButton() const { return m_edit; }
    QString noticeText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    QPointer<ClientModel> m_model;
    std::function<void()> m_onEditDeck;
    RemoteViewRules::RootParts m_parts;
    ConnectionStatusLabel *m_status;
    Divider *m_statusDivider;
    // The main part's pages, one shown at a time.
    QWidget *m_main;
    QStackedLayout *m_pages;
    PairingView *m_pairing;
    DeckView *m_deck;
    NotConnectedView *m_notConnected;
    Divider *m_noticeDivider;
    PlainLabel *m_notice;
    Divider *m_hostsDivider;
    PlainLabel *m_hostsLabel;
    HostListView *m_hostList;
    Divider *m_editDivider;
    BorderlessButton *m_edit;
};

} // namespace Quorvel
