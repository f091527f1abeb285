#include "QuorvelHostKit/Views/LocalNetworkStatusView.h"

#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/HostViewRules.h"
#include "Widgets/SymbolLabel.h"

#include <QVBoxLayout>

namespace Quorvel {

LocalNetworkStatusView::LocalNetworkStatusView(HostCoordinator *coordinator, QWidget *parent)
    : QWidget(parent), m_coordinator(coordinator),
      m_line(new SymbolLabel({}, {}, TextStyle::caption, StatusTone::secondary, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_line);
    m_line->textLabel()->setWrapping();
    if (m_coordinator) {
        connect(m_coordinator, &HostCoordinator::localNetworkChanged, this,
                &LocalNetworkStatusView::refresh);
    }
    refresh();
}

void LocalNetworkStatusView::refresh()
{
    if (!m_coordinator) {
        return;
    }
    const HostViewRules::NetworkLine line =
        HostViewRules::networkLine(m_coordinator->localNetwork());
    m_line->set(line.symbol, line.text, line.tone);
}

} // namespace Quorvel
