#include "QuorvelHostKit/Views/DeckEditingView.h"

#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/HostViewRules.h"
#include "Widgets/SymbolLabel.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int blockSpacing = 4;
// A long problem wraps downward, up to this many lines.
constexpr int problemLines = 4;

} // namespace

DeckEditingView::DeckEditingView(HostCoordinator *coordinator, QWidget *parent)
    : QWidget(parent), m_coordinator(coordinator),
      m_switch(new QCheckBox(QStringLiteral("Allow editing actions from other devices"), this)),
      m_explanation(new PlainLabel({}, TextStyle::caption2, StatusTone::secondary, this)),
      m_problem(new SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"), {},
                                TextStyle::caption2, StatusTone::orange, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(blockSpacing);
    applyTextStyle(m_switch, TextStyle::caption);
    m_explanation->setWrapping();
    m_problem->textLabel()->setWrapping(problemLines);
    layout->addWidget(m_switch);
    layout->addWidget(m_explanation);
    layout->addWidget(m_problem);

    connect(m_switch, &QCheckBox::clicked, this, [this](bool checked) {
        if (m_coordinator) {
            m_coordinator->setAllowDeckEditing(checked);
        }
        refresh();
    });
    if (m_coordinator) {
        connect(m_coordinator, &HostCoordinator::allowDeckEditingChanged, this,
                &DeckEditingView::refresh);
        connect(m_coordinator, &HostCoordinator::deckProblemChanged, this,
                &DeckEditingView::refresh);
    }
    refresh();
}

QString DeckEditingView::explanation() const
{
    return m_explanation->text();
}

QString DeckEditingView::problemText() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

void DeckEditingView::showEvent(QShowEvent *event)
{
    if (m_coordinator) {
        m_coordinator->reloadDeckEditingSetting();
    }
    refresh();
    QWidget::showEvent(event);
}

void DeckEditingView::refresh()
{
    if (!m_coordinator) {
        return;
    }
    const bool allowed = m_coordinator->allowDeckEditing();
    m_switch->setChecked(allowed);
    m_explanation->setText(HostViewRules::deckEditingExplanation(allowed));
    const std::optional<QString> &problem = m_coordinator->deckProblem();
    m_problem->setHidden(!problem);
    if (problem) {
        m_problem->set(QStringLiteral("exclamationmark.triangle.fill"),
                       QStringLiteral("deck.json was not applied: ") + *problem,
                       StatusTone::orange);
    }
}

} // namespace Quorvel
