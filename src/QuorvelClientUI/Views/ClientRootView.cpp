#include "QuorvelClientUI/Views/ClientRootView.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ConnectionStatusLabel.h"
#include "QuorvelClientUI/Views/DeckView.h"
#include "QuorvelClientUI/Views/HostListView.h"
#include "QuorvelClientUI/Views/NotConnectedView.h"
#include "QuorvelClientUI/Views/PairingView.h"
#include "Widgets/BorderlessButton.h"
#include "Widgets/Divider.h"
#include "Widgets/PlainLabel.h"

#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int stackSpacing = 10;
constexpr int padding = 12;
// The surface's width, padding included.
constexpr int surfaceWidth = 280;
// A long notice is cut after two lines.
constexpr int noticeLines = 2;

} // namespace

ClientRootView::ClientRootView(ClientModel *model, std::function<void()> onEditDeck,
                               QWidget *parent)
    : QWidget(parent), m_model(model), m_onEditDeck(std::move(onEditDeck)),
      m_status(new ConnectionStatusLabel(model, this)), m_statusDivider(new Divider(this)),
      m_main(new QWidget(this)), m_pairing(new PairingView(model, m_main)),
      m_deck(new DeckView(model, m_main)),
      m_notConnected(new NotConnectedView(model, true, m_main)), m_noticeDivider(new Divider(this)),
      m_notice(new PlainLabel({}, TextStyle::caption2, StatusTone::secondary, this)),
      m_hostsDivider(new Divider(this)),
      m_hostsLabel(
          new PlainLabel(QStringLiteral("Hosts"), TextStyle::caption, StatusTone::secondary, this)),
      m_hostList(new HostListView(model, this)), m_editDivider(new Divider(this)),
      m_edit(new BorderlessButton(QStringLiteral("Edit Actions\u2026"), TextStyle::caption,
                                  StatusTone::none, this))
{
    setFixedWidth(surfaceWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(stackSpacing);
    applyTextStyle(m_status, TextStyle::caption);
    // One page shows at a time; hidden pages take no room, so the box is as tall as the shown
    // page needs at its width (a stacked widget would ask every page, and take the tallest).
    auto *pages = new QVBoxLayout(m_main);
    pages->setContentsMargins(0, 0, 0, 0);
    pages->addWidget(m_pairing);
    pages->addWidget(m_deck);
    pages->addWidget(m_notConnected);
    m_notice->setWrapping(noticeLines);

    layout->addWidget(m_status);
    layout->addWidget(m_statusDivider);
    layout->addWidget(m_main);
    layout->addWidget(m_noticeDivider);
    layout->addWidget(m_notice);
    layout->addWidget(m_hostsDivider);
    layout->addWidget(m_hostsLabel);
    layout->addWidget(m_hostList);
    layout->addWidget(m_editDivider);
    layout->addWidget(m_edit, 0, Qt::AlignLeft);
    layout->addStretch();

    connect(m_edit, &QToolButton::clicked, this, [this] {
        if (m_onEditDeck)
            m_onEditDeck();
    });
    if (m_model) {
        for (auto signal : {&ClientModel::statusChanged, &ClientModel::deckChanged,
                            &ClientModel::lastNoticeChanged, &ClientModel::hostsChanged}) {
            connect(m_model, signal, this, &ClientRootView::refresh);
        }
    }
    refresh();
}

QString ClientRootView::noticeText() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

void ClientRootView::showEvent(QShowEvent *event)
{
    if (m_model) {
        m_model->start();
    }
    QWidget::showEvent(event);
}

void ClientRootView::refresh()
{
    if (!m_model) {
        return;
    }
    const ClientConnectionStatus &status = m_model->status();
    m_parts = RemoteViewRules::rootParts(status, m_model->deck().has_value(),
                                         m_model->lastNotice().has_value(), m_model->hosts().size(),
                                         bool(m_onEditDeck));
    using Main = RemoteViewRules::RootParts::Main;
    m_status->setVisible(m_parts.header);
    m_statusDivider->setVisible(m_parts.header);
    if (m_parts.main == Main::pairing)
        m_pairing->setHost(*status.host(), status.reason());
    m_pairing->setVisible(m_parts.main == Main::pairing);
    m_deck->setVisible(m_parts.main == Main::deck);
    m_notConnected->setVisible(m_parts.main == Main::notConnected);
    m_noticeDivider->setVisible(m_parts.notice);
    m_notice->setVisible(m_parts.notice);
    m_notice->setText(m_model->lastNotice().value_or(QString()));
    m_hostsDivider->setVisible(m_parts.hosts);
    m_hostsLabel->setVisible(m_parts.hosts);
    m_hostList->setVisible(m_parts.hosts);
    m_editDivider->setVisible(m_parts.edit);
    m_edit->setVisible(m_parts.edit);
}

} // namespace Quorvel
