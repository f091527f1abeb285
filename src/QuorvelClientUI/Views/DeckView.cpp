#include "QuorvelClientUI/Views/DeckView.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ControlRow.h"
#include "Widgets/SymbolLabel.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 6;
// While the rows scroll, they keep from the scroll bar the room they keep from each other, so a
// switch or a readout at a row's end never touches it.
constexpr int scrollBarGap = rowSpacing;

} // namespace

DeckView::DeckView(ClientModel *model, QWidget *parent)
    : QWidget(parent), m_model(model),
      m_placeholder(new SymbolLabel(QStringLiteral("rectangle.grid.2x2"),
                                    QStringLiteral("Waiting for actions\u2026"), TextStyle::body,
                                    StatusTone::secondary, this)),
      m_scroll(new QScrollArea(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_placeholder, 0, Qt::AlignCenter);
    layout->addWidget(m_scroll);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setBackgroundRole(QPalette::Window);
    // Its switches and buttons take the focus and scroll it into view: as a stop of its own it
    // showed nothing.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &DeckView::keepClearOfTheScrollBar);

    if (m_model) {
        connect(m_model, &ClientModel::deckChanged, this, &DeckView::syncDeck);
        auto single = [this](const QString &id) {
            refreshRow(id);
            m_singleChangeHandled = true;
        };
        auto whole = [this] {
            if (!m_singleChangeHandled)
                refreshAll();
            m_singleChangeHandled = false;
        };
        connect(m_model, &ClientModel::stateChanged, this, single);
        connect(m_model, &ClientModel::pendingControlChanged, this, single);
        connect(m_model, &ClientModel::statesChanged, this, whole);
        connect(m_model, &ClientModel::pendingControlsChanged, this, whole);
    }
    syncDeck();
}

QList<ControlRow *> DeckView::rows() const
{
    QList<ControlRow *> ordered;
    if (m_shownDeck) {
        for (const Control &control : m_shownDeck->controls)
            ordered.append(m_rows.value(control.id));
    }
    return ordered;
}

bool DeckView::showsPlaceholder() const
{
    return !m_placeholder->isHidden();
}

QSize DeckView::sizeHint() const
{
    if (!m_rowsBox || m_scroll->isHidden()) {
        return QWidget::sizeHint();
    }
    const QSize content = m_rowsBox->sizeHint();
    return {content.width() + m_scroll->verticalScrollBar()->sizeHint().width(),
            qMin(content.height(), m_heightLimit)};
}

int DeckView::contentHeight() const
{
    return m_rowsBox && !m_scroll->isHidden() ? m_rowsBox->sizeHint().height()
                                              : sizeHint().height();
}

void DeckView::setHeightLimit(int limit)
{
    if (limit == m_heightLimit)
        return;
    m_heightLimit = limit;
    updateGeometry();
}

void DeckView::syncDeck()
{
    const std::optional<Deck> deck = m_model ? m_model->deck() : std::nullopt;
    m_placeholder->setVisible(!deck);
    m_scroll->setVisible(deck.has_value());
    if (deck == m_shownDeck) {
        return;
    }
    m_shownDeck = deck;
    m_rows.clear();
    // A fresh box replaces the old one at once; the old rows go with it.
    m_rowsBox = new QWidget;
    m_rowsLayout = new QVBoxLayout(m_rowsBox);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    keepClearOfTheScrollBar();
    m_rowsLayout->setSpacing(rowSpacing);
    if (deck) {
        ++m_rebuildCount;
        for (const Control &control : deck->controls) {
            auto *row = new ControlRow(control, m_model, m_rowsBox);
            m_rowsLayout->addWidget(row);
            m_rows.insert(control.id, row);
        }
    }
    m_rowsLayout->addStretch();
    m_scroll->setWidget(m_rowsBox);
    updateGeometry();
}

void DeckView::keepClearOfTheScrollBar()
{
    if (!m_rowsLayout)
        return;
    // The bar is shown exactly while there is something to scroll.
    const QScrollBar *bar = m_scroll->verticalScrollBar();
    m_rowsLayout->setContentsMargins(0, 0, bar->maximum() > bar->minimum() ? scrollBarGap : 0, 0);
}

void DeckView::refreshRow(const QString &controlID)
{
    if (ControlRow *row = m_rows.value(controlID))
        row->refresh();
}

void DeckView::refreshAll()
{
    for (ControlRow *row : std::as_const(m_rows))
        row->refresh();
}

} // namespace Quorvel
