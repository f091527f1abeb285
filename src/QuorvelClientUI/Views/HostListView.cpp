#include "QuorvelClientUI/Views/HostListView.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/BusyLine.h"
#include "QuorvelClientUI/Views/HostRow.h"
#include "QuorvelClientUI/Views/NetworkNotice.h"
#include "QuorvelClientUI/Views/RemoteViewRules.h"
#include "QuorvelClientUI/Views/StoredCodeCache.h"

#include <QMenu>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int noticeSpacing = 6;

const QString forgetItem = QStringLiteral("Forget Pairing Code");

} // namespace

HostListView::HostListView(ClientModel *model, QWidget *parent)
    : QWidget(parent), m_model(model), m_codes(new StoredCodeCache(model, this)),
      m_notice(new NetworkNotice(noticeSpacing, this)),
      m_searching(
          new BusyLine(QStringLiteral("Searching for hosts on the local network\u2026"), this)),
      m_rowsBox(new QWidget(this)), m_rowsLayout(new QVBoxLayout(m_rowsBox))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_notice);
    layout->addWidget(m_searching);

    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    layout->addWidget(m_rowsBox);

    if (m_model) {
        connect(m_model, &ClientModel::hostsChanged, this, &HostListView::syncHosts);
        connect(m_model, &ClientModel::statusChanged, this, &HostListView::refreshMarks);
        for (auto signal : {&ClientModel::hostsChanged, &ClientModel::localNetworkBlockedChanged,
                            &ClientModel::searchIsTakingLongChanged}) {
            connect(m_model, signal, this, &HostListView::refreshNotice);
        }
    }
    syncHosts();
    refreshNotice();
}

QList<HostRow *> HostListView::rows() const
{
    return m_rows;
}

QString HostListView::noticeTitle() const
{
    return m_notice->isHidden() ? QString() : m_notice->title();
}

bool HostListView::showsSearching() const
{
    return !m_searching->isHidden();
}

QStringList HostListView::menuItems(const HostRow *row) const
{
    if (row && m_codes->hasCode(row->host())) {
        return {forgetItem};
    }
    return {};
}

void HostListView::syncHosts()
{
    if (!m_model) {
        return;
    }
    const QList<DiscoveredHost> &hosts = m_model->hosts();
    bool same = hosts.size() == m_rows.size();
    for (qsizetype i = 0; same && i < hosts.size(); ++i)
        same = m_rows[i]->host() == hosts[i];
    if (!same) {
        qDeleteAll(m_rows);
        m_rows.clear();
        for (const DiscoveredHost &host : hosts) {
            auto *row = new HostRow(host, m_rowsBox);
            row->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(row, &HostRow::clicked, this, [this, row] {
                if (m_model)
                    m_model->connectTo(row->host());
            });
            connect(row, &HostRow::customContextMenuRequested, this,
                    [this, row](const QPoint &position) { showMenu(row, position); });
            m_rowsLayout->addWidget(row);
            m_rows.append(row);
        }
    }
    m_rowsBox->setHidden(m_rows.isEmpty());
    refreshMarks();
}

void HostListView::refreshMarks()
{
    if (!m_model) {
        return;
    }
    for (HostRow *row : std::as_const(m_rows))
        row->setMark(RemoteViewRules::hostMark(m_model->status(), row->host()));
}

void HostListView::refreshNotice()
{
    if (!m_model) {
        return;
    }
    using Notice = RemoteViewRules::SearchNotice;
    const Notice notice = RemoteViewRules::searchNotice(
        m_model->hosts().isEmpty(), m_model->localNetworkBlocked(), m_model->searchIsTakingLong());
    m_searching->setVisible(notice == Notice::searching);
    m_notice->setVisible(notice == Notice::blocked || notice == Notice::takingLong);
    if (notice == Notice::blocked) {
        m_notice->set(
            QStringLiteral("wifi.exclamationmark"),
            QStringLiteral("Quorvel can't see your local network."), StatusTone::orange,
            QStringLiteral("The discovery service (avahi-daemon) is not running. Once it runs, "
                           "Quorvel finds your hosts by itself."));
    } else if (notice == Notice::takingLong) {
        m_notice->set(
            QStringLiteral("wifi.exclamationmark"), QStringLiteral("No hosts found yet."),
            StatusTone::orange,
            QStringLiteral("Check that Quorvel is running on the host computer, on this same "
                           "network, and that no firewall blocks mDNS (UDP 5353)."));
    }
}

void HostListView::showMenu(HostRow *row, const QPoint &position)
{
    const QStringList items = menuItems(row);
    if (items.isEmpty()) {
        return;
    }
    QMenu menu(this);
    QAction *forget = menu.addAction(forgetItem);
    if (menu.exec(row->mapToGlobal(position)) == forget) {
        this->forget(row);
    }
}

void HostListView::forget(const HostRow *row)
{
    if (m_model && row) {
        m_model->forgetPairingCode(row->host());
        m_codes->refresh();
    }
}

} // namespace Quorvel
