#include "QuorvelHostKit/Views/HostMenuView.h"

#include "QuorvelHostKit/Service/DeckStore.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/DeckEditingView.h"
#include "QuorvelHostKit/Views/HostControlRow.h"
#include "QuorvelHostKit/Views/HostViewRules.h"
#include "QuorvelHostKit/Views/LocalNetworkStatusView.h"
#include "QuorvelHostKit/Views/PairingCodeView.h"
#include "Widgets/Divider.h"
#include "Widgets/ElidedLabel.h"
#include "Widgets/ShownText.h"
#include "Widgets/SymbolLabel.h"

#include <QKeySequence>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int stackSpacing = 10;
// As a window of its own: an inset on every edge and a fixed width.
constexpr int windowInset = 12;
constexpr int windowWidth = 300;
// The last log line takes at most two lines.
constexpr int logLines = 2;

} // namespace

HostMenuView::HostMenuView(HostCoordinator *coordinator, bool showsQuit, QWidget *parent)
    : QWidget(parent), m_coordinator(coordinator),
      m_deckName(new SymbolLabel(QStringLiteral("rectangle.grid.2x2"), {}, TextStyle::headline,
                                 StatusTone::none, this)),
      m_listener(new PlainLabel({}, TextStyle::caption, StatusTone::secondary, this)),
      m_clients(new PlainLabel({}, TextStyle::caption, StatusTone::none, this)),
      m_localNetwork(new LocalNetworkStatusView(coordinator, this)),
      m_pairingCode(new PairingCodeView(coordinator, this)), m_rowsBox(new QWidget(this)),
      m_rowsLayout(new QVBoxLayout(m_rowsBox)), m_logDivider(new Divider(this)),
      m_lastLog(new PlainLabel({}, TextStyle::caption2, StatusTone::secondary, this)),
      m_deckEditing(new DeckEditingView(coordinator, this)),
      m_actionsFile(
          new ElidedLabel({}, TextStyle::caption2, StatusTone::tertiary, Qt::ElideMiddle, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(stackSpacing);
    if (showsQuit) {
        layout->setContentsMargins(windowInset, windowInset, windowInset, windowInset);
        setFixedWidth(windowWidth);
    } else {
        layout->setContentsMargins(0, 0, 0, 0);
    }
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_listener->setWrapping();
    m_lastLog->setWrapping(logLines);

    layout->addWidget(m_deckName);
    layout->addWidget(m_listener);
    layout->addWidget(m_clients);
    layout->addWidget(new Divider(this));
    layout->addWidget(m_localNetwork);
    layout->addWidget(m_pairingCode);
    layout->addWidget(new Divider(this));
    layout->addWidget(m_rowsBox);
    layout->addWidget(m_logDivider);
    layout->addWidget(m_lastLog);
    layout->addWidget(new Divider(this));
    layout->addWidget(m_deckEditing);
    layout->addWidget(m_actionsFile);
    if (showsQuit) {
        m_quit = new QPushButton(QStringLiteral("Quit Quorvel"), this);
        m_quit->setShortcut(QKeySequence::Quit);
        layout->addWidget(m_quit, 0, Qt::AlignLeft);
        connect(m_quit, &QPushButton::clicked, this, [this] {
            if (m_coordinator) {
                m_coordinator->stop();
            }
            emit quitRequested();
        });
    }
    layout->addStretch();

    if (m_coordinator) {
        connect(m_coordinator, &HostCoordinator::deckChanged, this, &HostMenuView::rebuildRows);
        connect(m_coordinator, &HostCoordinator::latestStatesChanged, this,
                &HostMenuView::refreshStates);
        for (auto signal :
             {&HostCoordinator::deckChanged, &HostCoordinator::listenerStatusChanged,
              &HostCoordinator::connectedClientsChanged, &HostCoordinator::lastLogChanged}) {
            connect(m_coordinator, signal, this, &HostMenuView::refreshHeader);
        }
    }
    rebuildRows();
    refreshHeader();
}

QString HostMenuView::deckTitle() const
{
    return m_deckName->text();
}

QString HostMenuView::clientCountText() const
{
    return m_clients->text();
}

QList<HostControlRow *> HostMenuView::rows() const
{
    return m_rowsBox->findChildren<HostControlRow *>(Qt::FindDirectChildrenOnly);
}

bool HostMenuView::showsLastLog() const
{
    return !m_lastLog->isHidden();
}

QString HostMenuView::actionsFileText() const
{
    return m_actionsFile->text();
}

void HostMenuView::rebuildRows()
{
    for (HostControlRow *row : std::as_const(m_rows)) {
        delete row;
    }
    m_rows.clear();
    if (!m_coordinator) {
        return;
    }
    for (const Control &control : m_coordinator->deck().controls) {
        auto *row = new HostControlRow(control, m_rowsBox);
        m_rowsLayout->addWidget(row);
        m_rows.insert(control.id, row);
    }
    m_rowsBox->setHidden(m_rows.isEmpty());
    refreshStates();
}

void HostMenuView::refreshStates()
{
    if (!m_coordinator) {
        return;
    }
    const QHash<QString, ControlState> &states = m_coordinator->latestStates();
    for (auto row = m_rows.cbegin(); row != m_rows.cend(); ++row) {
        const auto state = states.constFind(row.key());
        (*row)->setState(state == states.cend() ? std::nullopt
                                                : std::optional<ControlState>(*state));
    }
}

void HostMenuView::refreshHeader()
{
    if (!m_coordinator) {
        return;
    }
    // A title from a deck file: on its one line, with what doesn't show written out.
    m_deckName->set(QStringLiteral("rectangle.grid.2x2"),
                    ShownText::withHiddenShown(ShownText::oneLine(m_coordinator->deck().deckName)),
                    StatusTone::none);
    m_listener->setText(m_coordinator->listenerStatus());
    m_clients->setText(HostViewRules::clientCountText(m_coordinator->connectedClients().size()));
    const bool hasLog = !m_coordinator->lastLog().isEmpty();
    m_logDivider->setVisible(hasLog);
    m_lastLog->setVisible(hasLog);
    m_lastLog->setText(m_coordinator->lastLog());
    m_actionsFile->setText(QStringLiteral("Actions file: ") +
                           DeckStore::deckFileURL().toLocalFile());
}

} // namespace Quorvel
