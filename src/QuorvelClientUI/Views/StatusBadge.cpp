#include "QuorvelClientUI/Views/StatusBadge.h"

#include "Widgets/BusyIndicator.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/StatusDot.h"

#include <QHBoxLayout>

namespace Quorvel {

namespace {

constexpr int badgeSpacing = 4;
constexpr int dotDiameter = 7;
// The spinner's side: the small control size.
constexpr int spinnerSide = 10;

} // namespace

StatusBadge::StatusBadge(QWidget *parent)
    : QWidget(parent), m_badge(RemoteViewRules::badge(std::nullopt, false)),
      m_spinner(new BusyIndicator(spinnerSide, this)), m_dot(new StatusDot(dotDiameter, this)),
      m_text(new PlainLabel({}, TextStyle::caption, StatusTone::secondary, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(badgeSpacing);
    layout->addWidget(m_spinner);
    layout->addWidget(m_dot);
    layout->addWidget(m_text, 1);
    apply();
}

void StatusBadge::setState(const std::optional<ControlState> &state, bool busy)
{
    const RemoteViewRules::Badge badge = RemoteViewRules::badge(state, busy);
    if (badge != m_badge) {
        m_badge = badge;
        apply();
    }
}

QString StatusBadge::text() const
{
    return m_text->text();
}

void StatusBadge::apply()
{
    const bool busy = m_badge.kind == RemoteViewRules::Badge::Kind::busy;
    m_spinner->setVisible(busy);
    m_dot->setVisible(!busy);
    m_dot->setTone(m_badge.tone);
    m_text->setText(m_badge.text);
}

} // namespace Quorvel
