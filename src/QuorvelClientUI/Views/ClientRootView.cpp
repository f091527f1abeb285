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

#include <QStackedLayout>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int stackSpacing = 10;
constexpr int padding = 12;
// The surface's width, padding included.
constexpr int surfaceWidth = 280;
// A long notice is cut after two lines.
constexpr int noticeLines = 2;

// Pages one at a time, as tall as the page shown. Qt's stacked layout answers its sizes and its
// height for a width with its tallest page, hidden ones included; a layout asks a widget that has
// a layout through that layout, so the menu, as tall as its content at its width, kept the room
// of a long deck for the short pairing view that replaced it.
class CurrentPageLayout : public QStackedLayout {
public:
    using QStackedLayout::QStackedLayout;
    QSize sizeHint() const override
    {
        return currentWidget() ? currentWidget()->sizeHint() : QSize(0, 0);
    }
    QSize minimumSize() const override
    {
        const QWidget *page = currentWidget();
        return page ? page->minimumSizeHint().expandedTo(page->minimumSize()) : QSize(0, 0);
    }
    bool hasHeightForWidth() const override
    {
        return currentWidget() && currentWidget()->hasHeightForWidth();
    }
    int heightForWidth(int width) const override
    {
        return hasHeightForWidth() ? currentWidget()->heightForWidth(width) : -1;
    }
};

} // namespace

ClientRootView::ClientRootView(ClientModel *model, std::function<void()> onEditDeck,
                               QWidget *parent)
    : QWidget(parent), m_model(model), m_onEditDeck(std::move(onEditDeck)),
      m_status(new ConnectionStatusLabel(model, this)), m_statusDivider(new Divider(this)),
      m_main(new QWidget(this)), m_pages(new CurrentPageLayout(m_main)),
      m_pairing(new PairingView(model, m_main)), m_deck(new DeckView(model, m_main)),
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
    m_pages->setContentsMargins(0, 0, 0, 0);
    m_pages->addWidget(m_pairing);
    m_pages->addWidget(m_deck);
    m_pages->addWidget(m_notConnected);
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
    if (m_parts.main == Main::pairing) {
        m_pages->setCurrentWidget(m_pairing);
    } else if (m_parts.main == Main::deck) {
        m_pages->setCurrentWidget(m_deck);
    } else {
        m_pages->setCurrentWidget(m_notConnected);
    }
    // The page shown decides the height.
    m_pages->invalidate();
    m_main->updateGeometry();
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
