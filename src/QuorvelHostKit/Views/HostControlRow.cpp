#include "QuorvelHostKit/Views/HostControlRow.h"

#include "Widgets/PlainLabel.h"
#include "Widgets/StatusDot.h"
#include "Widgets/SymbolIcons.h"

#include <QHBoxLayout>

namespace Quorvel {

namespace {

// The state dot's diameter.
constexpr int dotDiameter = 8;

} // namespace

HostControlRow::HostControlRow(const Control &control, QWidget *parent)
    : QWidget(parent), m_control(control),
      m_title(new PlainLabel(control.title, TextStyle::callout, StatusTone::none, this)),
      m_dot(new StatusDot(dotDiameter, this)),
      m_detail(new PlainLabel({}, TextStyle::callout, StatusTone::secondary, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *icon = new QLabel(this);
    const int side = m_title->fontMetrics().height();
    icon->setPixmap(SymbolIcons::pixmap(control.icon.value_or(QStringLiteral("circle")), side));
    icon->setAccessibleName(control.icon.value_or(QStringLiteral("circle")));
    layout->addWidget(icon);
    layout->addWidget(m_title, 1);
    layout->addWidget(m_dot);
    layout->addWidget(m_detail);
    m_indicator.kind = HostViewRules::RowIndicator::Kind::text;
    setState(std::nullopt);
}

QString HostControlRow::title() const
{
    return m_title->text();
}

void HostControlRow::setState(const std::optional<ControlState> &state)
{
    const HostViewRules::RowIndicator indicator = HostViewRules::rowIndicator(m_control, state);
    if (indicator == m_indicator) {
        return;
    }
    m_indicator = indicator;
    m_dot->setVisible(indicator.kind == HostViewRules::RowIndicator::Kind::dot);
    m_dot->setTone(indicator.tone);
    m_detail->setVisible(indicator.kind == HostViewRules::RowIndicator::Kind::text);
    m_detail->setText(indicator.text);
}

} // namespace Quorvel
