#pragma once

#include "QuorvelCore/Model/Deck.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <optional>

class QScrollArea;
class QVBoxLayout;

namespace Quorvel {

class ClientModel;
class ControlRow;
class SymbolLabel;

// The connected host's actions, one row each in deck order, or a placeholder until the deck
// arrives. A change of one control's state or pending mark redraws that row alone; rows are made
// again only when the deck itself changes.
class DeckView : public QWidget {
    Q_OBJECT
public:
    explicit DeckView(ClientModel *model, QWidget *parent = nullptr);

    ControlRow *row(const QString &controlID) const { return m_rows.value(controlID); }
    QList<ControlRow *> rows() const;
    bool showsPlaceholder() const;
    // How many times the rows were made, for tests and the benchmark.
    int rebuildCount() const { return m_rebuildCount; }

    // As tall as all rows; the window around it may allow less (a screen's height), and the
    // rows then scroll.
    QSize sizeHint() const override;
    int contentHeight() const;
    void setHeightLimit(int limit);

private:
    void syncDeck();
    void keepClearOfTheScrollBar();
    void refreshRow(const QString &controlID);
    void refreshAll();

    QPointer<ClientModel> m_model;
    SymbolLabel *m_placeholder;
    QScrollArea *m_scroll;
    QWidget *m_rowsBox = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    QHash<QString, ControlRow *> m_rows;
    std::optional<Deck> m_shownDeck;
    int m_rebuildCount = 0;
    int m_heightLimit = QWIDGETSIZE_MAX;
    // Set while the model tells of one control's change, so the whole-set signal that follows it
    // does not redraw every row.
    bool m_singleChangeHandled = false;
};

} // namespace Quorvel
