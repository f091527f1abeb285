#include "QuorvelClientUI/Views/NotConnectedView.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/BusyLine.h"
#include "QuorvelClientUI/Views/ControlRow.h"
#include "QuorvelClientUI/Views/HostListView.h"
#include "QuorvelClientUI/Views/NetworkNotice.h"
#include "Widgets/PlainLabel.h"

#include <QGraphicsOpacityEffect>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int stackSpacing = 10;
constexpr int noticeSpacing = 4;
constexpr int previewSpacing = 6;
// The last actions are shown faded: they cannot be used until the host is back.
constexpr qreal previewOpacity = 0.45;

} // namespace

NotConnectedView::NotConnectedView(ClientModel *model, bool showsHostList, QWidget *parent)
    : QWidget(parent), m_model(model), m_showsHostList(showsHostList),
      m_notice(new NetworkNotice(noticeSpacing, this)), m_looking(new BusyLine({}, this)),
      m_preview(new QWidget(this)), m_previewLayout(new QVBoxLayout(m_preview)),
      m_otherHosts(new PlainLabel(QStringLiteral("Other hosts here"), TextStyle::caption,
                                  StatusTone::secondary, this)),
      m_hostList(new HostListView(model, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(stackSpacing);
    layout->addWidget(m_notice);
    layout->addWidget(m_looking);

    m_previewLayout->setContentsMargins(0, 0, 0, 0);
    m_previewLayout->setSpacing(previewSpacing);
    m_preview->setEnabled(false);
    auto *fade = new QGraphicsOpacityEffect(m_preview);
    fade->setOpacity(previewOpacity);
    m_preview->setGraphicsEffect(fade);
    layout->addWidget(m_preview);

    layout->addWidget(m_otherHosts);
    layout->addWidget(m_hostList);
    layout->addStretch();

    if (m_model) {
        for (auto signal :
             {&ClientModel::isOfflineChanged, &ClientModel::localNetworkBlockedChanged,
              &ClientModel::searchIsTakingLongChanged, &ClientModel::rememberedHostNameChanged,
              &ClientModel::hostsChanged, &ClientModel::statusChanged,
              &ClientModel::preferredHostKeyChanged, &ClientModel::deckChanged}) {
            connect(m_model, signal, this, &NotConnectedView::refresh);
        }
    }
    refresh();
}

QString NotConnectedView::noticeTitle() const
{
    return m_notice->isHidden() ? QString() : m_notice->title();
}

QString NotConnectedView::noticeMessage() const
{
    return m_notice->isHidden() ? QString() : m_notice->message();
}

QString NotConnectedView::lookingForText() const
{
    return m_looking->isHidden() ? QString() : m_looking->text();
}

QList<ControlRow *> NotConnectedView::previewRows() const
{
    return m_preview->isHidden() ? QList<ControlRow *>() : m_previewRows;
}

bool NotConnectedView::showsOtherHosts() const
{
    return !m_otherHosts->isHidden();
}

void NotConnectedView::refresh()
{
    if (!m_model) {
        return;
    }
    using Case = RemoteViewRules::NotConnectedCase;
    m_case = RemoteViewRules::notConnectedCase(m_model->isOffline(), m_model->localNetworkBlocked(),
                                               m_model->isWaitingForRememberedHost(),
                                               m_model->searchIsTakingLong(), m_showsHostList);
    const QString name = RemoteViewRules::rememberedName(m_model->rememberedHostName());

    m_notice->setVisible(m_case == Case::offline || m_case == Case::cantReach);
    if (m_case == Case::offline) {
        m_notice->set(
            QStringLiteral("wifi.slash"), QStringLiteral("This computer is offline."),
            StatusTone::none,
            QStringLiteral("Quorvel reconnects by itself when you're back on a network."));
    } else if (m_case == Case::cantReach) {
        m_notice->set(
            QStringLiteral("wifi.exclamationmark"),
            QStringLiteral("Can't reach ") + name + QLatin1Char('.'), StatusTone::none,
            QStringLiteral("It may be asleep or turned off, or on a different network from "
                           "this computer. Quorvel connects by itself when it's back."));
    }
    m_looking->setVisible(m_case == Case::lookingFor);
    m_looking->setText(QStringLiteral("Looking for %1\u2026").arg(name));

    const bool remembered =
        m_case == Case::offline || m_case == Case::cantReach || m_case == Case::lookingFor;
    // The greyed rows are made only while they are shown: a connected surface keeps this view
    // in its stack and must not pay for a second copy of every row.
    if (remembered)
        syncPreview();
    m_preview->setVisible(remembered && !m_previewRows.isEmpty());
    const bool waiting = m_case == Case::cantReach || m_case == Case::lookingFor;
    const bool otherHosts = waiting && m_showsHostList && !m_model->hosts().isEmpty();
    m_otherHosts->setVisible(otherHosts);
    m_hostList->setVisible(otherHosts || m_case == Case::hostList);
}

void NotConnectedView::syncPreview()
{
    const std::optional<Deck> deck = m_model->visibleDeck();
    if (deck == m_previewDeck) {
        return;
    }
    m_previewDeck = deck;
    qDeleteAll(m_previewRows);
    m_previewRows.clear();
    if (!deck) {
        return;
    }
    for (const Control &control : deck->controls) {
        auto *row = new ControlRow(control, m_model, m_preview);
        m_previewLayout->addWidget(row);
        m_previewRows.append(row);
    }
}

} // namespace Quorvel
