#pragma once

#include "QuorvelClientUI/Views/RemoteViewRules.h"
#include "QuorvelCore/Model/Deck.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QVBoxLayout;

namespace Quorvel {

class ClientModel;
class ControlRow;
class HostListView;
class PlainLabel;
class NetworkNotice;
class BusyLine;

// What the remote shows without a connection: offline, looking for or unable to reach the
// remembered host (with a greyed copy of its last actions), or the list of hosts.
class NotConnectedView : public QWidget {
    Q_OBJECT
public:
    NotConnectedView(ClientModel *model, bool showsHostList, QWidget *parent = nullptr);

    RemoteViewRules::NotConnectedCase shownCase() const { return m_case; }
    QString noticeTitle() const;
    QString noticeMessage() const;
    QString lookingForText() const;
    // The greyed rows, in deck order; empty while no preview is shown.
    QList<ControlRow *> previewRows() const;
    bool showsOtherHosts() const;
    HostListView *hostList() const { return m_hostList; }

private:
    void refresh();
    void syncPreview();

    QPointer<ClientModel> m_model;
    bool m_showsHostList;
    RemoteViewRules::NotConnectedCase m_case = RemoteViewRules::NotConnectedCase::nothing;
    NetworkNotice *m_notice;
    BusyLine *m_looking;
    QWidget *m_preview;
    QVBoxLayout *m_previewLayout;
    QList<ControlRow *> m_previewRows;
    std::optional<Deck> m_previewDeck;
    PlainLabel *m_otherHosts;
    HostListView *m_hostList;
};

} // namespace Quorvel
